#include "wizard/form_colors.h"

#include <cstdlib>
#include <string>

#include "engine/ascii.h"

namespace qel::wizard {

namespace {

struct Named {
  const char* name;
  bool system;
  uint32_t value;
};

// System colour indices follow the Win32 COLOR_* numbering.
constexpr Named kNamed[] = {
    {"clBlack", false, 0x000000},      {"clMaroon", false, 0x000080},   {"clGreen", false, 0x008000},
    {"clOlive", false, 0x008080},      {"clNavy", false, 0x800000},     {"clPurple", false, 0x800080},
    {"clTeal", false, 0x808000},       {"clGray", false, 0x808080},     {"clSilver", false, 0xC0C0C0},
    {"clRed", false, 0x0000FF},        {"clLime", false, 0x00FF00},     {"clYellow", false, 0x00FFFF},
    {"clBlue", false, 0xFF0000},       {"clFuchsia", false, 0xFF00FF},  {"clAqua", false, 0xFFFF00},
    {"clWhite", false, 0xFFFFFF},      {"clLtGray", false, 0xC0C0C0},   {"clDkGray", false, 0x808080},
    {"clMoneyGreen", false, 0xC0DCC0}, {"clSkyBlue", false, 0xF0CAA6}, {"clCream", false, 0xF0FBFF},
    {"clMedGray", false, 0xA4A0A0},
    {"clScrollBar", true, 0},          {"clBackground", true, 1},       {"clActiveCaption", true, 2},
    {"clInactiveCaption", true, 3},    {"clMenu", true, 4},             {"clWindow", true, 5},
    {"clWindowFrame", true, 6},        {"clMenuText", true, 7},         {"clWindowText", true, 8},
    {"clCaptionText", true, 9},        {"clActiveBorder", true, 10},    {"clInactiveBorder", true, 11},
    {"clAppWorkSpace", true, 12},      {"clHighlight", true, 13},       {"clHighlightText", true, 14},
    {"clBtnFace", true, 15},           {"clBtnShadow", true, 16},       {"clGrayText", true, 17},
    {"clBtnText", true, 18},           {"clInactiveCaptionText", true, 19}, {"clBtnHighlight", true, 20},
    {"cl3DDkShadow", true, 21},        {"cl3DLight", true, 22},         {"clInfoText", true, 23},
    {"clInfoBk", true, 24},            {"clHotLight", true, 26},        {"clGradientActiveCaption", true, 27},
    {"clGradientInactiveCaption", true, 28}, {"clMenuHighlight", true, 29}, {"clMenuBar", true, 30},
};

FormColor from_integer(int64_t v) {
  FormColor c;
  uint32_t u = static_cast<uint32_t>(v);
  if ((u & 0xFF000000u) == 0xFF000000u || (u & 0xFF000000u) == 0x80000000u) {
    c.system = true;
    c.value = u & 0xFF;
  } else if (u == 0x1FFFFFFFu) {
    c.none = true;
  } else if (u == 0x20000000u) {
    c.default_color = true;
  } else {
    c.value = u & 0x00FFFFFFu;
  }
  return c;
}

}  // namespace

std::optional<FormColor> parse_form_color(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (EqualsNoCase(text, "clNone")) {
    FormColor c;
    c.none = true;
    return c;
  }
  if (EqualsNoCase(text, "clDefault")) {
    FormColor c;
    c.default_color = true;
    return c;
  }
  for (const Named& n : kNamed)
    if (EqualsNoCase(text, n.name)) return FormColor{n.system, false, false, n.value};
  std::string s(text);
  char* end = nullptr;
  int64_t v;
  if (s[0] == '$')
    v = std::strtoll(s.c_str() + 1, &end, 16);
  else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    v = std::strtoll(s.c_str() + 2, &end, 16);
  else
    v = std::strtoll(s.c_str(), &end, 10);
  if (end == s.c_str() || *end != '\0' || (s[0] == '$' && s.size() == 1)) return std::nullopt;
  return from_integer(v);
}

}  // namespace qel::wizard
