// CRC-32 (IEEE, reflected, as 7z uses it).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel::archive {

// crc32_update(0, ...) starts a new CRC; feed the result back to continue it.
uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t n);
inline uint32_t crc32(const uint8_t* data, size_t n) { return crc32_update(0, data, n); }

}  // namespace qel::archive
