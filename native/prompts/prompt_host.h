// The five-button question the native worker asks through the main thread.
#pragma once

#include <string>

namespace qel::native {

enum class PromptAnswer { kYes, kNo, kCancel, kNoToAll, kYesToAll };
enum class PromptKind { kError, kConfirmation };

class PromptHost {
 public:
  virtual ~PromptHost() = default;
  // Shows the question (buttons Yes, No, Cancel, No to All, Yes to All; Yes is
  // the default) and waits for the answer.
  virtual PromptAnswer Ask(PromptKind kind, const std::string& caption, const std::string& text) = 0;
};

}  // namespace qel::native
