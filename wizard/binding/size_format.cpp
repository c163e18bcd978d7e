#include "wizard/binding/size_format.h"

#include "lang/language_strings.h"

namespace qel::wizard::binding {

std::string GroupDigits(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string FormatSize(int64_t bytes, const SizeUnits& units) {
  // The magnitude as unsigned, so that the most negative value has one too.
  uint64_t magnitude = bytes < 0 ? uint64_t(0) - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);
  const std::string* unit = &units.bytes;
  if (magnitude >= (uint64_t(1) << 30)) {
    magnitude >>= 20;
    unit = &units.megabytes;
  } else if (magnitude >= (uint64_t(1) << 20)) {
    magnitude >>= 10;
    unit = &units.kilobytes;
  }
  std::string out = bytes < 0 ? "-" : "";
  out += GroupDigits(magnitude);
  out += ' ';
  out += *unit;
  return out;
}

std::string FormatSize(int64_t bytes) {
  return FormatSize(bytes, SizeUnits{lang_string(6), lang_string(7), lang_string(8)});
}

}  // namespace qel::wizard::binding
