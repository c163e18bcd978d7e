#include "wizard/binding/binding_text.h"

#include <gtest/gtest.h>

namespace qel::wizard::binding {
namespace {

TEST(BindingVariableName, StripsOnePairOfDollarsAndUpperCases) {
  const std::pair<const char*, const char*> cases[] = {
      {"$targetdir$", "TARGETDIR"}, {"TargetDir", "TARGETDIR"}, {"$$X$$", "$X$"},
      {"$X", "$X"},                 {"", ""},                   {"$", "$"},
  };
  for (auto [hint, name] : cases) EXPECT_EQ(BindingVariableName(hint), name) << hint;
}

TEST(NewlineToken, LineBreaksRoundTrip) {
  EXPECT_EQ(ToNewlineTokens("a\r\nb\nc\rd"), "a$NEWLINE$b$NEWLINE$c$NEWLINE$d");
  EXPECT_EQ(FromNewlineTokens("a$NEWLINE$b$newline$"), "a\r\nb\r\n");
  EXPECT_EQ(FromNewlineTokens(ToNewlineTokens("x\r\n\r\ny")), "x\r\n\r\ny");
  EXPECT_EQ(FromNewlineTokens("$NEWLINE"), "$NEWLINE");
}

TEST(MultiSelectValue, EachItemFollowedByToken) {
  EXPECT_EQ(JoinItems({"A", "C"}), "A$NEWLINE$C$NEWLINE$");
  EXPECT_EQ(JoinItems({}), "");
  EXPECT_EQ(ValueLines("A$NEWLINE$C$NEWLINE$"), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(NonEmptyLines("one\r\n\r\ntwo\nthree\n"), (std::vector<std::string>{"one", "two", "three"}));
}

TEST(CaptionBranding, RemovedWithLogoAppendedOtherwise) {
  struct Case {
    const char* caption;
    const char* logo;
    const char* expected;
  };
  const Case cases[] = {
      {"Setup - Oakhollow Wizard", "TRUE", "Setup"},
      {"Setup - Oakhollow Wizard", "true", "Setup"},
      {"Setup", "TRUE", "Setup"},
      {"Setup", "FALSE", "Setup - Oakhollow Wizard"},
      {"Setup", "", "Setup - Oakhollow Wizard"},
      {"Setup - Oakhollow Wizard", "FALSE", "Setup - Oakhollow Wizard"},
      {"A - Oakhollow Wizard B - Oakhollow Wizard", "TRUE", "A B"},
      // "-1" is true for variables but the branding asks for the word TRUE.
      {"Setup", "-1", "Setup - Oakhollow Wizard"},
  };
  for (const Case& c : cases) EXPECT_EQ(BrandCaption(c.caption, c.logo), c.expected) << c.caption << " / " << c.logo;
}

}  // namespace
}  // namespace qel::wizard::binding
