// The engine's built-in texts from lang.loc, by line number (1..126).
//
// lang.loc (CR LF text, ANSI): a default block of 126 lines without a name line,
// then any number of blocks of a name line followed by 126 lines. Lines 91 to 111
// are read and discarded (they stay empty).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qel {

constexpr int kLanguageStringCount = 126;
using LanguageStrings = std::array<std::string, kLanguageStringCount>;

// The block for the language (name compared without regard to case); the default
// block when the file has no block of that name. A short file leaves the missing
// lines empty.
LanguageStrings parse_language_strings(std::string_view text, std::string_view language);

// Reads the file and sets the process-wide strings; false (strings unchanged) when
// the file cannot be read.
bool load_language_strings(const std::string& path, std::string_view language);

void set_language_strings(const LanguageStrings& strings);

// String n (1-based); "" before any file was loaded and for n out of range.
const std::string& lang_string(int n);

}  // namespace qel
