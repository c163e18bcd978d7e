// Control rules of a wizard page: lines such as
//   IF (Memo1.MaxLength = 2147483647)  THEN  btnAccept.Enabled := True;
// kept as comma text. Each rule compares one property with a value and, when it
// fires, writes a value into another property. Portable: properties are read
// and written through PropertyAccess.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::wizard::rules {

enum class Operator { Equal, NotEqual };

struct ControlRule {
  std::string component1, property1;
  Operator op = Operator::Equal;
  std::string value1;
  std::string component2, property2;
  std::string value2;
};

// Parses one rule line. The first four characters ("IF (") are skipped; the
// fields are cut in order at the first ".", the operator (" <> " is looked for
// before " = "), ")  THEN  ", ".", " := " and ";". A missing field leaves the
// rest empty.
ControlRule ParseRule(std::string_view line);
std::vector<ControlRule> ParseRules(std::string_view comma_text);

// Reads and writes published properties by component and property name (both
// compared without regard to case by the implementation).
class PropertyAccess {
 public:
  virtual ~PropertyAccess() = default;
  // nullopt when there is no such component or property.
  virtual std::optional<std::string> Read(std::string_view component, std::string_view property) = 0;
  virtual void Write(std::string_view component, std::string_view property, std::string_view value) = 0;
};

// A value naming a property ("Edit1.Text": it holds a ".") is replaced by that
// property's current text, or "" when it does not resolve; other values stay.
std::string ResolveValue(std::string_view value, PropertyAccess& access);

// Evaluates every rule in order; a rule sees the writes of the rules before it.
// Returns the number of rules that fired.
int EvaluateRules(const std::vector<ControlRule>& rules, PropertyAccess& access);
int EvaluateRules(std::string_view comma_text, PropertyAccess& access);

}  // namespace qel::wizard::rules
