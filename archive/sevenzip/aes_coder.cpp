#include "archive/sevenzip/aes_coder.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "archive/sevenzip/crypto.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/utf.h"

namespace qel::archive {
namespace {

constexpr unsigned kRawKeyCycles = 0x3F;
constexpr unsigned kMaxCyclesPower = 24;

std::array<uint8_t, 32> compute_key(const std::string& password_utf8, const AesProperties& props) {
  const std::string password = utf16le_bytes(password_utf8);
  std::array<uint8_t, 32> key{};
  if (props.cycles_power == kRawKeyCycles) {
    size_t pos = 0;
    for (const uint8_t b : props.salt)
      if (pos < key.size()) key[pos++] = b;
    for (const char c : password)
      if (pos < key.size()) key[pos++] = static_cast<uint8_t>(c);
    return key;
  }
  // Hash many rounds per update: one update call per round is slow with BCrypt.
  const size_t round_size = props.salt.size() + password.size() + 8;
  const uint64_t rounds = uint64_t{1} << props.cycles_power;
  const uint64_t rounds_per_block = std::max<uint64_t>(1, (1 << 16) / round_size);
  std::vector<uint8_t> block(static_cast<size_t>(std::min(rounds, rounds_per_block) * round_size));
  crypto::Sha256 sha;
  uint64_t counter = 0;
  while (counter < rounds) {
    const uint64_t n = std::min(rounds - counter, rounds_per_block);
    uint8_t* p = block.data();
    for (uint64_t i = 0; i < n; ++i, ++counter) {
      if (!props.salt.empty()) std::memcpy(p, props.salt.data(), props.salt.size());
      p += props.salt.size();
      if (!password.empty()) std::memcpy(p, password.data(), password.size());
      p += password.size();
      for (int b = 0; b < 8; ++b) *p++ = static_cast<uint8_t>(counter >> (8 * b));
    }
    sha.update(block.data(), static_cast<size_t>(p - block.data()));
  }
  return sha.finish();
}

class AesDecoder : public InStream {
 public:
  AesDecoder(const std::array<uint8_t, 32>& key, const std::array<uint8_t, 16>& iv, InStream& in, uint64_t size)
      : cipher_(key, iv), in_(in), left_(size), buffer_(kBufferSize) {}

  size_t read(uint8_t* buf, size_t n) override {
    if (left_ == 0 || n == 0) return 0;
    if (pos_ == len_) refill();
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>({n, len_ - pos_, left_}));
    std::memcpy(buf, buffer_.data() + pos_, chunk);
    pos_ += chunk;
    left_ -= chunk;
    return chunk;
  }

 private:
  static constexpr size_t kBufferSize = 1 << 16;

  void refill() {
    // Keep bytes past the last full block for the next call.
    std::memmove(buffer_.data(), buffer_.data() + len_, tail_);
    size_t filled = tail_;
    while (filled < 16) {
      const size_t got = in_.read(buffer_.data() + filled, kBufferSize - filled);
      if (got == 0) break;
      filled += got;
    }
    if (filled < kBufferSize) {
      const size_t got = in_.read(buffer_.data() + filled, kBufferSize - filled);
      filled += got;
    }
    const size_t blocks = filled / 16 * 16;
    if (blocks == 0) throw ArchiveError("Unexpected end of encrypted data");
    cipher_.decrypt(buffer_.data(), blocks);
    tail_ = filled - blocks;
    len_ = blocks;
    pos_ = 0;
  }

  crypto::Aes256CbcDecryptor cipher_;
  InStream& in_;
  uint64_t left_;
  std::vector<uint8_t> buffer_;
  size_t pos_ = 0, len_ = 0, tail_ = 0;
};

}  // namespace

AesProperties parse_aes_properties(std::span<const uint8_t> props) {
  AesProperties out;
  if (props.empty()) throw ArchiveError("Corrupt archive: AES properties missing");
  const uint8_t b0 = props[0];
  out.cycles_power = b0 & 0x3F;
  if ((b0 & 0xC0) == 0) {
    if (props.size() != 1) throw ArchiveError("Corrupt archive: AES properties");
  } else {
    if (props.size() < 2) throw ArchiveError("Corrupt archive: AES properties");
    const uint8_t b1 = props[1];
    const size_t salt_size = ((b0 >> 7) & 1) + (b1 >> 4);
    const size_t iv_size = ((b0 >> 6) & 1) + (b1 & 0x0F);
    if (props.size() != 2 + salt_size + iv_size) throw ArchiveError("Corrupt archive: AES properties");
    out.salt.assign(props.begin() + 2, props.begin() + 2 + static_cast<std::ptrdiff_t>(salt_size));
    std::copy_n(props.begin() + 2 + static_cast<std::ptrdiff_t>(salt_size), iv_size, out.iv.begin());
  }
  if (out.cycles_power > kMaxCyclesPower && out.cycles_power != kRawKeyCycles)
    throw UnsupportedMethodError("Unsupported encryption: too many key derivation rounds");
  return out;
}

std::array<uint8_t, 32> derive_aes_key(const std::string& password_utf8, const AesProperties& props) {
  using CacheKey = std::tuple<std::string, std::vector<uint8_t>, unsigned>;
  static std::mutex mutex;
  static std::map<CacheKey, std::array<uint8_t, 32>> cache;
  CacheKey cache_key{password_utf8, props.salt, props.cycles_power};
  {
    std::lock_guard lock(mutex);
    if (auto it = cache.find(cache_key); it != cache.end()) return it->second;
  }
  const auto key = compute_key(password_utf8, props);
  std::lock_guard lock(mutex);
  if (cache.size() >= 32) cache.clear();
  cache.emplace(std::move(cache_key), key);
  return key;
}

std::unique_ptr<InStream> make_aes_decoder(std::span<const uint8_t> props, const std::string& password_utf8,
                                           InStream& in, uint64_t unpack_size) {
  const AesProperties p = parse_aes_properties(props);
  return std::make_unique<AesDecoder>(derive_aes_key(password_utf8, p), p.iv, in, unpack_size);
}

}  // namespace qel::archive
