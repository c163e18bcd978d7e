// Reading registry values for the query commands, with the result markers.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qel::commands {

inline constexpr std::string_view kNoKey = "NO$KEY";
inline constexpr std::string_view kNoValue = "NO$VALUE";
inline constexpr std::string_view kReadError = "READ$ERROR";
inline constexpr std::string_view kUnknownType = "UNKNOWN$TYPE";

bool IsRegistryMarker(std::string_view text);

// Root codes 0-4: HKCR, HKCU, HKLM, HKU, HKCC; null for any other code.
HKEY RegistryRoot(int code);

// The value as text by its type, or one of the markers. access is OR-ed with KEY_READ.
std::string ReadRegistryText(HKEY root, const std::string& key, const std::string& value, REGSAM access);

// A string value; false when the key or value is missing or not a string.
bool ReadRegistryString(HKEY root, const std::string& key, const std::string& value, REGSAM access,
                        std::string& out);
// A DWORD value, or a string value that reads as an integer.
bool ReadRegistryInteger(HKEY root, const std::string& key, const std::string& value, REGSAM access,
                         long long& out);

}  // namespace qel::commands
