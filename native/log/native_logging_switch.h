// Assigning NATIVE_LOGGING through "Set Variable" moves the log set: a new
// prefix is prepared first, and pending elements go to the old prefix before
// the variable changes.
#pragma once

#include <string>
#include <string_view>

#include "native/log/log_file_system.h"
#include "native/log/native_log.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

// Called before the assignment with the expanded new value; returns the value
// to assign instead (empty when the new prefix could not be prepared).
std::string NativeLoggingChanging(TVariableManager& vars, std::string_view new_value, LogFileSystem& fs,
                                  NativeLog& log);
// With the process-wide file system and log.
std::string NativeLoggingChanging(TVariableManager& vars, std::string_view new_value);

}  // namespace qel::native
