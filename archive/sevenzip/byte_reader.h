// Bounds-checked reading of 7z header bytes. Every read past the end throws
// ArchiveError, so hostile headers cannot read out of bounds.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qel::archive {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  uint8_t read_byte();
  uint32_t read_u32();
  uint64_t read_u64();
  // The 7z variable-length number (first byte's high bits give the length).
  uint64_t read_number();
  // A number used as a count or index: at most `limit`.
  size_t read_count(uint64_t limit);
  std::span<const uint8_t> read_bytes(uint64_t n);
  void skip(uint64_t n) { read_bytes(n); }
  // n bits, most significant first.
  std::vector<bool> read_bits(size_t n);
  // "all defined" byte, else a bit vector.
  std::vector<bool> read_defined_vector(size_t n);
  // A Digests record: defined vector then a CRC per defined item.
  std::vector<std::optional<uint32_t>> read_digests(size_t n);

  size_t remaining() const { return data_.size() - pos_; }
  size_t position() const { return pos_; }

 private:
  void need(uint64_t n) const;
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

}  // namespace qel::archive
