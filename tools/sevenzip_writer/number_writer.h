// The 7z header's variable-length numbers and little-endian fields.
#pragma once

#include <cstdint>
#include <string>

namespace qel::sevenzip {

// First byte: as many leading 1 bits as extra bytes follow; its remaining bits
// hold the high part of the value, the extra bytes the low part, little-endian.
void put_number(std::string& out, uint64_t value);
void put_u32(std::string& out, uint32_t value);
void put_u64(std::string& out, uint64_t value);

}  // namespace qel::sevenzip
