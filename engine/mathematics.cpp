#include "engine/mathematics.h"

#include <limits>

#include "engine/variables.h"

namespace qel {

RandomGenerator& random_generator() {
  static RandomGenerator generator;
  return generator;
}

bool ParseInt64(std::string_view text, int64_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  // Accumulate negatively so that the most negative value fits.
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  int64_t acc = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const int digit = text[i] - '0';
    if (acc < (kMin + digit) / 10) return false;
    acc = acc * 10 - digit;
  }
  if (!negative) {
    if (acc == kMin) return false;
    acc = -acc;
  }
  value = acc;
  return true;
}

namespace {

int64_t Wrap(uint64_t v) { return static_cast<int64_t>(v); }
uint64_t U(int64_t v) { return static_cast<uint64_t>(v); }
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(U(v))); }

}  // namespace

std::optional<std::string> ComputeMathematics(std::string_view a_text, std::string_view b_text,
                                              std::string_view code_text, RandomGenerator& random) {
  int64_t code;
  if (!ParseInt64(code_text, code) || code < 0 || code > 15) return std::nullopt;
  if (code == 11) {
    if (a_text.empty()) return std::nullopt;
    return std::to_string(static_cast<unsigned char>(a_text[0]));
  }
  int64_t a = 0, b = 0;
  if (!ParseInt64(a_text, a)) return std::nullopt;
  if ((code <= 9 || code == 13) && !ParseInt64(b_text, b)) return std::nullopt;

  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  int64_t result = 0;
  switch (code) {
    case 0: result = Wrap(U(a) + U(b)); break;
    case 1: result = Wrap(U(a) - U(b)); break;
    case 2: result = Wrap(U(a) * U(b)); break;
    case 3:
      if (b == 0) return std::nullopt;
      result = (a == kMin && b == -1) ? kMin : a / b;  // the one quotient that overflows wraps
      break;
    case 4:
      if (b == 0) return std::nullopt;
      result = (b == -1) ? 0 : a % b;
      break;
    case 5: result = a & b; break;
    case 6: result = a | b; break;
    case 7: result = a ^ b; break;
    // Shift counts outside 0..63 give 0 (64..127 as the processor would, the rest by choice).
    case 8: result = (b >= 0 && b < 64) ? Wrap(U(a) << b) : 0; break;
    case 9: result = (b >= 0 && b < 64) ? Wrap(U(a) >> b) : 0; break;
    case 10: result = ~a; break;
    case 12: return std::string(1, static_cast<char>(static_cast<unsigned char>(U(a) & 0xFF)));
    case 13:
      random.multiplier = Low32(a);
      random.increment = Low32(b);
      result = Wrap(U(a) + U(b));
      break;
    case 14:
      random.seed = Low32(a);
      result = random.seed;
      break;
    case 15: {
      const uint32_t ux = static_cast<uint32_t>(random.multiplier) * static_cast<uint32_t>(random.seed) +
                          static_cast<uint32_t>(random.increment);
      const int32_t x = static_cast<int32_t>(ux);
      random.seed = x % 32767;
      if (a == 0) return std::nullopt;
      result = (a == -1) ? 0 : int64_t{x} % a;
      break;
    }
  }
  return std::to_string(result);
}

std::string RunMathematics(TVariableManager& vars, std::string_view p1, std::string_view p2,
                           std::string_view p3, std::string_view p4, RandomGenerator& random) {
  static const std::string context = ActionContext("Mathematics");
  const std::string_view target = VariableNameOf(p4);
  vars.DeclareUpper(target, context);
  int64_t code = -1;
  ParseInt64(p3, code);
  const std::string a = vars.Expand(p1);
  const std::string b = (code <= 9 || code == 13) && code >= 0 ? vars.Expand(p2) : std::string();
  std::string result = ComputeMathematics(a, b, p3, random).value_or(std::string());
  if (!target.empty()) vars.Assign(target, result, context);
  return result;
}

}  // namespace qel
