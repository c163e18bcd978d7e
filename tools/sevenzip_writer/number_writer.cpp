#include "tools/sevenzip_writer/number_writer.h"

namespace qel::sevenzip {

void put_number(std::string& out, uint64_t value) {
  // With n extra bytes the first byte keeps 7 - n value bits (none for n = 8).
  int extra = 0;
  while (extra < 8 && value >= (uint64_t{1} << (7 * (extra + 1)))) ++extra;
  uint8_t first = static_cast<uint8_t>(0xFF00 >> extra);
  if (extra < 8) first |= static_cast<uint8_t>(value >> (8 * extra));
  out.push_back(static_cast<char>(first));
  for (int i = 0; i < extra; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void put_u32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void put_u64(std::string& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace qel::sevenzip
