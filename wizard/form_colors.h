// Colour values of form files: clXxx names, 0x00BBGGRR integers, and system
// colours carried as 0xFF0000nn (0x800000nn in old files). Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qel::wizard {

struct FormColor {
  bool system = false;  // index is a GetSysColor index
  bool none = false;    // clNone: nothing painted
  bool default_color = false;  // clDefault: the control's own default
  uint32_t value = 0;   // 0x00BBGGRR, or the system colour index
};

// Accepts a colour name ("clBtnFace", "clRed"), a decimal or "$"/"0x" hex
// integer, or a negative decimal as form files store system colours.
std::optional<FormColor> parse_form_color(std::string_view text);

}  // namespace qel::wizard
