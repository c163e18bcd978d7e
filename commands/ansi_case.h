// Upper and lower case of 8-bit ANSI text under the system's ANSI code page
// when the platform supplies it (PlatformHooks().ansi_case); otherwise the
// Windows-1252 rules: ASCII letters and the Latin-1 letters À-Þ / à-þ (except
// × and ÷), plus Š/š, Œ/œ, Ž/ž and Ÿ/ÿ.
#pragma once

#include <string>
#include <string_view>

namespace qel::commands {

char AnsiUpper(char c);
char AnsiLower(char c);
std::string AnsiUpperText(std::string_view text);
std::string AnsiLowerText(std::string_view text);

}  // namespace qel::commands
