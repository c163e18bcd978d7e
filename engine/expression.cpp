#include "engine/expression.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/variables.h"

namespace qel {
namespace {

// An integer literal: optional sign, then at least one decimal digit.
bool IsIntegerLiteral(std::string_view s) {
  size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// Compares two integer literals by value, whatever their length: a long literal
// must not wrap into a small number.
int CompareIntegers(std::string_view a, std::string_view b) {
  auto split = [](std::string_view s, bool& negative) {
    negative = s[0] == '-';
    if (s[0] == '+' || s[0] == '-') s.remove_prefix(1);
    const size_t nz = s.find_first_not_of('0');
    s = nz == std::string_view::npos ? std::string_view() : s.substr(nz);
    if (s.empty()) negative = false;  // -0 is 0
    return s;
  };
  bool na, nb;
  std::string_view da = split(a, na), db = split(b, nb);
  if (na != nb) return na ? -1 : 1;
  int magnitude = da.size() != db.size() ? (da.size() < db.size() ? -1 : 1) : da.compare(db);
  magnitude = magnitude < 0 ? -1 : (magnitude > 0 ? 1 : 0);
  return na ? -magnitude : magnitude;
}

int CompareTexts(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return c < 0 ? -1 : 1;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  // The whole text is one "(" sequence ")" (the caller wraps it) and nothing after.
  std::optional<bool> Run() {
    std::optional<bool> value = Term();
    SkipSpaces();
    if (!value || pos_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void SkipSpaces() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  // Characters up to the next double quote or space.
  std::string_view Word() {
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != ' ') ++pos_;
    return text_.substr(start, pos_ - start);
  }

  std::optional<bool> Sequence() {
    std::optional<bool> value = Term();
    if (!value) return std::nullopt;
    for (;;) {
      SkipSpaces();
      if (pos_ == text_.size() || text_[pos_] == ')') return value;
      const std::string_view word = Word();
      if (word != "and" && word != "or") return std::nullopt;
      const std::optional<bool> term = Term();
      if (!term) return std::nullopt;
      value = word == "and" ? (*value && *term) : (*value || *term);
    }
  }

  std::optional<bool> Term() {
    SkipSpaces();
    if (pos_ < text_.size() && text_[pos_] == '(') {
      if (++depth_ > kMaxDepth) return std::nullopt;
      ++pos_;
      std::optional<bool> value = Sequence();
      --depth_;
      SkipSpaces();
      if (!value || pos_ == text_.size() || text_[pos_] != ')') return std::nullopt;
      ++pos_;
      return value;
    }
    return Comparison();
  }

  bool Quoted(std::string& out) {
    SkipSpaces();
    if (pos_ == text_.size() || text_[pos_] != '"') return false;
    ++pos_;
    out.clear();
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c != '"') {
        out.push_back(c);
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == '"') {
        out.push_back('"');
        ++pos_;
        continue;
      }
      return true;
    }
    return false;  // no closing quote
  }

  std::optional<bool> Comparison() {
    std::string left, right;
    if (!Quoted(left)) return std::nullopt;
    SkipSpaces();
    const std::string_view op = Word();
    if (!Quoted(right)) return std::nullopt;
    const int c = IsIntegerLiteral(left) && IsIntegerLiteral(right) ? CompareIntegers(left, right)
                                                                     : CompareTexts(left, right);
    if (op == "=") return c == 0;
    if (op == "<>") return c != 0;
    if (op == "<=") return c <= 0;
    if (op == "<") return c < 0;
    if (op == ">=") return c >= 0;
    if (op == ">") return c > 0;
    return std::nullopt;
  }

  // Nesting deeper than this is refused rather than risking the stack.
  static constexpr int kMaxDepth = 1000;

  std::string_view text_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::string_view EvaluateExpressionText(std::string_view text) {
  std::string wrapped;
  wrapped.reserve(text.size() + 2);
  wrapped.push_back('(');
  wrapped.append(text);
  wrapped.push_back(')');
  const std::optional<bool> value = Parser(wrapped).Run();
  if (!value) return kExpressionError;
  return *value ? kExpressionTrue : kExpressionFalse;
}

bool ExpressionSyntaxOk(std::string_view raw_expression) {
  std::string text(raw_expression);
  std::replace(text.begin(), text.end(), '$', '"');
  return EvaluateExpressionText(text) != kExpressionError;
}

std::string_view RunEvaluateExpression(TVariableManager& vars, std::string_view p1, std::string_view p2) {
  static const std::string context = ActionContext("Evaluate Expression");
  const std::string_view target = VariableNameOf(p2);
  vars.DeclareUpper(target, context);
  const std::string_view result = EvaluateExpressionText(vars.ExpandQuoted(p1));
  if (!target.empty()) vars.Assign(target, result, context);
  return result;
}

}  // namespace qel
