#include "native/log/native_logging_switch.h"

#include "engine/ascii.h"
#include "engine/variables.h"
#include "native/log/log_set.h"

namespace qel::native {

std::string NativeLoggingChanging(TVariableManager& vars, std::string_view new_value, LogFileSystem& fs,
                                  NativeLog& log) {
  const std::string current = vars.ReadVariable("NATIVE_LOGGING");
  if (new_value == current) return std::string(new_value);
  if (new_value.empty()) {
    if (!log.empty()) FlushLog(fs, CurrentLogPrefix(fs, current), log);
    return {};
  }
  if (EqualsNoCase(new_value, "FALSE")) return std::string(new_value);
  if (!PrepareLogSet(fs, new_value, true)) return {};
  if (!log.empty()) FlushLog(fs, CurrentLogPrefix(fs, current), log);
  return std::string(new_value);
}

std::string NativeLoggingChanging(TVariableManager& vars, std::string_view new_value) {
  return NativeLoggingChanging(vars, new_value, DefaultLogFileSystem(), native_log());
}

}  // namespace qel::native
