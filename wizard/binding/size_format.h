// Sizes as the status texts show them: "1,536 KB". Portable.
#pragma once

#include <cstdint>
#include <string>

namespace qel::wizard::binding {

struct SizeUnits {
  std::string bytes, kilobytes, megabytes;  // language strings 6, 7 and 8
};

// Below 1,048,576 bytes: bytes; below 1,073,741,824: whole KB (divided by
// 1024); else whole MB. A negative size keeps its sign in front. Digits are
// grouped by "," every three from the right; the unit follows after a space.
std::string FormatSize(int64_t bytes, const SizeUnits& units);
// With the units from the engine's language strings.
std::string FormatSize(int64_t bytes);

// "1234567" -> "1,234,567".
std::string GroupDigits(uint64_t value);

}  // namespace qel::wizard::binding
