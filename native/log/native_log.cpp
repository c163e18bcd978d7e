#include "native/log/native_log.h"

#include "engine/ascii.h"

namespace qel::native {

void LogLists::clear() {
  elements.clear();
  data.clear();
  weights.clear();
  bitness.clear();
}

void LogLists::push(const LogElement& e, std::string_view bitness_mode) {
  elements.push_back(e.element);
  data.push_back(e.data);
  weights.push_back(std::to_string(e.weight));
  bitness.emplace_back(bitness_mode);
}

void LogLists::pop() {
  if (elements.empty()) return;
  elements.pop_back();
  data.pop_back();
  weights.pop_back();
  bitness.pop_back();
}

bool LoggingEnabled(std::string_view native_logging) { return !EqualsNoCase(native_logging, "FALSE"); }

bool NativeLog::Log(const LogElement& element, std::string_view bitness_mode, std::string_view native_logging) {
  if (!LoggingEnabled(native_logging) || element.element.empty()) return false;
  std::lock_guard lock(mutex_);
  lists_.push(element, bitness_mode);
  return true;
}

void NativeLog::DiscardLast(std::string_view native_logging) {
  if (!LoggingEnabled(native_logging)) return;
  std::lock_guard lock(mutex_);
  lists_.pop();
}

LogLists NativeLog::Snapshot() const {
  std::lock_guard lock(mutex_);
  return lists_;
}

LogLists NativeLog::Take() {
  std::lock_guard lock(mutex_);
  LogLists out = std::move(lists_);
  lists_.clear();
  return out;
}

size_t NativeLog::size() const {
  std::lock_guard lock(mutex_);
  return lists_.size();
}

void NativeLog::Clear() {
  std::lock_guard lock(mutex_);
  lists_.clear();
}

NativeLog& native_log() {
  static NativeLog log;
  return log;
}

}  // namespace qel::native
