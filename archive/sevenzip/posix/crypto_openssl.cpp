#include <openssl/evp.h>

#include <algorithm>

#include "archive/sevenzip/crypto.h"
#include "archive/stream.h"

namespace qel::archive::crypto {

struct Sha256::Impl {
  EVP_MD_CTX* ctx = nullptr;
};

Sha256::Sha256() : impl_(std::make_unique<Impl>()) {
  impl_->ctx = EVP_MD_CTX_new();
  if (!impl_->ctx || EVP_DigestInit_ex(impl_->ctx, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(impl_->ctx);
    throw ArchiveError("SHA-256 is not available");
  }
}

Sha256::~Sha256() { EVP_MD_CTX_free(impl_->ctx); }

void Sha256::update(const uint8_t* data, size_t n) {
  if (EVP_DigestUpdate(impl_->ctx, data, n) != 1) throw ArchiveError("SHA-256 failed");
}

std::array<uint8_t, 32> Sha256::finish() {
  std::array<uint8_t, 32> out{};
  unsigned int len = 0;
  if (EVP_DigestFinal_ex(impl_->ctx, out.data(), &len) != 1 || len != out.size())
    throw ArchiveError("SHA-256 failed");
  return out;
}

struct Aes256CbcDecryptor::Impl {
  EVP_CIPHER_CTX* ctx = nullptr;
};

Aes256CbcDecryptor::Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv)
    : impl_(std::make_unique<Impl>()) {
  impl_->ctx = EVP_CIPHER_CTX_new();
  if (!impl_->ctx || EVP_DecryptInit_ex(impl_->ctx, EVP_aes_256_cbc(), nullptr, key.data(), iv.data()) != 1) {
    EVP_CIPHER_CTX_free(impl_->ctx);
    throw ArchiveError("AES-256 is not available");
  }
  EVP_CIPHER_CTX_set_padding(impl_->ctx, 0);
}

Aes256CbcDecryptor::~Aes256CbcDecryptor() { EVP_CIPHER_CTX_free(impl_->ctx); }

void Aes256CbcDecryptor::decrypt(uint8_t* data, size_t n) {
  if (n % 16 != 0) throw ArchiveError("AES input is not a multiple of the block size");
  // EVP decrypt keeps the last block back unless told the input has ended; with
  // padding off it returns all full blocks at once.
  while (n > 0) {
    const int chunk = static_cast<int>(std::min<size_t>(n, 1 << 30));
    int out_len = 0;
    if (EVP_DecryptUpdate(impl_->ctx, data, &out_len, data, chunk) != 1 || out_len != chunk)
      throw ArchiveError("AES decryption failed");
    data += chunk;
    n -= static_cast<size_t>(chunk);
  }
}

}  // namespace qel::archive::crypto
