// Helpers of the Windows archive tests: test data paths, temporary folders, files
// read through the wide API.
#pragma once

#include <cstdint>
#include <string>

namespace qel::archive::test {

// ANSI path of a file in the build-time test data folder.
std::string data_path(const std::string& name);

class WinTempDir {
 public:
  WinTempDir();
  ~WinTempDir();
  const std::string& path() const { return path_; }  // ANSI, no trailing '\'

 private:
  std::string path_;
};

bool file_exists_w(const std::wstring& path);
std::string read_file_w(const std::wstring& path);
std::wstring widen(const std::string& ansi);
uint32_t attributes_w(const std::wstring& path);
uint64_t mtime_w(const std::wstring& path);
// Number of regular files below a folder.
size_t count_files_w(const std::wstring& folder);

}  // namespace qel::archive::test
