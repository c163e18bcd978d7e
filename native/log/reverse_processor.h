// The reverse processor: replays the log set from the last element to the first,
// for a rollback after a failed run and for an uninstall. The order, tracing,
// progress and stop rules live here; the operations themselves are the
// platform's (ReverseOperations).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "native/log/log_file_system.h"
#include "native/log/native_log.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

class ReverseOperations {
 public:
  virtual ~ReverseOperations() = default;
  virtual std::string CurrentBitness() = 0;
  // Makes a bitness mode current (redirection and registry view follow it).
  virtual void UseBitness(const std::string& mode) = 0;
  // Runs one reverse operation; false when the error prompt answered abort.
  virtual bool Reverse(std::string_view element, const std::vector<std::string>& fields) = 0;
};

class ReverseProgress {
 public:
  virtual ~ReverseProgress() = default;
  virtual uint64_t Maximum() = 0;
  virtual void SetMaximum(uint64_t maximum) = 0;
  // Adds units to NATIVE_PROGRESS and shows the caption; false when the worker
  // has been asked to stop.
  virtual bool Step(const std::string& caption, uint64_t units) = 0;
};

// The progress caption of a reverse operation.
std::string ReverseCaption(std::string_view element, const std::vector<std::string>& fields);

struct ReverseRun {
  TVariableManager& vars;
  LogFileSystem& fs;
  NativeLog& log;
  std::string prefix;  // the log set to replay
  ReverseOperations& ops;
  ReverseProgress& progress;
};

// 1 when every element was processed, 0 when an abort (or, in an uninstall, a
// stop request) ended it.
int RunReverseProcessor(bool uninstall, ReverseRun& run);

}  // namespace qel::native
