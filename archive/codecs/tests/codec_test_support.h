// Shared pieces of the codec tests: in-memory streams, deterministic sample
// data of several kinds, and (natively) raw encoders from liblzma.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive/stream.h"

#if defined(QEL_HAVE_LIBLZMA)
#include <lzma.h>
#endif

namespace qel::archive::test {

using Bytes = std::vector<uint8_t>;

// Serves a byte vector, at most max_read bytes per call, so that decoders see
// short reads.
class MemoryStream final : public InStream {
 public:
  explicit MemoryStream(Bytes data, size_t max_read = SIZE_MAX) : data_(std::move(data)), max_read_(max_read) {}
  size_t read(uint8_t* buf, size_t n) override {
    n = std::min({n, data_.size() - pos_, max_read_});
    if (n != 0) std::memcpy(buf, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  size_t consumed() const { return pos_; }

 private:
  Bytes data_;
  size_t pos_ = 0;
  size_t max_read_;
};

// Drains a stream with reads of `chunk` bytes; fails the read sizes contract
// (more than asked) loudly.
inline Bytes read_all(InStream& s, size_t chunk = 1 << 16, size_t limit = size_t(1) << 30) {
  Bytes out;
  Bytes buf(chunk);
  for (;;) {
    const size_t got = s.read(buf.data(), chunk);
    if (got > chunk) throw std::logic_error("read returned more than asked");
    if (got == 0) break;
    out.insert(out.end(), buf.begin(), buf.begin() + got);
    if (out.size() > limit) throw std::logic_error("stream does not end");
  }
  return out;
}

// xorshift generator: the same bytes on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint64_t next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return s_;
  }
  uint32_t below(uint32_t n) { return uint32_t(next() % n); }

 private:
  uint64_t s_;
};

enum class Content { kZeros, kText, kRandom, kMixed, kX86 };

inline const char* content_name(Content c) {
  switch (c) {
    case Content::kZeros: return "zeros";
    case Content::kText: return "text";
    case Content::kRandom: return "random";
    case Content::kMixed: return "mixed";
    case Content::kX86: return "x86";
  }
  return "?";
}

inline void append_text(Bytes& out, size_t n, Rng& rng) {
  static const char* const kWords[] = {"setup ", "install ", "the ", "file ", "folder ", "registry ", "value ",
                                       "\r\n", "Program Files ", "shortcut ", "uninstall ", "0123 ", "a ", "is "};
  while (n > 0) {
    const char* w = kWords[rng.below(sizeof kWords / sizeof kWords[0])];
    const size_t k = std::min(n, std::strlen(w));
    out.insert(out.end(), w, w + k);
    n -= k;
  }
}

// Code-like bytes: calls and jumps with near targets (what the x86 filters
// convert), operand bytes of 00/FF, and runs of other instructions.
inline void append_x86(Bytes& out, size_t n, Rng& rng) {
  const size_t end = out.size() + n;
  while (out.size() < end) {
    const uint32_t pick = rng.below(10);
    if (pick < 4) {
      out.push_back(pick < 3 ? 0xE8 : 0xE9);
      const int32_t rel = int32_t(rng.below(1 << 16)) - (1 << 15);
      for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(rel) >> (8 * i)));
    } else if (pick == 4) {
      out.push_back(0x0F);
      out.push_back(uint8_t(0x80 | rng.below(16)));
      const int32_t rel = int32_t(rng.below(1 << 12)) - (1 << 11);
      for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(rel) >> (8 * i)));
    } else if (pick == 5) {
      for (int i = 0; i < 3; ++i) out.push_back(uint8_t(rng.below(2) ? 0xE8 : (rng.below(2) ? 0x00 : 0xFF)));
    } else {
      static const uint8_t kOps[] = {0x55, 0x48, 0x89, 0xE5, 0x8B, 0x45, 0xFC, 0x83, 0xC4, 0x10, 0xC3, 0x90};
      const size_t k = 1 + rng.below(6);
      for (size_t i = 0; i < k; ++i) out.push_back(kOps[rng.below(sizeof kOps)]);
    }
  }
  out.resize(end);
}

inline Bytes make_content(Content c, size_t n, uint64_t seed = 1) {
  Rng rng(seed);
  Bytes out;
  out.reserve(n + 16);
  switch (c) {
    case Content::kZeros: out.assign(n, 0); break;
    case Content::kText: append_text(out, n, rng); break;
    case Content::kRandom:
      for (size_t i = 0; i < n; ++i) out.push_back(uint8_t(rng.next() >> 32));
      break;
    case Content::kX86: append_x86(out, n, rng); break;
    case Content::kMixed:
      while (out.size() < n) {
        const size_t k = std::min(n - out.size(), size_t(1 + rng.below(40000)));
        switch (rng.below(4)) {
          case 0: append_text(out, k, rng); break;
          case 1: for (size_t i = 0; i < k; ++i) out.push_back(uint8_t(rng.next() >> 40)); break;
          case 2: append_x86(out, k, rng); break;
          default: {
            // A repeat of earlier data, far or near.
            if (out.empty()) { out.insert(out.end(), k, uint8_t(0x20)); break; }
            const size_t from = rng.below(uint32_t(out.size()));
            for (size_t i = 0; i < k; ++i) out.push_back(out[from + i % (out.size() - from)]);
          }
        }
      }
      out.resize(n);
      break;
  }
  return out;
}

#if defined(QEL_HAVE_LIBLZMA)

struct LzmaOptions {
  uint32_t preset = 6;
  uint32_t dict_size = 1 << 20;
  uint32_t lc = 3, lp = 0, pb = 2;
};

// Raw encoding with a filter chain ending in LZMA1 or LZMA2.
inline Bytes liblzma_raw_encode(const Bytes& in, lzma_vli method, const LzmaOptions& o, bool x86 = false) {
  lzma_options_lzma opt;
  if (lzma_lzma_preset(&opt, o.preset)) throw std::runtime_error("lzma preset");
  opt.dict_size = o.dict_size;
  opt.lc = o.lc;
  opt.lp = o.lp;
  opt.pb = o.pb;
  lzma_filter filters[3];
  size_t k = 0;
  if (x86) filters[k++] = {LZMA_FILTER_X86, nullptr};
  filters[k++] = {method, &opt};
  filters[k] = {LZMA_VLI_UNKNOWN, nullptr};
  lzma_stream s = LZMA_STREAM_INIT;
  if (lzma_raw_encoder(&s, filters) != LZMA_OK) throw std::runtime_error("lzma_raw_encoder");
  Bytes out(in.size() + in.size() / 2 + 1024);
  s.next_in = in.data();
  s.avail_in = in.size();
  s.next_out = out.data();
  s.avail_out = out.size();
  const lzma_ret r = lzma_code(&s, LZMA_FINISH);
  const size_t n = out.size() - s.avail_out;
  lzma_end(&s);
  if (r != LZMA_STREAM_END) throw std::runtime_error("lzma_code");
  out.resize(n);
  return out;
}

// The 5-byte LZMA properties for the same options.
inline Bytes lzma_props(const LzmaOptions& o) {
  Bytes p(5);
  p[0] = uint8_t((o.pb * 5 + o.lp) * 9 + o.lc);
  for (int i = 0; i < 4; ++i) p[size_t(1 + i)] = uint8_t(o.dict_size >> (8 * i));
  return p;
}

// The one-byte LZMA2 dictionary property that covers dict_size.
inline uint8_t lzma2_dict_prop(uint32_t dict_size) {
  for (uint8_t b = 0; b < 40; ++b) {
    if ((uint64_t(2 | (b & 1)) << (b / 2 + 11)) >= dict_size) return b;
  }
  return 40;
}

#endif  // QEL_HAVE_LIBLZMA

}  // namespace qel::archive::test
