// The 7z AES-256 coder (06F10701): key derivation from the password and CBC decryption.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "archive/stream.h"

namespace qel::archive {

struct AesProperties {
  unsigned cycles_power = 0;  // 2^cycles_power hashing rounds; 0x3F = raw key
  std::vector<uint8_t> salt;
  std::array<uint8_t, 16> iv{};
};

AesProperties parse_aes_properties(std::span<const uint8_t> props);

// SHA-256 over 2^cycles_power repetitions of (salt, UTF-16LE password, 64-bit
// little-endian round counter). Results are cached per (password, salt, cycles).
std::array<uint8_t, 32> derive_aes_key(const std::string& password_utf8, const AesProperties& props);

std::unique_ptr<InStream> make_aes_decoder(std::span<const uint8_t> props, const std::string& password_utf8,
                                           InStream& in, uint64_t unpack_size);

}  // namespace qel::archive
