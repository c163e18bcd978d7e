// The "Mathematics" command: 64-bit integer arithmetic, bit operations and a
// small linear congruential random generator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qel {

class TVariableManager;

struct RandomGenerator {
  int32_t multiplier = 0;
  int32_t increment = 0;
  int32_t seed = 0;
};

// The process-wide generator (changed only by codes 13, 14 and 15).
RandomGenerator& random_generator();

// Reads a 64-bit decimal integer: optional sign, at least one digit, in range.
bool ParseInt64(std::string_view text, int64_t& value);

// The operation on already expanded operands. nullopt for every failure: an
// operand that is not an integer, division or remainder by zero, an empty text
// for code 11, an unknown code. Arithmetic wraps in two's complement.
std::optional<std::string> ComputeMathematics(std::string_view a_text, std::string_view b_text,
                                              std::string_view code_text, RandomGenerator& random);

// The statement: p1 operand A, p2 operand B (both expanded here), p3 operation
// code (as written), p4 result variable (may be empty). Declares and assigns the
// result with the context "Mathematics Action"; a failure assigns "".
// Returns the text assigned.
std::string RunMathematics(TVariableManager& vars, std::string_view p1, std::string_view p2,
                           std::string_view p3, std::string_view p4,
                           RandomGenerator& random = random_generator());

}  // namespace qel
