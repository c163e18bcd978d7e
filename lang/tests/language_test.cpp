#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "lang/language_names.h"
#include "lang/language_strings.h"

namespace qel {
namespace {

// A block of 126 lines "<prefix><n>".
std::string block(const std::string& prefix) {
  std::string out;
  for (int n = 1; n <= kLanguageStringCount; ++n) out += prefix + std::to_string(n) + "\r\n";
  return out;
}

TEST(LanguageStrings, PicksTheBlockOfTheLanguageInAnyCase) {
  const std::string file = block("d") + "German\r\n" + block("g") + "French\r\n" + block("f");
  const struct {
    const char* language;
    const char* line2;
  } cases[] = {
      {"German", "g2"}, {"GERMAN", "g2"}, {"french", "f2"},
      {"English", "d2"},  // no block: the default block, not the file's last one
      {"", "d2"},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_language_strings(file, c.language)[1], c.line2) << c.language;
}

TEST(LanguageStrings, LinesNinetyOneToOneHundredElevenAreDiscarded) {
  const LanguageStrings s = parse_language_strings(block("d"), "English");
  for (int n : {1, 90, 112, 126}) EXPECT_EQ(s[n - 1], "d" + std::to_string(n));
  for (int n : {91, 100, 111}) EXPECT_EQ(s[n - 1], "") << n;
}

TEST(LanguageStrings, ShortFileAndBareLineFeeds) {
  const LanguageStrings s = parse_language_strings("one\ntwo\r\n", "German");
  EXPECT_EQ(s[0], "one");
  EXPECT_EQ(s[1], "two");
  EXPECT_EQ(s[2], "");
}

TEST(LanguageStrings, ProcessWideStringsByLineNumber) {
  EXPECT_FALSE(load_language_strings("/nonexistent/lang.loc", "German"));
  LanguageStrings s;
  s[4] = "five";
  set_language_strings(s);
  EXPECT_EQ(lang_string(5), "five");
  EXPECT_EQ(lang_string(0), "");
  EXPECT_EQ(lang_string(127), "");
}

TEST(LanguageNames, NameToIdentifierAndBack) {
  EXPECT_EQ(language_id("german"), 1031);
  EXPECT_EQ(language_id("Portugese (Brazil)"), 1046);
  EXPECT_EQ(language_id("Klingon"), 1033);
  EXPECT_EQ(table_language_name(3082), "Spanish");
  EXPECT_EQ(table_language_name(3079), "");
}

TEST(LanguageNames, RegionalVariantsResolveThroughTheirEnglishName) {
  const auto english_name = [](int id) -> std::string {
    switch (id) {
      case 3079: return "German";   // German (Austria)
      case 2057: return "English";  // English (United Kingdom)
      case 1106: return "Welsh";
      default: return "";
    }
  };
  EXPECT_EQ(language_name(1036, english_name), "French");
  EXPECT_EQ(language_name(3079, english_name), "German");
  EXPECT_EQ(language_name(2057, english_name), "English");
  EXPECT_EQ(language_name(1106, english_name), "English");
  EXPECT_EQ(language_name(4242, nullptr), "English");
}

// The shipped file: a default block of exactly 126 lines, then a German block.
TEST(LangLoc, ShippedFileHasDefaultAndGermanBlocks) {
  std::ifstream in(QEL_LANG_LOC, std::ios::binary);
  ASSERT_TRUE(in) << QEL_LANG_LOC;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t lines = 0, pos = 0;
  for (; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
  EXPECT_EQ(lines, 126u + 127u);
  EXPECT_EQ(text.find('\n') - 1, text.find("\r\n"));  // CR LF line ends
  const LanguageStrings english = parse_language_strings(text, "English");
  const LanguageStrings german = parse_language_strings(text, "German");
  for (int n : {2, 3, 5, 20, 23, 24}) {
    EXPECT_FALSE(english[n - 1].empty()) << n;
    EXPECT_NE(english[n - 1], german[n - 1]) << n;
  }
}

}  // namespace
}  // namespace qel
