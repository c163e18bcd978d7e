// Identifiers the builder derives from content, so that the same inputs always
// give the same setup: statement keys, command headers and revision codes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qel::build {

// A 128-bit digest of the text (not cryptographic; spreads well enough to keep
// derived identifiers apart).
class StableHash {
 public:
  StableHash& add(std::string_view text);  // length-prefixed, so ("ab","c") != ("a","bc")
  StableHash& add(uint64_t value);
  std::array<uint64_t, 2> digest() const;

 private:
  uint64_t a_ = 0xcbf29ce484222325ULL;
  uint64_t b_ = 0x84222325cbf29ce4ULL;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case, with the variant and a
// version nibble of 8 (derived, not random or time-based).
std::string guid_from(const StableHash& hash);

// 8 upper-case hexadecimal digits.
std::string header_id_from(const StableHash& hash, uint32_t salt);

// A GUID in braces with 32 hexadecimal digits in 8-4-4-4-12 groups (any case).
bool is_guid(std::string_view text);
std::string upper_ascii(std::string_view text);

}  // namespace qel::build
