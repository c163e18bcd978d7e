#include "engine/conditions.h"

#include <gtest/gtest.h>

#include "engine/tests/printable_name.h"

#include <cctype>
#include <ostream>
#include <string_view>

#include "engine/variables.h"

namespace qel {
namespace {

struct ConditionCase {
  const char* x;  // value of the tested variable
  const char* op;
  const char* y;
  const char* negate;
  bool holds;
};

using qel::testing_support::Printable;

void PrintTo(const ConditionCase& c, std::ostream* os) {
  *os << Printable(c.x) << "_op" << c.op << "_" << Printable(c.y) << "_" << Printable(c.negate);
}

class ConditionTest : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(ConditionTest, Holds) {
  const ConditionCase& c = GetParam();
  TVariableManager v;
  v.Define("V", c.x);
  v.Define("Y", c.y);
  EXPECT_EQ(EvaluateCondition(v, "V", c.op, c.y, c.negate), c.holds)
      << "'" << c.x << "' op " << c.op << " '" << c.y << "' negate '" << c.negate << "'";
  // The reference form of P1 and a reference in P3 give the same outcome.
  EXPECT_EQ(EvaluateCondition(v, "$V$", c.op, "$Y$", c.negate), c.holds);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, ConditionTest,
    ::testing::Values(
        // 0: equality, case-sensitive; integers by value.
        ConditionCase{"abc", "0", "abc", "", true}, ConditionCase{"Next", "0", "NEXT", "", false},
        ConditionCase{"007", "0", "7", "", true}, ConditionCase{"+7", "0", "7", "", true},
        ConditionCase{"", "0", "", "", true},
        // 1: text contains (case-sensitive, empty never occurs); integers: equality.
        ConditionCase{"abc", "1", "b", "", true}, ConditionCase{"abc", "1", "", "", false},
        ConditionCase{"abc", "1", "B", "", false}, ConditionCase{"15", "1", "5", "", false},
        ConditionCase{"5", "1", "05", "", true},
        // 2: greater; integers by value, texts by unsigned bytes.
        ConditionCase{"10", "2", "9", "", true}, ConditionCase{"10", "2", "9a", "", false},
        ConditionCase{"9", "2", "10", "", false}, ConditionCase{"-1", "2", "-2", "", true},
        ConditionCase{"b", "2", "a", "", true}, ConditionCase{"a", "2", "a", "", false},
        ConditionCase{"ab", "2", "a", "", true}, ConditionCase{"\xE9", "2", "z", "", true},
        // Beyond 32 bits the values are texts: "3" sorts before "4".
        ConditionCase{"3000000000", "2", "400", "", false},
        ConditionCase{"2147483647", "2", "2147483646", "", true},
        ConditionCase{"-2147483648", "2", "-2147483647", "", false},
        // 3: contains ignoring case; integers: equality.
        ConditionCase{"abc", "3", "B", "", true}, ConditionCase{"abc", "3", "", "", false},
        ConditionCase{"abc", "3", "d", "", false}, ConditionCase{"15", "3", "5", "", false},
        // 4: equality ignoring ASCII case.
        ConditionCase{"Next", "4", "NEXT", "", true}, ConditionCase{"Next", "4", "NEX", "", false},
        ConditionCase{"\xE9", "4", "\xC9", "", false}, ConditionCase{"12", "4", "012", "", true},
        // 6: version greater.
        ConditionCase{"2.7.10", "6", "2.7.9", "", true}, ConditionCase{"2.7", "6", "2.7.0", "", false},
        ConditionCase{"2.7.0", "6", "2.7", "", false}, ConditionCase{"3", "6", "2.99.99.99", "", true},
        ConditionCase{"2.7.1", "6", "2.7.x", "", true}, ConditionCase{"2.7.x", "6", "2.7", "", false},
        ConditionCase{"1.2.3.4.5", "6", "1.2.3.3", "", false},  // the fourth part "4.5" is no number
        ConditionCase{"10.0", "6", "9.9", "", true}, ConditionCase{"", "6", "0", "", false},
        // Codes that name no operator never hold.
        ConditionCase{"a", "7", "a", "", false}, ConditionCase{"a", "", "a", "", false},
        ConditionCase{"a", "00", "a", "", false}, ConditionCase{"a", "x", "a", "", false},
        // Negate flag: read as a boolean ("TRUE" in any case or "-1").
        ConditionCase{"10", "2", "9", "TRUE", false}, ConditionCase{"x", "0", "y", "-1", true},
        ConditionCase{"x", "0", "y", "true", true}, ConditionCase{"x", "0", "y", "1", false},
        ConditionCase{"a", "7", "a", "TRUE", true}));

TEST(Condition, ValueOfTheVariableIsExpandedAndMissingVariableIsEmpty) {
  TVariableManager v;
  v.Define("TITLE", "App");
  v.Define("V", "Setup $TITLE$");
  EXPECT_TRUE(EvaluateCondition(v, "V", "0", "Setup App", ""));
  EXPECT_TRUE(EvaluateCondition(v, "$v$", "0", "Setup $TITLE$", ""));
  EXPECT_TRUE(EvaluateCondition(v, "MISSING", "0", "", ""));
  EXPECT_FALSE(EvaluateCondition(v, "MISSING", "0", "x", ""));
  // P1 names the variable; it is not itself a text to compare.
  EXPECT_FALSE(EvaluateCondition(v, "TITLE", "0", "TITLE", ""));
}

TEST(Condition, ExistenceTestUsesP1AsWritten) {
  TVariableManager v;
  v.Define("THERE", "");
  const struct {
    const char* p1;
    const char* negate;
    bool holds;
  } cases[] = {
      {"THERE", "", true}, {"there", "", true}, {"$THERE$", "", false},
      {"ABSENT", "", false}, {"ABSENT", "TRUE", true}, {"THERE", "TRUE", false},
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluateCondition(v, c.p1, "5", "", c.negate), c.holds) << c.p1;
}

TEST(Condition, NonNumericVersionPartBeforeTheLastThrows) {
  const struct {
    const char* x;
    const char* y;
  } cases[] = {{"2.x.1", "1"}, {"1", "a.1"}, {"1..2", "1"}, {"1.2.3b.4", "1"}};
  for (const auto& c : cases) EXPECT_THROW(VersionGreater(c.x, c.y), VersionFormatError) << c.x << " " << c.y;
  TVariableManager v;
  v.Define("V", "2.x.1");
  EXPECT_THROW(EvaluateCondition(v, "V", "6", "1", ""), VersionFormatError);
}

TEST(Condition, ParseInt32) {
  const struct {
    const char* text;
    bool ok;
    int32_t value;
  } cases[] = {
      {"0", true, 0},         {"-0", true, 0},          {"+12", true, 12},
      {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0}, {"-2147483649", false, 0}, {"99999999999999999999999", false, 0},
      {"", false, 0},         {"-", false, 0},          {"1a", false, 0},
      {" 1", false, 0},       {"1.0", false, 0},        {"0x10", false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = -77;
    EXPECT_EQ(ParseInt32(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

}  // namespace
}  // namespace qel
