#include "engine/mathematics.h"

#include <gtest/gtest.h>

#include "engine/tests/printable_name.h"

#include <cctype>
#include <ostream>
#include <string_view>

#include <algorithm>
#include <optional>

#include "engine/variables.h"

namespace qel {
namespace {

struct MathCase {
  const char* a;
  const char* b;
  const char* code;
  const char* expected;  // nullptr: the operation fails
};

using qel::testing_support::Printable;

void PrintTo(const MathCase& c, std::ostream* os) {
  *os << Printable(c.a) << "_code" << Printable(c.code) << "_" << Printable(c.b);
}

class MathematicsTest : public ::testing::TestWithParam<MathCase> {};

TEST_P(MathematicsTest, Computes) {
  const MathCase& c = GetParam();
  RandomGenerator random;
  const std::optional<std::string> result = ComputeMathematics(c.a, c.b, c.code, random);
  if (c.expected == nullptr) {
    EXPECT_FALSE(result.has_value()) << c.a << " [" << c.code << "] " << c.b << " gave " << *result;
  } else {
    ASSERT_TRUE(result.has_value()) << c.a << " [" << c.code << "] " << c.b;
    EXPECT_EQ(*result, c.expected) << c.a << " [" << c.code << "] " << c.b;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MathematicsTest,
    ::testing::Values(
        MathCase{"2", "3", "0", "5"}, MathCase{"-2", "3", "0", "1"},
        MathCase{"9223372036854775807", "1", "0", "-9223372036854775808"},
        MathCase{"5", "7", "1", "-2"}, MathCase{"-9223372036854775808", "1", "1", "9223372036854775807"},
        MathCase{"-3", "7", "2", "-21"}, MathCase{"4294967296", "4294967296", "2", "0"},
        MathCase{"3037000500", "3037000500", "2", "-9223372036709301616"},
        MathCase{"7", "-2", "3", "-3"}, MathCase{"-7", "2", "3", "-3"}, MathCase{"7", "0", "3", nullptr},
        MathCase{"-9223372036854775808", "-1", "3", "-9223372036854775808"},
        MathCase{"7", "-2", "4", "1"}, MathCase{"-7", "2", "4", "-1"}, MathCase{"7", "0", "4", nullptr},
        MathCase{"-9223372036854775808", "-1", "4", "0"},
        MathCase{"12", "10", "5", "8"}, MathCase{"-1", "255", "5", "255"},
        MathCase{"12", "10", "6", "14"}, MathCase{"12", "10", "7", "6"}, MathCase{"-1", "0", "7", "-1"},
        MathCase{"3", "1", "8", "6"}, MathCase{"1", "63", "8", "-9223372036854775808"},
        MathCase{"1", "64", "8", "0"}, MathCase{"1", "127", "8", "0"}, MathCase{"5", "0", "8", "5"},
        MathCase{"8", "3", "9", "1"}, MathCase{"-1", "60", "9", "15"}, MathCase{"-1", "64", "9", "0"},
        MathCase{"-8", "1", "9", "9223372036854775804"},
        MathCase{"0", "", "10", "-1"}, MathCase{"-1", "junk", "10", "0"}, MathCase{"5", "", "10", "-6"},
        MathCase{"A", "", "11", "65"}, MathCase{"123", "", "11", "49"}, MathCase{"\xFF", "", "11", "255"},
        MathCase{"", "", "11", nullptr},
        MathCase{"65", "junk", "12", "A"}, MathCase{"321", "", "12", "A"}, MathCase{"-191", "", "12", "A"},
        // Failures: operands that are not integers, unknown codes.
        MathCase{"abc", "1", "0", nullptr}, MathCase{"1", "x", "0", nullptr}, MathCase{"1", "", "0", nullptr},
        MathCase{"", "1", "0", nullptr}, MathCase{"1.5", "1", "0", nullptr},
        MathCase{"9223372036854775808", "0", "0", nullptr},
        MathCase{"-9223372036854775808", "0", "0", "-9223372036854775808"},
        MathCase{"1", "x", "13", nullptr}, MathCase{"x", "", "10", nullptr},
        MathCase{"1", "2", "16", nullptr}, MathCase{"1", "2", "-1", nullptr}, MathCase{"1", "2", "x", nullptr},
        MathCase{"1", "2", "", nullptr}));

TEST(Mathematics, ShiftResultIsExactlyZeroFromSixtyFourOn) {
  RandomGenerator random;
  for (int count = 64; count <= 127; ++count) {
    EXPECT_EQ(ComputeMathematics("-1", std::to_string(count), "8", random), "0") << count;
    EXPECT_EQ(ComputeMathematics("-1", std::to_string(count), "9", random), "0") << count;
  }
}

TEST(Mathematics, RandomGeneratorSequence) {
  RandomGenerator random;
  const struct {
    const char* a;
    const char* b;
    const char* code;
    const char* expected;
    int32_t seed_after;
  } steps[] = {
      {"4", "", "15", "0", 0},  // unseeded: x = 0
      {"5", "3", "13", "8", 0},
      {"2", "", "14", "2", 2},
      {"4", "", "15", "1", 13},   // x = 5*2+3 = 13
      {"4", "", "15", "0", 68},   // x = 5*13+3 = 68
      {"0", "", "15", nullptr, 343},  // x mod 0 fails; the seed has moved on (x = 343)
      // 32-bit wrapping with the sign of x: 2147483647*2 wraps to -2.
      {"2147483647", "0", "13", "2147483647", 343},
      {"2", "", "14", "2", 2},
      {"10", "", "15", "-2", -2},
      // Only the low 32 bits are kept: 4294967301 is 5.
      {"4294967301", "0", "13", "4294967301", -2},
      {"4294967299", "", "14", "3", 3},
      {"100", "", "15", "15", 15},
  };
  for (const auto& s : steps) {
    const auto result = ComputeMathematics(s.a, s.b, s.code, random);
    if (s.expected)
      EXPECT_EQ(result, std::optional<std::string>(s.expected)) << s.code << " " << s.a;
    else
      EXPECT_FALSE(result.has_value());
    EXPECT_EQ(random.seed, s.seed_after) << s.code << " " << s.a;
  }
  EXPECT_EQ(random.multiplier, 5);
  EXPECT_EQ(random.increment, 0);
}

TEST(Mathematics, SeedIsReducedModulo32767) {
  RandomGenerator random;
  ComputeMathematics("1000", "7", "13", random);
  ComputeMathematics("100000", "", "14", random);
  EXPECT_EQ(ComputeMathematics("1000000000", "", "15", random), "100000007");
  EXPECT_EQ(random.seed, 100000007 % 32767);
}

TEST(Mathematics, StatementExpandsOperandsAndAssignsResult) {
  TVariableManager v;
  RandomGenerator random;
  v.Define("N", "40");
  v.Define("M", "2");
  EXPECT_EQ(RunMathematics(v, "$N$", "$M$", "0", "sum", random), "42");
  EXPECT_EQ(v.Get("SUM"), "42");
  std::vector<std::string> pairs;
  v.ExportPairs(pairs);
  EXPECT_NE(std::find(pairs.begin(), pairs.end(), "SUM"), pairs.end());  // declared upper-cased

  // The reference form of the result variable names the same variable.
  EXPECT_EQ(RunMathematics(v, "1", "1", "0", "$SUM$", random), "2");
  EXPECT_EQ(v.Get("SUM"), "2");

  // A failure overwrites the previous value with "".
  EXPECT_EQ(RunMathematics(v, "$N$", "0", "3", "SUM", random), "");
  EXPECT_TRUE(v.Exists("SUM"));
  EXPECT_EQ(v.Get("SUM"), "");

  // The operation code is used as written, not expanded.
  v.Define("OP", "0");
  EXPECT_EQ(RunMathematics(v, "1", "1", "$OP$", "SUM", random), "");

  // Code 11 reads the first byte of the expanded text.
  EXPECT_EQ(RunMathematics(v, "$N$", "", "11", "SUM", random), "52");

  // No result variable: nothing is declared or assigned.
  const size_t count = v.Count();
  EXPECT_EQ(RunMathematics(v, "2", "2", "2", "", random), "4");
  EXPECT_EQ(v.Count(), count);
}

TEST(Mathematics, ResultAssignmentHonoursSilentProtection) {
  TVariableManager v;
  RandomGenerator random;
  v.Define("COUNT", "7");
  v.SetCommandLineProperties({"COUNT", "7"});
  v.SetSilent(true);
  RunMathematics(v, "1", "1", "0", "COUNT", random);
  EXPECT_EQ(v.Get("COUNT"), "7");
}

TEST(Mathematics, ParseInt64) {
  const struct {
    const char* text;
    bool ok;
    int64_t value;
  } cases[] = {
      {"0", true, 0}, {"-9223372036854775808", true, INT64_MIN}, {"9223372036854775807", true, INT64_MAX},
      {"9223372036854775808", false, 0}, {"-9223372036854775809", false, 0}, {"+5", true, 5},
      {"", false, 0}, {"+", false, 0}, {"5 ", false, 0}, {"1e3", false, 0},
  };
  for (const auto& c : cases) {
    int64_t value = -1;
    EXPECT_EQ(ParseInt64(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

}  // namespace
}  // namespace qel
