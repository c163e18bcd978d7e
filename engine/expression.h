// The "Evaluate Expression" command: a boolean expression over quoted strings.
//   sequence   := term { word term }        word is exactly "and" or "or"
//   term       := "(" sequence ")" | comparison
//   comparison := quoted operator quoted    operator: = <> <= < >= >
// Words combine strictly from left to right, without precedence.
#pragma once

#include <string>
#include <string_view>

namespace qel {

class TVariableManager;

inline constexpr std::string_view kExpressionTrue = "TRUE";
inline constexpr std::string_view kExpressionFalse = "FALSE";
inline constexpr std::string_view kExpressionError = "ERROR";

// Evaluates expanded expression text: "TRUE", "FALSE" or "ERROR".
std::string_view EvaluateExpressionText(std::string_view text);

// The compiler's check: every "$" becomes a double quote, then the text is
// evaluated; it passes unless the result is "ERROR".
bool ExpressionSyntaxOk(std::string_view raw_expression);

// The statement: p1 the expression (expanded with quoting), p2 the result
// variable. Declares it upper-cased when absent and assigns the result with the
// context "Evaluate Expression Action". Returns the result.
std::string_view RunEvaluateExpression(TVariableManager& vars, std::string_view p1, std::string_view p2);

}  // namespace qel
