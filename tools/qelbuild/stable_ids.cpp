#include "tools/qelbuild/stable_ids.h"

#include <cstdio>

namespace qel::build {
namespace {

constexpr uint64_t kFnvPrime = 0x100000001b3ULL;

uint64_t mix(uint64_t z) {  // splitmix64 finalizer
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

}  // namespace

StableHash& StableHash::add(uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    const uint8_t byte = static_cast<uint8_t>(value >> (8 * i));
    a_ = (a_ ^ byte) * kFnvPrime;
    b_ = (b_ ^ static_cast<uint8_t>(byte + 0x5B)) * kFnvPrime;
    b_ ^= b_ >> 29;
  }
  return *this;
}

StableHash& StableHash::add(std::string_view text) {
  add(static_cast<uint64_t>(text.size()));
  for (unsigned char byte : text) {
    a_ = (a_ ^ byte) * kFnvPrime;
    b_ = (b_ ^ static_cast<uint8_t>(byte + 0x5B)) * kFnvPrime;
    b_ ^= b_ >> 29;
  }
  return *this;
}

std::array<uint64_t, 2> StableHash::digest() const {
  const uint64_t hi = mix(a_ ^ mix(b_));
  const uint64_t lo = mix(b_ + 0x9e3779b97f4a7c15ULL * (a_ | 1));
  return {hi, lo};
}

std::string guid_from(const StableHash& hash) {
  auto [hi, lo] = hash.digest();
  hi = (hi & ~0xF000ULL) | 0x8000ULL;                               // version nibble 8
  lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;        // RFC 4122 variant
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(hi >> 32),
                static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                static_cast<unsigned>(lo >> 48), static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
  return buf;
}

std::string header_id_from(const StableHash& hash, uint32_t salt) {
  const auto d = hash.digest();
  const uint32_t v = static_cast<uint32_t>(mix(d[0] ^ (d[1] + salt)) >> 32);
  char buf[12];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

bool is_guid(std::string_view t) {
  if (t.size() != 38 || t.front() != '{' || t.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const char c = t[i];
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return true;
}

std::string upper_ascii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

}  // namespace qel::build
