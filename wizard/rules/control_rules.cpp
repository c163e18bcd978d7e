#include "wizard/rules/control_rules.h"

#include "engine/comma_text.h"

namespace qel::wizard::rules {

namespace {

// Cuts text at the first occurrence of separator: returns what lies before it
// and leaves the rest (after the separator) in text; without the separator the
// whole text is returned and text becomes empty.
std::string CutAt(std::string_view& text, std::string_view separator) {
  size_t at = text.find(separator);
  if (at == std::string_view::npos) {
    std::string all(text);
    text = {};
    return all;
  }
  std::string head(text.substr(0, at));
  text.remove_prefix(at + separator.size());
  return head;
}

}  // namespace

ControlRule ParseRule(std::string_view line) {
  ControlRule rule;
  std::string_view rest = line.size() > 4 ? line.substr(4) : std::string_view();
  std::string_view op_text = " = ";
  if (rest.find(" <> ") != std::string_view::npos) {
    rule.op = Operator::NotEqual;
    op_text = " <> ";
  }
  rule.component1 = CutAt(rest, ".");
  rule.property1 = CutAt(rest, op_text);
  rule.value1 = CutAt(rest, ")  THEN  ");
  rule.component2 = CutAt(rest, ".");
  rule.property2 = CutAt(rest, " := ");
  rule.value2 = CutAt(rest, ";");
  return rule;
}

std::vector<ControlRule> ParseRules(std::string_view comma_text) {
  std::vector<ControlRule> out;
  for (const std::string& line : SplitCommaText(comma_text))
    if (!line.empty()) out.push_back(ParseRule(line));
  return out;
}

std::string ResolveValue(std::string_view value, PropertyAccess& access) {
  size_t dot = value.find('.');
  if (dot == std::string_view::npos) return std::string(value);
  return access.Read(value.substr(0, dot), value.substr(dot + 1)).value_or("");
}

int EvaluateRules(const std::vector<ControlRule>& rules, PropertyAccess& access) {
  int fired = 0;
  for (const ControlRule& rule : rules) {
    std::string expected = ResolveValue(rule.value1, access);
    std::string actual;
    if (!rule.component1.empty()) actual = access.Read(rule.component1, rule.property1).value_or("");
    bool equal = actual == expected;
    if (equal != (rule.op == Operator::Equal)) continue;
    ++fired;
    if (rule.component2.empty()) continue;
    access.Write(rule.component2, rule.property2, ResolveValue(rule.value2, access));
  }
  return fired;
}

int EvaluateRules(std::string_view comma_text, PropertyAccess& access) {
  return EvaluateRules(ParseRules(comma_text), access);
}

}  // namespace qel::wizard::rules
