#include "archive/sevenzip/byte_reader.h"

#include "archive/stream.h"

namespace qel::archive {

void ByteReader::need(uint64_t n) const {
  if (n > remaining()) throw ArchiveError("Corrupt archive header: unexpected end of header");
}

uint8_t ByteReader::read_byte() {
  need(1);
  return data_[pos_++];
}

uint32_t ByteReader::read_u32() {
  need(4);
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(data_[pos_ + i]) << (8 * i);
  pos_ += 4;
  return v;
}

uint64_t ByteReader::read_u64() {
  need(8);
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
  pos_ += 8;
  return v;
}

uint64_t ByteReader::read_number() {
  const uint8_t first = read_byte();
  uint8_t mask = 0x80;
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) {
    if ((first & mask) == 0) {
      const uint64_t high = first & (mask - 1u);
      return value | (high << (8 * i));
    }
    value |= static_cast<uint64_t>(read_byte()) << (8 * i);
    mask >>= 1;
  }
  return value;
}

size_t ByteReader::read_count(uint64_t limit) {
  const uint64_t n = read_number();
  if (n > limit) throw ArchiveError("Corrupt archive header: count out of range");
  return static_cast<size_t>(n);
}

std::span<const uint8_t> ByteReader::read_bytes(uint64_t n) {
  need(n);
  auto out = data_.subspan(pos_, static_cast<size_t>(n));
  pos_ += static_cast<size_t>(n);
  return out;
}

std::vector<bool> ByteReader::read_bits(size_t n) {
  need((static_cast<uint64_t>(n) + 7) / 8);
  std::vector<bool> bits(n);
  uint8_t byte = 0;
  for (size_t i = 0; i < n; ++i) {
    if (i % 8 == 0) byte = read_byte();
    bits[i] = (byte & (0x80 >> (i % 8))) != 0;
  }
  return bits;
}

std::vector<bool> ByteReader::read_defined_vector(size_t n) {
  if (read_byte() != 0) return std::vector<bool>(n, true);
  return read_bits(n);
}

std::vector<std::optional<uint32_t>> ByteReader::read_digests(size_t n) {
  const auto defined = read_defined_vector(n);
  std::vector<std::optional<uint32_t>> out(n);
  for (size_t i = 0; i < n; ++i)
    if (defined[i]) out[i] = read_u32();
  return out;
}

}  // namespace qel::archive
