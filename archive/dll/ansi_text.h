// Conversions between the ANSI code page of the DLL's interface and the reader's UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qel::archive {

std::string utf8_from_ansi(std::string_view ansi);
// Characters the ANSI code page lacks become '?'.
std::string ansi_from_utf8(std::string_view utf8);
std::filesystem::path path_from_ansi(std::string_view ansi);

}  // namespace qel::archive
