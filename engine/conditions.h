// The condition of "If", "Else If", "While" and "Until".
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qel {

class TVariableManager;

// A version part before the last one that is not a number. Ends the script.
class VersionFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a 32-bit decimal integer: optional "+" or "-", at least one digit,
// nothing else, within range.
bool ParseInt32(std::string_view text, int32_t& value);

// Whether version x is greater than version y. Each is split at "." into up to
// four parts (the fourth takes the rest); missing parts count 0, a non-numeric
// last part counts 0, a non-numeric earlier part throws VersionFormatError.
bool VersionGreater(std::string_view x, std::string_view y);

// Compares already expanded X and Y with operator code op ("0" to "6"; "5" is
// not handled here). Integers when both convert to 32-bit integers, else text.
bool CompareConditionValues(std::string_view x, std::string_view op, std::string_view y);

// The whole condition. p1: variable name or "$NAME$"; p2: operator code;
// p3: value with references; p4: negate flag. The caller passes p1 and p3
// already translated when a language is active.
bool EvaluateCondition(const TVariableManager& vars, std::string_view p1, std::string_view p2,
                       std::string_view p3, std::string_view p4);

}  // namespace qel
