// Text conversions. Entry names are UTF-16LE in the archive and UTF-8 inside the reader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace qel::archive {

// Invalid sequences (lone surrogates, bad UTF-8) become U+FFFD.
std::string utf8_from_utf16(std::u16string_view text);
std::u16string utf16_from_utf8(std::string_view text);
// Password bytes as the AES key derivation hashes them: UTF-16LE, no terminator.
std::string utf16le_bytes(std::string_view utf8);

std::filesystem::path path_from_utf8(std::string_view utf8);
std::string utf8_from_path(const std::filesystem::path& path);

}  // namespace qel::archive
