#include "archive/sevenzip/crc32.h"

#include <array>

namespace qel::archive {
namespace {

// Slicing-by-4 tables.
struct Crc32Tables {
  std::array<std::array<uint32_t, 256>, 4> t{};
  Crc32Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (size_t k = 1; k < 4; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

const Crc32Tables& tables() {
  static const Crc32Tables instance;
  return instance;
}

}  // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t n) {
  const auto& t = tables().t;
  uint32_t c = ~crc;
  while (n >= 4) {
    c ^= static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
         (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][(c >> 16) & 0xFF] ^ t[0][c >> 24];
    data += 4;
    n -= 4;
  }
  while (n--) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  return ~c;
}

}  // namespace qel::archive
