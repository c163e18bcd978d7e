// BCJ2 on four streams built here by a small reference encoder (range coder
// and stream split written for the test), then damaged ones.
#include <gtest/gtest.h>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

class RangeEncoder {
 public:
  void encode(uint16_t& p, unsigned bit) {
    const uint32_t bound = (range_ >> 11) * p;
    if (bit == 0) {
      range_ = bound;
      p = uint16_t(p + ((2048 - p) >> 5));
    } else {
      low_ += bound;
      range_ -= bound;
      p = uint16_t(p - (p >> 5));
    }
    while (range_ < (1u << 24)) {
      range_ <<= 8;
      shift_low();
    }
  }
  Bytes finish() {
    for (int i = 0; i < 5; ++i) shift_low();
    return out_;
  }

 private:
  void shift_low() {
    if (uint32_t(low_) < 0xFF000000u || (low_ >> 32) != 0) {
      const uint8_t carry = uint8_t(low_ >> 32);
      uint8_t b = cache_;
      do {
        out_.push_back(uint8_t(b + carry));
        b = 0xFF;
      } while (--pending_ != 0);
      cache_ = uint8_t(low_ >> 24);
    }
    ++pending_;
    low_ = (low_ & 0x00FFFFFFu) << 8;
  }
  uint64_t low_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
  uint8_t cache_ = 0;
  uint64_t pending_ = 1;
  Bytes out_;
};

struct Bcj2Streams {
  Bytes main, call, jump, rc;
};

// Splits data the way the format describes; convert(pos) picks which jumps
// with a complete operand are taken out.
template <typename Policy>
Bcj2Streams bcj2_encode(const Bytes& data, Policy convert) {
  Bcj2Streams s;
  RangeEncoder rc;
  std::vector<uint16_t> probs(258, 1024);
  unsigned prev = 0;
  size_t i = 0;
  while (i < data.size()) {
    const unsigned b = data[i++];
    s.main.push_back(uint8_t(b));
    const bool jump = (b & 0xFE) == 0xE8 || (prev == 0x0F && (b & 0xF0) == 0x80);
    if (!jump || i == data.size()) {
      prev = b;
      continue;
    }
    uint16_t& p = probs[b == 0xE8 ? prev : (b == 0xE9 ? 256 : 257)];
    const bool take = i + 4 <= data.size() && convert(i - 1);
    rc.encode(p, take ? 1 : 0);
    if (!take) {
      prev = b;
      continue;
    }
    const uint32_t rel = uint32_t(data[i]) | (uint32_t(data[i + 1]) << 8) | (uint32_t(data[i + 2]) << 16) |
                         (uint32_t(data[i + 3]) << 24);
    const uint32_t abs = rel + uint32_t(i + 4);
    Bytes& to = b == 0xE8 ? s.call : s.jump;
    for (int k = 3; k >= 0; --k) to.push_back(uint8_t(abs >> (8 * k)));
    prev = data[i + 3];
    i += 4;
  }
  s.rc = rc.finish();
  return s;
}

Bytes bcj2_decode(const Bcj2Streams& s, uint64_t size, size_t max_read = SIZE_MAX, size_t chunk = 4096) {
  MemoryStream m(s.main, max_read), c(s.call, max_read), j(s.jump, max_read), r(s.rc, max_read);
  auto dec = make_bcj2_decoder(m, c, j, r, size);
  return read_all(*dec, chunk, size + 1);
}

TEST(Bcj2, RoundTripsOverPoliciesAndSizes) {
  struct Case {
    const char* name;
    Content content;
    size_t size;
    int policy;  // 0 none, 1 all, 2 every other
  };
  const Case cases[] = {
      {"empty", Content::kX86, 0, 1},         {"one byte", Content::kX86, 1, 1},
      {"x86 all", Content::kX86, 200000, 1},  {"x86 none", Content::kX86, 200000, 0},
      {"x86 half", Content::kX86, 200001, 2}, {"mixed all", Content::kMixed, 300000, 1},
      {"random all", Content::kRandom, 100000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes data = make_content(c.content, c.size, 11);
    int toggle = 0;
    const Bcj2Streams s = bcj2_encode(data, [&](size_t) { return c.policy == 1 || (c.policy == 2 && (++toggle & 1)); });
    if (c.policy == 1 && c.size > 1000) {
      EXPECT_FALSE(s.call.empty());
      EXPECT_FALSE(s.jump.empty());
    }
    for (size_t max_read : {size_t(1), size_t(4097), SIZE_MAX}) {
      for (size_t chunk : {size_t(1), size_t(3), size_t(65536)}) {
        EXPECT_EQ(bcj2_decode(s, data.size(), max_read, chunk), data) << max_read << "/" << chunk;
      }
    }
  }
}

TEST(Bcj2, JumpOpcodesAtTheEnd) {
  // Opcodes as the last byte (no bit coded) and with 1..3 bytes after them.
  const Bytes endings[] = {{0x90, 0xE8}, {0x0F, 0x85}, {0xE9, 0x01}, {0xE8, 0x01, 0x02, 0x03}, {0xE8, 0, 0, 0, 0}};
  for (const Bytes& data : endings) {
    const Bcj2Streams s = bcj2_encode(data, [](size_t) { return true; });
    EXPECT_EQ(bcj2_decode(s, data.size()), data);
  }
}

TEST(Bcj2, DamagedStreamsThrow) {
  const Bytes data = make_content(Content::kX86, 50000, 12);
  const Bcj2Streams good = bcj2_encode(data, [](size_t) { return true; });
  struct Damage {
    const char* name;
    Bcj2Streams streams;
    uint64_t size;
  };
  auto cut = [](Bytes b, size_t n) {
    b.resize(b.size() - n);
    return b;
  };
  Bcj2Streams bad_rc = good;
  bad_rc.rc[0] = 1;
  const Damage damages[] = {
      {"main truncated", {cut(good.main, 10), good.call, good.jump, good.rc}, data.size()},
      {"call truncated", {good.main, cut(good.call, 1), good.jump, good.rc}, data.size()},
      {"jump truncated", {good.main, good.call, cut(good.jump, 4), good.rc}, data.size()},
      {"range coder truncated", {good.main, good.call, good.jump, cut(good.rc, good.rc.size() / 2)}, data.size()},
      {"range coder missing", {good.main, good.call, good.jump, {}}, data.size()},
      {"range coder start byte", bad_rc, data.size()},
      {"declared size too large", good, data.size() + 1},
  };
  for (const Damage& d : damages) {
    EXPECT_THROW(bcj2_decode(d.streams, d.size), ArchiveError) << d.name;
  }
}

}  // namespace
}  // namespace qel::archive::test
