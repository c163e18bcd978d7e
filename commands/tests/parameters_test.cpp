#include <gtest/gtest.h>

#include "commands/tests/command_fixture.h"
#include "commands/parameter_kinds.h"

namespace qel::commands {
namespace {

using testing::MakeParams;

TEST(FlagValue, OnlyTrueOrMinusOne) {
  const std::pair<const char*, bool> cases[] = {
      {"TRUE", true}, {"true", true}, {"True", true}, {"-1", true},  {"1", false},
      {"", false},    {"FALSE", false}, {" TRUE", false}, {"yes", false}, {"-1 ", false},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(FlagValue(text), expected);
  }
}

TEST(NumberValue, DecimalIntegersOnly) {
  EXPECT_EQ(NumberValue("42"), 42);
  EXPECT_EQ(NumberValue("-7"), -7);
  EXPECT_EQ(NumberValue("+3"), 3);
  for (const char* bad : {"", "x", "1.0", "12a", "99999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(NumberValue(bad), ConversionError);
  }
}

TEST(VariableNameValue, UnwrapsOnlyPlainDollarPairs) {
  EXPECT_EQ(VariableNameValue("$ABC$"), "ABC");
  EXPECT_EQ(VariableNameValue("ABC"), "ABC");
  EXPECT_EQ(VariableNameValue("$A$B$"), "$A$B$");
  EXPECT_EQ(VariableNameValue("$ABC"), "$ABC");
}

TEST(CommandParams, PathParameterKeepsUncPrefixAndCollapsesDoubling) {
  TVariableManager vars;
  vars.Set("SHARE", "\\\\server\\share");
  vars.Set("DRIVE", "C:\\");
  const auto p = MakeParams(vars, "Parse String", {"$SHARE$\\\\dir\\\\f.txt", "$DRIVE$\\folder", "$SHARE$"});
  EXPECT_EQ(p.path(1), "\\\\server\\share\\dir\\f.txt");
  EXPECT_EQ(p.path(2), "C:\\folder");
  EXPECT_EQ(p.text(3), "\\\\server\\share");
  EXPECT_EQ(p.raw(3), "$SHARE$");
  EXPECT_EQ(p.raw(9), "");
}

TEST(CommandParams, EveryReadSeesTheCurrentValue) {
  TVariableManager vars;
  vars.Set("X", "1");
  const auto p = MakeParams(vars, "Parse String", {"$X$"});
  EXPECT_EQ(p.number(1), 1);
  vars.Set("X", "2");
  EXPECT_EQ(p.number(1), 2);
  vars.Set("X", "two");
  EXPECT_THROW(p.number(1), ConversionError);
}

class FixedTranslator : public ParameterTranslator {
 public:
  bool Translate(std::string_view key, int slot, std::string& text) const override {
    if (key != "{TEST-KEY}" || slot != 2) return false;
    text = "Hallo $NAME$";
    return true;
  }
};

TEST(CommandParams, TranslatedTextUsesItsSlotThenExpands) {
  TVariableManager vars;
  vars.Set("NAME", "Welt");
  const auto p = MakeParams(vars, "Create User", {"Hello $NAME$", "Hello $NAME$"});
  FixedTranslator translator;
  EXPECT_EQ(p.translated(1, 2), "Hello Welt");  // no language active
  SetParameterTranslator(&translator);
  EXPECT_EQ(p.translated(1, 2), "Hallo Welt");
  EXPECT_EQ(p.translated(2, 1), "Hello Welt");  // another slot: untranslated
  SetParameterTranslator(nullptr);
}

TEST(CommandParams, AssignDefinesUpperCaseAndUsesActionContext) {
  TVariableManager vars;
  const auto p = MakeParams(vars, "Get System Settings", {});
  EXPECT_EQ(p.action_context(), "Get System Settings Action");
  p.assign("result", "v");
  EXPECT_TRUE(vars.Exists("RESULT"));
  EXPECT_EQ(vars.Get("result"), "v");
  p.assign("", "ignored");
  EXPECT_FALSE(vars.Exists(""));
}

}  // namespace
}  // namespace qel::commands
