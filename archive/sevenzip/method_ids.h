// 7z method ids the reader knows, by value, and their display names.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qel::archive {

enum class Method { Unknown, Copy, Lzma, Lzma2, BcjX86, Bcj2, Deflate, Aes };

Method method_from_id(std::span<const uint8_t> id);
// "030401" for {03 04 01}.
std::string method_id_hex(std::span<const uint8_t> id);
// A readable name for known ids (also unsupported ones such as "PPMD"); the hex id otherwise.
std::string method_name(std::span<const uint8_t> id);

}  // namespace qel::archive
