// The text work of "Parse String" and "Replace String".
#pragma once

#include <string>
#include <string_view>

namespace qel::commands {

enum class ParseMode { kFirstOccurrence = 0, kLastOccurrence = 1, kLeftCount = 2, kRightCount = 3 };

struct StringParts {
  std::string first;
  std::string second;
};

// Splits source around pattern by mode (0-3). In modes 2 and 3 the pattern is
// a character count and must be a decimal integer (throws ConversionError);
// any other mode number also throws. ignore_case compares lower-cased copies;
// the parts are always cut from the unchanged source.
StringParts SplitString(std::string_view source, std::string_view pattern, int mode, bool trim,
                        bool ignore_case);

// Removes leading and trailing blanks and control characters.
std::string TrimBlanks(std::string_view text);

// "$NEWLINE$" for every CR LF, then replaces the first (or every) occurrence of
// find in value, scanning on after each inserted replacement.
std::string ReplaceText(std::string_view value, std::string_view find, std::string_view replacement,
                        bool ignore_case, bool replace_all);

// Every CR LF pair -> "$NEWLINE$".
std::string CrLfToNewlineToken(std::string_view text);

}  // namespace qel::commands
