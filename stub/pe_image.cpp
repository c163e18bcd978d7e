#include "stub/pe_image.h"

#include <algorithm>
#include <cstring>

namespace qel {
namespace {

uint32_t read_u32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t read_u16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kRawSizeOffset = 16;     // SizeOfRawData within a section header
constexpr size_t kRawPointerOffset = 20;  // PointerToRawData

}  // namespace

uint64_t pe_image_end(const unsigned char* headers, size_t size) {
  if (size < 0x40 || headers[0] != 'M' || headers[1] != 'Z') return 0;
  const uint32_t pe = read_u32(headers + 0x3C);
  if (uint64_t(pe) + 4 + kFileHeaderSize > size || std::memcmp(headers + pe, "PE\0\0", 4) != 0) return 0;
  const unsigned char* file_header = headers + pe + 4;
  const uint16_t sections = read_u16(file_header + 2);
  const uint16_t optional_size = read_u16(file_header + 16);
  const uint64_t table = uint64_t(pe) + 4 + kFileHeaderSize + optional_size;
  if (table + uint64_t(sections) * kSectionHeaderSize > size) return 0;
  uint64_t end = 0;
  for (uint16_t i = 0; i < sections; ++i) {
    const unsigned char* s = headers + table + size_t(i) * kSectionHeaderSize;
    end = std::max(end, uint64_t(read_u32(s + kRawPointerOffset)) + read_u32(s + kRawSizeOffset));
  }
  return end;
}

}  // namespace qel
