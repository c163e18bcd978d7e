// ASCII-only case folding: names, keys and switches are compared this way, so
// bytes above 127 never change with the system's code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qel {

constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

inline std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Position of needle in haystack at or after from, ignoring ASCII case; npos when absent.
inline size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from = 0) {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i)
    if (EqualsNoCase(haystack.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

}  // namespace qel
