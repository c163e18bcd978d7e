#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <vector>

#include "archive/sevenzip/crypto.h"
#include "archive/stream.h"

namespace qel::archive::crypto {
namespace {

bool ok(NTSTATUS status) { return status >= 0; }

// One algorithm provider per process and algorithm: opening one is costly.
BCRYPT_ALG_HANDLE provider(const wchar_t* algorithm, bool cbc) {
  BCRYPT_ALG_HANDLE handle = nullptr;
  if (!ok(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0)))
    throw ArchiveError("The platform crypto provider is not available");
  if (cbc && !ok(BCryptSetProperty(handle, BCRYPT_CHAINING_MODE, (PUCHAR)BCRYPT_CHAIN_MODE_CBC,
                                   sizeof(BCRYPT_CHAIN_MODE_CBC), 0)))
    throw ArchiveError("AES-CBC is not available");
  return handle;
}

BCRYPT_ALG_HANDLE sha256_provider() {
  static BCRYPT_ALG_HANDLE handle = provider(BCRYPT_SHA256_ALGORITHM, false);
  return handle;
}

BCRYPT_ALG_HANDLE aes_provider() {
  static BCRYPT_ALG_HANDLE handle = provider(BCRYPT_AES_ALGORITHM, true);
  return handle;
}

ULONG object_length(BCRYPT_ALG_HANDLE alg) {
  DWORD length = 0;
  ULONG written = 0;
  if (!ok(BCryptGetProperty(alg, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&length), sizeof length, &written,
                            0)))
    throw ArchiveError("The platform crypto provider failed");
  return length;
}

}  // namespace

struct Sha256::Impl {
  std::vector<UCHAR> object;
  BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha256::Sha256() : impl_(std::make_unique<Impl>()) {
  impl_->object.resize(object_length(sha256_provider()));
  if (!ok(BCryptCreateHash(sha256_provider(), &impl_->hash, impl_->object.data(),
                           static_cast<ULONG>(impl_->object.size()), nullptr, 0, 0)))
    throw ArchiveError("SHA-256 is not available");
}

Sha256::~Sha256() {
  if (impl_->hash) BCryptDestroyHash(impl_->hash);
}

void Sha256::update(const uint8_t* data, size_t n) {
  while (n > 0) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(n, 1u << 30));
    if (!ok(BCryptHashData(impl_->hash, const_cast<PUCHAR>(data), chunk, 0))) throw ArchiveError("SHA-256 failed");
    data += chunk;
    n -= chunk;
  }
}

std::array<uint8_t, 32> Sha256::finish() {
  std::array<uint8_t, 32> out{};
  if (!ok(BCryptFinishHash(impl_->hash, out.data(), static_cast<ULONG>(out.size()), 0)))
    throw ArchiveError("SHA-256 failed");
  return out;
}

struct Aes256CbcDecryptor::Impl {
  std::vector<UCHAR> object;
  BCRYPT_KEY_HANDLE key = nullptr;
  std::array<uint8_t, 16> iv{};  // BCrypt updates it in place, which chains the calls
};

Aes256CbcDecryptor::Aes256CbcDecryptor(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv)
    : impl_(std::make_unique<Impl>()) {
  impl_->object.resize(object_length(aes_provider()));
  impl_->iv = iv;
  std::array<uint8_t, 32> key_copy = key;
  if (!ok(BCryptGenerateSymmetricKey(aes_provider(), &impl_->key, impl_->object.data(),
                                     static_cast<ULONG>(impl_->object.size()), key_copy.data(),
                                     static_cast<ULONG>(key_copy.size()), 0)))
    throw ArchiveError("AES-256 is not available");
}

Aes256CbcDecryptor::~Aes256CbcDecryptor() {
  if (impl_->key) BCryptDestroyKey(impl_->key);
}

void Aes256CbcDecryptor::decrypt(uint8_t* data, size_t n) {
  if (n % 16 != 0) throw ArchiveError("AES input is not a multiple of the block size");
  while (n > 0) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(n, 1u << 30));
    ULONG written = 0;
    if (!ok(BCryptDecrypt(impl_->key, data, chunk, nullptr, impl_->iv.data(), static_cast<ULONG>(impl_->iv.size()),
                          data, chunk, &written, 0)) ||
        written != chunk)
      throw ArchiveError("AES decryption failed");
    data += chunk;
    n -= chunk;
  }
}

}  // namespace qel::archive::crypto
