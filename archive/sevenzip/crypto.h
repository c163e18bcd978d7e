// SHA-256 and AES-256-CBC decryption from the platform: BCrypt on Windows,
// OpenSSL's libcrypto elsewhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace qel::archive::crypto {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void update(const uint8_t* data, size_t n);
  std::array<uint8_t, 32> finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// CBC without padding; the chaining value carries over between decrypt calls.
class Aes256CbcDecryptor {
 public:
  Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv);
  ~Aes256CbcDecryptor();
  Aes256CbcDecryptor(const Aes256CbcDecryptor&) = delete;
  Aes256CbcDecryptor& operator=(const Aes256CbcDecryptor&) = delete;
  // In place; n must be a multiple of 16.
  void decrypt(uint8_t* data, size_t n);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace qel::archive::crypto
