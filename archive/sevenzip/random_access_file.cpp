#include "archive/sevenzip/random_access_file.h"

#include <cstring>

#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/utf.h"

namespace qel::archive {
namespace {

class DiskFile : public RandomAccessFile {
 public:
  explicit DiskFile(const std::filesystem::path& path) : in_(path, std::ios::binary) {
    std::error_code ec;
    if (!in_ || std::filesystem::is_directory(path, ec))
      throw ArchiveNotFoundError("The archive file was not found: " + utf8_from_path(path));
    in_.seekg(0, std::ios::end);
    size_ = static_cast<uint64_t>(in_.tellg());
  }
  uint64_t size() const override { return size_; }
  void read_at(uint64_t offset, uint8_t* buf, size_t n) override {
    if (offset > size_ || n > size_ - offset) throw ArchiveError("Unexpected end of archive (truncated?)");
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(reinterpret_cast<char*>(buf), static_cast<std::streamsize>(n));
    if (static_cast<size_t>(in_.gcount()) != n) throw ArchiveError("Read error in the archive file");
  }

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
};

class MemoryFile : public RandomAccessFile {
 public:
  explicit MemoryFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t size() const override { return bytes_.size(); }
  void read_at(uint64_t offset, uint8_t* buf, size_t n) override {
    if (offset > bytes_.size() || n > bytes_.size() - offset)
      throw ArchiveError("Unexpected end of archive (truncated?)");
    if (n) std::memcpy(buf, bytes_.data() + offset, n);
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<RandomAccessFile> open_archive_file(const std::filesystem::path& path) {
  return std::make_unique<DiskFile>(path);
}

std::unique_ptr<RandomAccessFile> memory_archive_file(std::vector<uint8_t> bytes) {
  return std::make_unique<MemoryFile>(std::move(bytes));
}

}  // namespace qel::archive
