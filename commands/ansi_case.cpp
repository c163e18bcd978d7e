#include "commands/ansi_case.h"

#include "commands/platform_hooks.h"

namespace qel::commands {

namespace {
unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

char Cp1252Upper(char c) {
  const unsigned char b = Byte(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
  switch (b) {
    case 0x9A: return static_cast<char>(0x8A);  // š
    case 0x9C: return static_cast<char>(0x8C);  // œ
    case 0x9E: return static_cast<char>(0x8E);  // ž
    case 0xFF: return static_cast<char>(0x9F);  // ÿ
    default: return c;
  }
}

char Cp1252Lower(char c) {
  const unsigned char b = Byte(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
  switch (b) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return c;
  }
}

std::string ConvertCase(std::string_view text, bool upper) {
  std::string out(text);
  if (const auto system_case = PlatformHooks().ansi_case) {
    system_case(out, upper);
    return out;
  }
  for (char& c : out) c = upper ? Cp1252Upper(c) : Cp1252Lower(c);
  return out;
}

}  // namespace

char AnsiUpper(char c) { return ConvertCase(std::string_view(&c, 1), true)[0]; }
char AnsiLower(char c) { return ConvertCase(std::string_view(&c, 1), false)[0]; }
std::string AnsiUpperText(std::string_view text) { return ConvertCase(text, true); }
std::string AnsiLowerText(std::string_view text) { return ConvertCase(text, false); }

}  // namespace qel::commands
