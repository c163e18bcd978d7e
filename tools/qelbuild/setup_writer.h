// Writes a complete setup folder: the stub with the payload appended, qel.lib,
// the resource archive, "data\" with the installed files and the optional
// splash picture, package and patch.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/qelbuild/diagnostics.h"

namespace qel::build {

struct BuildOptions {
  std::filesystem::path script;
  std::filesystem::path output_dir;
  std::string target = "win32";              // "win32" or "win64"
  std::filesystem::path distribution;        // folder holding qelstub.exe and qel.lib
};

struct BuildReport {
  std::filesystem::path setup_program;
  size_t statements = 0;
  size_t data_files = 0;
  size_t resource_files = 0;
  std::vector<Diagnostic> warnings;
};

// The folder with qelstub.exe and qel.lib: dist_option itself when it holds
// them, else dist_option/target; without an option, program_dir/../target.
std::filesystem::path find_distribution(const std::filesystem::path& program_dir,
                                        const std::optional<std::filesystem::path>& dist_option,
                                        const std::string& target);

// Throws BuildFailed.
BuildReport build_setup(const BuildOptions& options);

}  // namespace qel::build
