// Readable, stable names for parameterized test cases in test listings.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace qel::testing_support {

inline std::string Printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) out.push_back(std::isalnum(c) ? static_cast<char>(c) : '_');
  return out;
}

}  // namespace qel::testing_support
