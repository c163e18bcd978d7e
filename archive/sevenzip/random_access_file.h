// Read access to the archive bytes, by offset, so that several pack streams of one
// folder (BCJ2 reads four) can be read alternately.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace qel::archive {

class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly n bytes at offset or throws ArchiveError (truncated archive).
  virtual void read_at(uint64_t offset, uint8_t* buf, size_t n) = 0;
};

// Throws ArchiveNotFoundError when the file cannot be opened.
std::unique_ptr<RandomAccessFile> open_archive_file(const std::filesystem::path& path);
std::unique_ptr<RandomAccessFile> memory_archive_file(std::vector<uint8_t> bytes);

}  // namespace qel::archive
