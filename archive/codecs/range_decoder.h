// The binary range decoder shared by LZMA, LZMA2 and BCJ2: 11-bit adaptive
// probabilities, adaptation shift 5, byte-wise normalisation below 2^24.
// The state lives in a small struct the hot loops keep in registers; the helpers
// are forced inline so that the compiler can do that.
#pragma once

#include <cstdint>

namespace qel::archive::rc {

constexpr int kProbBits = 11;
constexpr uint32_t kProbInit = 1u << (kProbBits - 1);
constexpr int kMoveBits = 5;
constexpr uint32_t kTop = 1u << 24;
// Bytes that the init sequence consumes.
constexpr int kInitBytes = 5;

using Prob = uint16_t;

struct State {
  uint32_t range;
  uint32_t code;
  const uint8_t* in;
};

// Starts a coder on five input bytes. Returns false when they cannot start a
// valid stream (first byte must be zero, code must lie below the range).
[[gnu::always_inline]] inline bool init(State& s, const uint8_t* in) {
  s.range = 0xFFFFFFFFu;
  s.code = (uint32_t(in[1]) << 24) | (uint32_t(in[2]) << 16) | (uint32_t(in[3]) << 8) | in[4];
  s.in = in + kInitBytes;
  return in[0] == 0 && s.code != s.range;
}

[[gnu::always_inline]] inline void normalize(State& s) {
  if (s.range < kTop) {
    s.range <<= 8;
    s.code = (s.code << 8) | *s.in++;
  }
}

[[gnu::always_inline]] inline unsigned bit(State& s, Prob& p) {
  const uint32_t bound = (s.range >> kProbBits) * p;
  unsigned b;
  if (s.code < bound) {
    s.range = bound;
    p = Prob(p + (((1u << kProbBits) - p) >> kMoveBits));
    b = 0;
  } else {
    s.range -= bound;
    s.code -= bound;
    p = Prob(p - (p >> kMoveBits));
    b = 1;
  }
  normalize(s);
  return b;
}

// Most significant bit first; returns the symbol without its leading 1.
template <int Bits>
[[gnu::always_inline]] inline unsigned tree(State& s, Prob* probs) {
  unsigned m = 1;
  for (int i = 0; i < Bits; ++i) m = (m << 1) | bit(s, probs[m]);
  return m - (1u << Bits);
}

// Least significant bit first.
[[gnu::always_inline]] inline unsigned reverse_tree(State& s, Prob* probs, int bits) {
  unsigned m = 1, sym = 0;
  for (int i = 0; i < bits; ++i) {
    const unsigned b = bit(s, probs[m]);
    m = (m << 1) | b;
    sym |= b << i;
  }
  return sym;
}

// Bits with probability one half, most significant first.
[[gnu::always_inline]] inline uint32_t direct(State& s, int bits) {
  uint32_t res = 0;
  for (int i = 0; i < bits; ++i) {
    s.range >>= 1;
    const uint32_t t = s.code >= s.range ? 1u : 0u;
    s.code -= s.range & (0u - t);
    res = (res << 1) | t;
    normalize(s);
  }
  return res;
}

}  // namespace qel::archive::rc
