#include "commands/parameter_kinds.h"

#include "engine/ascii.h"
#include "engine/conditions.h"
#include "engine/variables.h"

namespace qel::commands {

bool FlagValue(std::string_view text) { return EqualsNoCase(text, "TRUE") || text == "-1"; }

int32_t NumberValue(std::string_view text) {
  int32_t value = 0;
  if (!ParseInt32(text, value))
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
  return value;
}

std::string VariableNameValue(std::string_view text) { return std::string(VariableNameOf(text)); }

}  // namespace qel::commands
