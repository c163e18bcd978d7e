// The in-memory native log: four parallel lists (reverse operation, data,
// weight, bitness mode), one entry per logged change, appended together.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "native/log/log_elements.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

struct LogLists {
  std::vector<std::string> elements;
  std::vector<std::string> data;
  std::vector<std::string> weights;  // decimal
  std::vector<std::string> bitness;

  size_t size() const { return elements.size(); }
  bool empty() const { return elements.empty(); }
  void clear();
  void push(const LogElement& e, std::string_view bitness_mode);
  void pop();
};

// NATIVE_LOGGING "FALSE" (any case) turns logging off; an empty value still logs.
bool LoggingEnabled(std::string_view native_logging);

class NativeLog {
 public:
  // Appends when logging is on; returns whether it appended. An element with
  // an empty name (a folder that existed already) is not appended.
  bool Log(const LogElement& element, std::string_view bitness_mode, std::string_view native_logging);
  // Removes the last entry (nothing when logging is off or the log is empty).
  void DiscardLast(std::string_view native_logging);

  LogLists Snapshot() const;
  // Moves the entries out and leaves the log empty.
  LogLists Take();
  size_t size() const;
  bool empty() const { return size() == 0; }
  void Clear();

 private:
  mutable std::mutex mutex_;
  LogLists lists_;
};

// The process-wide log of the run.
NativeLog& native_log();

}  // namespace qel::native
