#include "wizard/rules/control_rules.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/ascii.h"
#include "engine/comma_text.h"

namespace qel::wizard::rules {
namespace {

// Components and properties as a map keyed "COMPONENT.PROPERTY" (upper case).
class MapAccess : public PropertyAccess {
 public:
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;

  std::optional<std::string> Read(std::string_view c, std::string_view p) override {
    auto it = values.find(Key(c, p));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Write(std::string_view c, std::string_view p, std::string_view v) override {
    writes.push_back(std::string(c) + "." + std::string(p) + "=" + std::string(v));
    auto it = values.find(Key(c, p));
    if (it != values.end()) it->second = v;
  }
  static std::string Key(std::string_view c, std::string_view p) {
    return ToUpperAscii(c) + "." + ToUpperAscii(p);
  }
};

struct ParseCase {
  const char* line;
  ControlRule expected;
};

TEST(ControlRuleParse, FieldsAreCutInOrder) {
  const ParseCase cases[] = {
      {"IF (Memo1.MaxLength = 2147483647)  THEN  RadioButton1.Enabled := True;",
       {"Memo1", "MaxLength", Operator::Equal, "2147483647", "RadioButton1", "Enabled", "True"}},
      {"IF (CheckBox1.Checked <> True)  THEN  btnNext.Enabled := False;",
       {"CheckBox1", "Checked", Operator::NotEqual, "True", "btnNext", "Enabled", "False"}},
      // A value naming a property keeps its dot; only the first "." splits a field.
      {"IF (Edit1.Text = Edit2.Text)  THEN  Label1.Caption := Edit1.Text;",
       {"Edit1", "Text", Operator::Equal, "Edit2.Text", "Label1", "Caption", "Edit1.Text"}},
      // " <> " is looked for first even when " = " comes earlier in the line.
      {"IF (A.B = x <> y)  THEN  C.D := 1;", {"A", "B = x", Operator::NotEqual, "y", "C", "D", "1"}},
      // Cut where the text ends: the missing fields are empty.
      {"IF (Memo1.MaxLength = 5", {"Memo1", "MaxLength", Operator::Equal, "5", "", "", ""}},
      {"IF (", {"", "", Operator::Equal, "", "", "", ""}},
      {"", {"", "", Operator::Equal, "", "", "", ""}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.line);
    ControlRule r = ParseRule(c.line);
    EXPECT_EQ(r.component1, c.expected.component1);
    EXPECT_EQ(r.property1, c.expected.property1);
    EXPECT_EQ(r.op, c.expected.op);
    EXPECT_EQ(r.value1, c.expected.value1);
    EXPECT_EQ(r.component2, c.expected.component2);
    EXPECT_EQ(r.property2, c.expected.property2);
    EXPECT_EQ(r.value2, c.expected.value2);
  }
}

TEST(ControlRuleEvaluate, LicenceRuleEnablesOnlyAtTheEnd) {
  std::string rules = JoinCommaText({"IF (memLicence.MaxLength = 2147483647)  THEN  rbAccept.Enabled := True;",
                                     "IF (memLicence.MaxLength <> 2147483647)  THEN  rbAccept.Enabled := False;"});
  MapAccess a;
  a.values = {{"MEMLICENCE.MAXLENGTH", "1048576"}, {"RBACCEPT.ENABLED", "True"}};
  EXPECT_EQ(EvaluateRules(rules, a), 1);
  EXPECT_EQ(a.values["RBACCEPT.ENABLED"], "False");
  a.values["MEMLICENCE.MAXLENGTH"] = "2147483647";
  EXPECT_EQ(EvaluateRules(rules, a), 1);
  EXPECT_EQ(a.values["RBACCEPT.ENABLED"], "True");
}

TEST(ControlRuleEvaluate, ValuesNamingPropertiesAreResolved) {
  MapAccess a;
  a.values = {{"EDIT1.TEXT", "abc"}, {"EDIT2.TEXT", "abc"}, {"LABEL1.CAPTION", ""}};
  EXPECT_EQ(EvaluateRules(JoinCommaText({"IF (Edit1.Text = Edit2.Text)  THEN  Label1.Caption := Edit1.Text;"}), a), 1);
  EXPECT_EQ(a.values["LABEL1.CAPTION"], "abc");
  // An unknown component in a value reads as empty.
  a.values["EDIT1.TEXT"] = "";
  EXPECT_EQ(EvaluateRules(JoinCommaText({"IF (Edit1.Text = Nobody.Text)  THEN  Label1.Caption := Nobody.Caption;"}), a), 1);
  EXPECT_EQ(a.values["LABEL1.CAPTION"], "");
}

TEST(ControlRuleEvaluate, LaterRulesSeeEarlierWrites) {
  MapAccess a;
  a.values = {{"CB.CHECKED", "True"}, {"EDIT1.ENABLED", "False"}, {"BTN.ENABLED", "False"}};
  std::string rules = JoinCommaText({"IF (CB.Checked = True)  THEN  Edit1.Enabled := True;",
                                     "IF (Edit1.Enabled = True)  THEN  Btn.Enabled := True;"});
  EXPECT_EQ(EvaluateRules(rules, a), 2);
  EXPECT_EQ(a.values["BTN.ENABLED"], "True");
}

TEST(ControlRuleEvaluate, ComparisonIsExactAndMissingPropertiesReadEmpty) {
  MapAccess a;
  a.values = {{"CB.CHECKED", "True"}, {"X.TAG", "0"}};
  // "true" differs from "True": the property interface reads booleans as True/False.
  EXPECT_EQ(EvaluateRules(JoinCommaText({"IF (CB.Checked = true)  THEN  X.Tag := 1;"}), a), 0);
  EXPECT_TRUE(a.writes.empty());
  // A property the component lacks reads as empty and so equals an empty value.
  EXPECT_EQ(EvaluateRules(JoinCommaText({"IF (CB.NoSuch = )  THEN  X.Tag := 2;"}), a), 1);
  EXPECT_EQ(a.values["X.TAG"], "2");
  // An empty target component is never written.
  a.writes.clear();
  EXPECT_EQ(EvaluateRules(JoinCommaText({"IF (CB.Checked = True)  THEN  "}), a), 1);
  EXPECT_TRUE(a.writes.empty());
}

}  // namespace
}  // namespace qel::wizard::rules
