// Helpers of the builder tests: a scratch folder, a stand-in distribution
// (a minimal PE image as the stub, a fake qel.lib) and reading a built setup back.
#pragma once

#include <filesystem>
#include <string>

#include "engine/payload.h"

namespace qel::build::testing {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::filesystem::path& path() const { return path_; }
  // Writes a file below the folder (creating parents) and returns its path.
  std::filesystem::path write(const std::string& relative, const std::string& content) const;

 private:
  std::filesystem::path path_;
};

std::string read_bytes(const std::filesystem::path& path);

// A folder holding qelstub.exe (a PE image with one section and nothing
// appended) and qel.lib.
std::filesystem::path make_distribution(const ScratchFolder& folder);
// The size of that stand-in stub.
size_t fake_stub_size();

// Builds the script text (written as setup.qel in the folder) into folder/out.
// Throws BuildFailed like the builder.
std::filesystem::path build_script(const ScratchFolder& folder, const std::string& script,
                                   const std::string& out = "out");

// The payload appended to a stub built from the stand-in distribution.
Payload read_built_payload(const std::filesystem::path& setup_exe);

// A header with the required settings, for scripts under test.
std::string minimal_header();

}  // namespace qel::build::testing
