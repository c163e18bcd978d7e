// The few operating-system calls the portable command code needs. The Windows
// library fills them in at start (InstallWindowsPlatform); the defaults are
// those of a system without WOW64.
#pragma once

#include <string>

namespace qel::commands {

struct Platform {
  // Called before a path parameter is expanded (SetFileApisToANSI on Windows).
  void (*before_path_parameter)() = [] {};
  // Whether this process runs under WOW64.
  bool (*is_wow64)() = [] { return false; };
  // Wow64DisableWow64FsRedirection / Wow64RevertWow64FsRedirection; null when
  // the system lacks them.
  bool (*disable_redirection)(void** old_value) = nullptr;
  bool (*revert_redirection)(void* old_value) = nullptr;
  // SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL).
  void (*set_normal_attributes)(const std::string& path) = [](const std::string&) {};
  // The name FindFirstFileA reports for a path without wildcards.
  bool (*find_file_name)(const std::string& path, std::string& name) = nullptr;
  // GetShortPathNameA; "" on failure.
  std::string (*short_path)(const std::string& path) = [](const std::string&) { return std::string(); };
  // GetTempFileNameA(folder, "qel", 0): creates the file; "" on failure.
  std::string (*create_temp_file)(const std::string& folder) = [](const std::string&) { return std::string(); };
  // Upper or lower case in place under the system's ANSI code page
  // (CharUpperBuffA / CharLowerBuffA); null: the Windows-1252 rules.
  void (*ansi_case)(std::string& text, bool upper) = nullptr;
};

Platform& PlatformHooks();

}  // namespace qel::commands
