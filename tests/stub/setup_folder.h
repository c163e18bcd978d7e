// Helpers of the stub's end-to-end tests (Windows): assembling a setup folder and
// running a program with its own temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::e2e {

// Deletes and re-creates the folder; returns it with backslashes only, ending in one.
std::string fresh_folder(const std::string& path);

// folder + name + ".exe": the stub with the payload appended (none when payload is
// empty), qel.lib beside it, and the resource archive as name + ".res" when given.
std::string assemble_setup(const std::string& folder, const std::string& stub_exe, const std::string& payload,
                           const std::string& resource_archive, const std::string& name = "setup");

struct Run {
  uint32_t exit_code = 0;
  double milliseconds = 0;
};

// Runs the exact command line with TMP and TEMP set to temp_folder and the extra
// NAME=VALUE variables; waits at most two minutes.
Run run_program(const std::string& command_line, const std::string& temp_folder,
                const std::vector<std::pair<std::string, std::string>>& environment = {});

// The lines of a UTF-16LE file (CR LF); each code unit below 256 becomes one byte,
// others "?".
std::vector<std::string> read_utf16_lines(const std::string& path, bool* has_bom = nullptr);

std::string read_text(const std::string& path);

// The names in a folder as the file system stores them (without "." and "..").
std::vector<std::string> folder_entries(const std::string& folder);

}  // namespace qel::e2e
