// How a command turns the text of one parameter line into a value.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qel::commands {

// A number parameter that is not a decimal integer. The executor's error
// handler reports it and ends the script.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True exactly for "TRUE" in any case or "-1"; everything else is false.
bool FlagValue(std::string_view text);

// A 32-bit decimal integer with an optional sign; throws ConversionError.
int32_t NumberValue(std::string_view text);

// "$NAME$" -> "NAME"; anything else (also "$A$B$") unchanged.
std::string VariableNameValue(std::string_view text);

}  // namespace qel::commands
