#include "commands/version_text.h"

#include <gtest/gtest.h>

#include "commands/parameter_kinds.h"

namespace qel::commands {
namespace {

TEST(ParseVersionText, PartsLeftToRight) {
  const std::pair<const char*, VersionQuad> cases[] = {
      {"1.2.3.4", {1, 2, 3, 4}},
      {"7.0.5730.11", {7, 0, 5730, 11}},
      {"5", {5, 0, 0, 0}},
      {"1.2", {1, 2, 0, 0}},
      {"", {0, 0, 0, 0}},
      {"1.2.x", {1, 2, 0, 0}},      // the last part falls back to 0
      {"1.2.3.4.5", {1, 2, 3, 4}},  // only four parts are read
      {"1.2.3.beta", {1, 2, 3, 0}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ParseVersionText(text), expected);
  }
}

TEST(ParseVersionText, NonNumericEarlierPartThrows) {
  for (const char* text : {"a.1", "1.b.3", "1..2", "1.2.3.x.5"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(ParseVersionText(text), ConversionError);
  }
}

TEST(CompareVersions, Lexicographic) {
  struct Case {
    VersionQuad a, b;
    int expected;
  };
  const Case cases[] = {
      {{1, 0, 0, 0}, {1, 0, 0, 0}, 0},
      {{2, 0, 0, 0}, {1, 9, 9, 9}, 1},
      {{1, 2, 3, 4}, {1, 2, 3, 5}, -1},
      {{1, 10, 0, 0}, {1, 9, 0, 0}, 1},
      {{0xFFFFFFFF, 0, 0, 0}, {1, 0, 0, 0}, 1},  // unsigned, not signed
  };
  for (const Case& c : cases) EXPECT_EQ(CompareVersions(c.a, c.b), c.expected);
}

TEST(VersionFromFixedInfo, SplitsWords) {
  EXPECT_EQ(VersionQuadText(VersionFromFixedInfo(0x00060001, 0x1DB10000 | 0x4000)), "6.1.7601.16384");
  EXPECT_EQ(VersionQuadText(VersionFromFixedInfo(0xFFFF0000, 0x0000FFFF)), "65535.0.0.65535");
}

}  // namespace
}  // namespace qel::commands
