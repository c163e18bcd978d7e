#include "engine/expression.h"

#include <gtest/gtest.h>

#include "engine/tests/printable_name.h"

#include <cctype>
#include <ostream>
#include <string_view>

#include <algorithm>

#include "engine/variables.h"

namespace qel {
namespace {

struct ExpressionCase {
  const char* text;
  const char* expected;
};

using qel::testing_support::Printable;

void PrintTo(const ExpressionCase& c, std::ostream* os) { *os << Printable(c.text); }

class ExpressionTest : public ::testing::TestWithParam<ExpressionCase> {};

TEST_P(ExpressionTest, Evaluates) {
  EXPECT_EQ(EvaluateExpressionText(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpressionTest,
    ::testing::Values(
        ExpressionCase{R"("1" = "1" and "a" < "b")", "TRUE"},
        ExpressionCase{R"("1" = "1" AND "a" < "b")", "ERROR"},
        ExpressionCase{R"("a" = "a" or)", "ERROR"},
        ExpressionCase{R"("1" = "1" xor "1" = "1")", "ERROR"},
        // Doubled quotes stand for one quote character.
        ExpressionCase{R"("say ""hi""" = "say ""hi""")", "TRUE"},
        ExpressionCase{R"("a""" = "a")", "FALSE"},
        ExpressionCase{R"("""" = """")", "TRUE"},
        // Every operator, as integers and as texts.
        ExpressionCase{R"("1" <> "2")", "TRUE"}, ExpressionCase{R"("2" <> "2")", "FALSE"},
        ExpressionCase{R"("2" <= "2")", "TRUE"}, ExpressionCase{R"("3" <= "2")", "FALSE"},
        ExpressionCase{R"("2" < "3")", "TRUE"}, ExpressionCase{R"("3" < "3")", "FALSE"},
        ExpressionCase{R"("3" >= "3")", "TRUE"}, ExpressionCase{R"("2" >= "3")", "FALSE"},
        ExpressionCase{R"("10" > "9")", "TRUE"}, ExpressionCase{R"("10" > "9a")", "FALSE"},
        ExpressionCase{R"("-5" < "3")", "TRUE"}, ExpressionCase{R"("-10" < "-9")", "TRUE"},
        ExpressionCase{R"("+5" = "5")", "TRUE"}, ExpressionCase{R"("05" = "5")", "TRUE"},
        ExpressionCase{R"("-0" = "0")", "TRUE"}, ExpressionCase{R"("+" = "+")", "TRUE"},
        ExpressionCase{R"("abc" = "ABC")", "FALSE"}, ExpressionCase{R"("b" >= "a")", "TRUE"},
        ExpressionCase{R"("" = "")", "TRUE"}, ExpressionCase{R"("" < "a")", "TRUE"},
        ExpressionCase{"\"\xE9\" > \"z\"", "TRUE"},  // bytes compare unsigned
        // Integers longer than 32 bits still compare by value.
        ExpressionCase{R"("10000000000" > "5")", "TRUE"},
        ExpressionCase{R"("-10000000000" < "-5")", "TRUE"},
        ExpressionCase{R"("2147483648" > "2147483647")", "TRUE"},
        // Strictly left to right, no precedence.
        ExpressionCase{R"("1"="2" and "1"="1" or "1"="1")", "TRUE"},
        ExpressionCase{R"("1"="1" or "1"="1" and "1"="2")", "FALSE"},
        ExpressionCase{R"("1"="1" or ("1"="1" and "1"="2"))", "TRUE"},
        ExpressionCase{R"((("1"="1")))", "TRUE"},
        ExpressionCase{R"(("1"="2") or ("2"="2"))", "TRUE"},
        // Spacing.
        ExpressionCase{R"(  "1"="1"  )", "TRUE"}, ExpressionCase{R"("1"="1"and"2"="2")", "TRUE"},
        ExpressionCase{R"( ( "1" = "1" ) )", "TRUE"},
        // Malformed.
        ExpressionCase{"", "ERROR"}, ExpressionCase{"   ", "ERROR"}, ExpressionCase{R"("1")", "ERROR"},
        ExpressionCase{R"(("1"="1")", "ERROR"}, ExpressionCase{R"("1"="1"))", "ERROR"},
        // The wrapping pair closes early here; the rest is left over.
        ExpressionCase{R"("1"="1") and ("2"="2")", "ERROR"},
        ExpressionCase{R"("1" == "1")", "ERROR"}, ExpressionCase{R"("1" = 1)", "ERROR"},
        ExpressionCase{R"("1" "1")", "ERROR"}, ExpressionCase{R"("1" = "1)", "ERROR"},
        ExpressionCase{R"(1 = "1")", "ERROR"}, ExpressionCase{R"("1"="1" and)", "ERROR"},
        ExpressionCase{R"(and "1"="1")", "ERROR"}, ExpressionCase{R"(())", "ERROR"},
        ExpressionCase{R"("1"="1" and("2"="2"))", "ERROR"}));

TEST(Expression, DeepNestingIsHandledWithoutExhaustingTheStack) {
  const std::string shallow = std::string(200, '(') + R"("1"="1")" + std::string(200, ')');
  EXPECT_EQ(EvaluateExpressionText(shallow), "TRUE");
  const std::string deep = std::string(200000, '(') + R"("1"="1")" + std::string(200000, ')');
  EXPECT_EQ(EvaluateExpressionText(deep), "ERROR");
}

TEST(Expression, SyntaxCheckTurnsReferencesIntoQuotedStrings) {
  const struct {
    const char* raw;
    bool ok;
  } cases[] = {
      {R"($A$ = "1")", true},
      {R"($A$ = $B$ and $C$ <> "x")", true},
      {R"($A$ = "1" AND $B$ = "2")", false},
      {R"($A$ = )", false},
      {R"($A$ $B$)", false},
      {R"(($A$ = "1")", false},
      {R"($A$ = "")", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpressionSyntaxOk(c.raw), c.ok) << c.raw;
}

TEST(Expression, StatementQuotesValuesAndAssignsTheResult) {
  TVariableManager v;
  v.Define("A", "1");
  v.Define("NAME", "two words");
  v.Define("Q", "x\"y");
  const struct {
    const char* expression;
    const char* expected;
  } cases[] = {
      {R"($A$ = "1")", "TRUE"},
      {R"($A$ = "2")", "FALSE"},
      {R"($NAME$ = "two words" and $A$ < "10")", "TRUE"},
      {R"($MISSING$ = "1")", "ERROR"},  // an unknown reference stays unquoted
      {R"($Q$ = "x")", "ERROR"},       // a quote inside a value is not doubled
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunEvaluateExpression(v, c.expression, "result"), c.expected) << c.expression;
    EXPECT_EQ(v.Get("RESULT"), c.expected) << c.expression;
  }
  std::vector<std::string> pairs;
  v.ExportPairs(pairs);
  EXPECT_NE(std::find(pairs.begin(), pairs.end(), "RESULT"), pairs.end());
  EXPECT_EQ(RunEvaluateExpression(v, R"("1"="1")", "$RESULT$"), "TRUE");
  EXPECT_EQ(v.Get("RESULT"), "TRUE");
}

}  // namespace
}  // namespace qel
