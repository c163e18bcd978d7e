// Version resource and modification time of files, for the overwrite question.
#pragma once

#include "native/prompts/overwrite_processor.h"

namespace qel::native::win {

class WindowsFileFacts final : public FileFactsSource {
 public:
  bool Exists(const std::string& path) override;
  FileFacts Facts(const std::string& path) override;
};

}  // namespace qel::native::win
