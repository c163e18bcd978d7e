#include "archive/sevenzip/path_safety.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "archive/sevenzip/errors.h"

namespace qel::archive {
namespace {

std::string upper_ascii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool is_device_name(std::string_view component) {
  // Windows maps these names to devices whatever the extension ("NUL.txt", "com1 .log").
  std::string base(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  base = upper_ascii(base);
  static constexpr std::array<std::string_view, 7> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$",
                                                              "CLOCK$"};
  if (std::find(kPlain.begin(), kPlain.end(), base) != kPlain.end()) return true;
  if (base.size() >= 4 && (base.starts_with("COM") || base.starts_with("LPT"))) {
    const std::string_view digit = std::string_view(base).substr(3);
    // 0-9 and the superscripts 1, 2, 3 (UTF-8), which Windows also treats as digits here.
    if (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') return true;
    if (digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3") return true;
  }
  return false;
}

}  // namespace

std::string unsafe_component_reason(std::string_view c) {
  if (c == "..") return "refers to a parent folder";
  for (const char ch : c) {
    const auto u = static_cast<unsigned char>(ch);
    if (ch == ':') return "contains ':' (drive or alternate data stream)";
    if (u < 0x20 || ch == '<' || ch == '>' || ch == '"' || ch == '|' || ch == '?' || ch == '*')
      return "contains a character not allowed in file names";
  }
  if (c.back() == '.' || c.back() == ' ') return "ends in a dot or space";
  if (is_device_name(c)) return "names a device";
  return {};
}

std::vector<std::string> safe_path_components(std::string_view name) {
  const auto refuse = [&](const std::string& why) -> std::vector<std::string> {
    throw UnsafePathError("Illegal path in archive entry \"" + std::string(name) + "\": " + why);
  };
  if (name.empty()) return refuse("empty name");
  if (name.front() == '/' || name.front() == '\\') return refuse("absolute path");
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (const std::string why = unsafe_component_reason(part); !why.empty()) return refuse(why);
    parts.emplace_back(part);
  }
  if (parts.empty()) return refuse("no file name");
  return parts;
}

}  // namespace qel::archive
