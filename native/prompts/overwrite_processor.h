// The Native Overwrite Processor: whether the file being installed replaces an
// existing destination. Runs on the worker thread; only the question goes to
// the main thread.
#pragma once

#include <string>

#include "native/prompts/overwrite_rules.h"
#include "native/prompts/prompt_host.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

class FileFactsSource {
 public:
  virtual ~FileFactsSource() = default;
  virtual bool Exists(const std::string& path) = 0;
  virtual FileFacts Facts(const std::string& path) = 0;
};

struct OverwriteOutcome {
  bool cancel = false;
  bool replace = false;
};

// The question is asked also when the setup runs silently.
OverwriteOutcome NativeOverwriteProcessor(TVariableManager& vars, const std::string& source,
                                          const std::string& destination, FileFactsSource& files, PromptHost& host);

}  // namespace qel::native
