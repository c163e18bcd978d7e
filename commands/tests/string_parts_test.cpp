#include "commands/string_parts.h"

#include <gtest/gtest.h>

#include "commands/parameter_kinds.h"

namespace qel::commands {
namespace {

struct SplitCase {
  const char* source;
  const char* pattern;
  int mode;
  bool trim;
  bool ignore_case;
  const char* first;
  const char* second;
};

TEST(SplitString, ModesCutAsDocumented) {
  const SplitCase cases[] = {
      {"a,b,c", ",", 0, false, false, "a", "b,c"},
      {"a,b,c", ",", 1, false, false, "a,b", "c"},
      {"abcdef", "2", 2, false, false, "ab", "cdef"},
      {"abcdef", "2", 3, false, false, "abcd", "ef"},
      // no match: mode 0 keeps the whole source first, mode 1 second
      {"abc", ";", 0, false, false, "abc", ""},
      {"abc", ";", 1, false, false, "", "abc"},
      {"abc", "", 0, false, false, "abc", ""},
      {"abc", "", 1, false, false, "", "abc"},
      // counts at the edges
      {"abcdef", "0", 2, false, false, "", "abcdef"},
      {"abcdef", "6", 2, false, false, "abcdef", ""},
      {"abcdef", "9", 2, false, false, "abcdef", ""},
      {"abcdef", "6", 3, false, false, "", ""},
      {"abcdef", "9", 3, false, false, "", "abcdef"},
      {"abcdef", "0", 3, false, false, "abcdef", ""},
      // multi-character pattern, last occurrence
      {"x--y--z", "--", 1, false, false, "x--y", "z"},
      {"x--y--z", "--", 0, false, false, "x", "y--z"},
      // case folding finds the pattern but cuts the unchanged source
      {"xAby", "ab", 0, false, true, "x", "y"},
      {"xaby", "AB", 0, false, true, "x", "y"},
      {"xaby", "AB", 0, false, false, "xaby", ""},
      // trimming removes blanks and control characters
      {" a \t= b\r\n", "=", 0, true, false, "a", "b"},
      {" a = b ", "=", 0, false, false, " a ", " b "},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " / " + c.pattern + " / mode " + std::to_string(c.mode));
    const StringParts parts = SplitString(c.source, c.pattern, c.mode, c.trim, c.ignore_case);
    EXPECT_EQ(parts.first, c.first);
    EXPECT_EQ(parts.second, c.second);
  }
}

TEST(SplitString, CountModesRejectNonNumbers) {
  EXPECT_THROW(SplitString("abc", "x", 2, false, false), ConversionError);
  EXPECT_THROW(SplitString("abc", "1.5", 3, false, false), ConversionError);
  EXPECT_NO_THROW(SplitString("abc", "x", 0, false, false));
}

struct ReplaceCase {
  const char* value;
  const char* find;
  const char* replacement;
  bool ignore_case;
  bool all;
  const char* expected;
};

TEST(ReplaceText, FirstOrAllWithCaseAndLineBreaks) {
  const ReplaceCase cases[] = {
      {"a-b-c", "-", "+", false, false, "a+b-c"},
      {"a-b-c", "-", "+", false, true, "a+b+c"},
      {"aXbxc", "x", "_", false, true, "aXb_c"},
      {"aXbxc", "x", "_", true, true, "a_b_c"},
      // the replacement is not scanned again
      {"aa", "a", "aa", false, true, "aaaa"},
      {"abab", "ab", "", false, true, ""},
      // unchanged: empty value, empty find, value shorter than find
      {"", "a", "b", false, true, ""},
      {"abc", "", "x", false, true, "abc"},
      {"ab", "abc", "x", false, true, "ab"},
      // a real line break in the value matches the token in the find text
      {"one\r\ntwo", "$NEWLINE$", " ", false, true, "one two"},
      {"one\r\ntwo", "one\r\n", "", false, false, "two"},
      {"a b", " ", "\r\n", false, false, "a$NEWLINE$b"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " / " + c.find);
    EXPECT_EQ(ReplaceText(c.value, c.find, c.replacement, c.ignore_case, c.all), c.expected);
  }
}

TEST(TrimBlanks, StripsBothEnds) {
  EXPECT_EQ(TrimBlanks("\t\x01 a b \n"), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\xE9"), "\xE9");  // bytes above 127 are letters, not blanks
}

}  // namespace
}  // namespace qel::commands
