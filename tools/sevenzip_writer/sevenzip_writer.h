// A 7z container writer for the setup's resource archive. Every file is stored
// with its CRC32, UTF-16LE name, attributes and modification time. Executables
// (.exe, .dll) go into one solid folder packed with the x86 branch filter and
// LZMA2, all other files into a second solid folder packed with LZMA2 alone.
// Folders and empty files are empty streams. The output depends only on the
// items given: same items, same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::sevenzip {

// FILETIME ticks: 100 ns units since 1601-01-01 UTC.
using FileTime = uint64_t;

inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeArchive = 0x20;

struct ArchiveItem {
  std::string name;  // UTF-8 (invalid sequences read as Latin-1); "/" or "\" between folders
  bool is_dir = false;
  std::string data;  // file content; ignored for folders
  FileTime mtime = 0;
  uint32_t attributes = 0;  // 0: archive bit for files, directory bit for folders
};

struct WriterOptions {
  uint32_t preset = 6;  // liblzma preset level 0-9; the dictionary is capped at the input size
};

// The complete archive. Items are stored sorted (folders first, then the
// executables' folder, then the others, by name within each group). Throws
// std::invalid_argument for an empty or duplicate name and std::runtime_error
// when the encoder fails.
std::string write_archive(std::vector<ArchiveItem> items, const WriterOptions& options = {});

// True for names ending in ".exe" or ".dll" (any case).
bool is_executable_name(std::string_view name);

// Unix seconds -> FILETIME.
FileTime filetime_from_unix(int64_t seconds);

}  // namespace qel::sevenzip
