// Helpers for the archive tests: temporary folders, running 7zz, comparing trees,
// and a tiny 7z writer (Copy method) for crafted archives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qel::archive::test {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

bool have_7zz();
// Runs a shell command with its output discarded; returns the exit status.
int run(const std::string& command);
std::string quote(const fs::path& p);

void write_file(const fs::path& path, const std::string& bytes);
std::string read_file(const fs::path& path);
std::vector<uint8_t> read_bytes(const fs::path& path);

// Files and folders of many kinds: text, incompressible data, an executable (for the
// branch filters), empty files and folders, nested and non-ASCII names.
void make_sample_tree(const fs::path& root);

// Differences between two trees (names, kinds, contents, modification times to the
// second); empty when equal.
std::vector<std::string> compare_trees(const fs::path& expected, const fs::path& actual);

struct CraftedEntry {
  CraftedEntry(std::string n, std::string d = {}, bool dir = false) : name(std::move(n)), data(std::move(d)), is_dir(dir) {}
  std::string name;  // UTF-8
  std::string data;
  bool is_dir = false;
  std::optional<uint32_t> attributes;
};

struct CraftOptions {
  bool empty_files_as_streams = false;  // 0-length packed streams instead of empty-file bits
  bool padding_twice = false;           // two 0x19 properties, as some writers emit
  bool unknown_property = false;        // a property id the reader does not know
};

// A valid 7z archive: one Copy folder per file with data, plain header.
std::vector<uint8_t> craft_archive(const std::vector<CraftedEntry>& entries, const CraftOptions& options = {});

}  // namespace qel::archive::test
