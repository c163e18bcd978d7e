// LZMA and LZMA2 streams encoded at test time by liblzma, decoded by ours:
// round trips over a table of contents, sizes, properties and read patterns,
// then truncated and damaged input.
#if defined(QEL_HAVE_LIBLZMA)

#include <gtest/gtest.h>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

struct RoundTripCase {
  Content content;
  size_t size;
  LzmaOptions opt;
  size_t read_chunk;  // caller's read size
  size_t max_input;   // largest read the input stream serves
};

std::string describe(const RoundTripCase& c) {
  return std::string(content_name(c.content)) + " size=" + std::to_string(c.size) +
         " dict=" + std::to_string(c.opt.dict_size) + " lc/lp/pb=" + std::to_string(c.opt.lc) + "/" +
         std::to_string(c.opt.lp) + "/" + std::to_string(c.opt.pb) + " chunk=" + std::to_string(c.read_chunk) +
         " input=" + std::to_string(c.max_input);
}

const LzmaOptions kDefault{};
const LzmaOptions kSmallDict{6, 4096, 3, 0, 2};          // window wraps many times
const LzmaOptions kOddProps{6, 1 << 16, 0, 4, 4};        // no literal context, all position bits
const LzmaOptions kFast{1, 1 << 18, 3, 0, 2};

std::vector<RoundTripCase> round_trip_cases() {
  std::vector<RoundTripCase> cases = {
      {Content::kText, 0, kDefault, 4096, SIZE_MAX},
      {Content::kText, 1, kDefault, 4096, SIZE_MAX},
      {Content::kText, 2, kDefault, 1, 1},
      {Content::kRandom, 5, kDefault, 3, 2},
      {Content::kZeros, 100000, kDefault, 7, 3},
      {Content::kText, 4095, kSmallDict, 4096, SIZE_MAX},
      {Content::kText, 4096, kSmallDict, 4096, SIZE_MAX},
      {Content::kText, 4097, kSmallDict, 4096, SIZE_MAX},
      {Content::kMixed, 300000, kSmallDict, 1000, 17},
      {Content::kMixed, 65536, kDefault, 65536, SIZE_MAX},
      {Content::kMixed, 65537, kDefault, 65535, 4096},
      {Content::kRandom, 200000, kDefault, 1 << 20, SIZE_MAX},
      {Content::kX86, 150000, kOddProps, 333, SIZE_MAX},
      {Content::kMixed, (1 << 20) + 7, kFast, 1 << 18, SIZE_MAX},
      {Content::kMixed, 3 << 20, kDefault, (1 << 20) + 1, 100000},
  };
  return cases;
}

TEST(LzmaLiblzma, Lzma1RoundTrips) {
  for (const RoundTripCase& c : round_trip_cases()) {
    SCOPED_TRACE(describe(c));
    const Bytes data = make_content(c.content, c.size, c.size);
    // liblzma ends a raw LZMA1 stream with an end marker; the size stops us first.
    MemoryStream in(liblzma_raw_encode(data, LZMA_FILTER_LZMA1, c.opt), c.max_input);
    auto dec = make_lzma_decoder(lzma_props(c.opt), in, data.size());
    EXPECT_EQ(read_all(*dec, c.read_chunk), data);
  }
}

TEST(LzmaLiblzma, Lzma2RoundTrips) {
  for (const RoundTripCase& c : round_trip_cases()) {
    SCOPED_TRACE(describe(c));
    const Bytes data = make_content(c.content, c.size, c.size);
    MemoryStream in(liblzma_raw_encode(data, LZMA_FILTER_LZMA2, c.opt), c.max_input);
    const uint8_t prop = lzma2_dict_prop(c.opt.dict_size);
    auto dec = make_lzma2_decoder({&prop, 1}, in, data.size());
    EXPECT_EQ(read_all(*dec, c.read_chunk), data);
  }
}

TEST(LzmaLiblzma, Lzma1EndMarkerBeforeDeclaredSizeIsAnError) {
  const Bytes data = make_content(Content::kText, 5000);
  MemoryStream in(liblzma_raw_encode(data, LZMA_FILTER_LZMA1, kDefault));
  auto dec = make_lzma_decoder(lzma_props(kDefault), in, data.size() + 1);
  EXPECT_THROW(read_all(*dec), ArchiveError);
}

TEST(LzmaLiblzma, Lzma2EndByteBeforeDeclaredSizeIsAnError) {
  const Bytes data = make_content(Content::kMixed, 70000);
  MemoryStream in(liblzma_raw_encode(data, LZMA_FILTER_LZMA2, kDefault));
  const uint8_t prop = lzma2_dict_prop(kDefault.dict_size);
  auto dec = make_lzma2_decoder({&prop, 1}, in, data.size() + 1);
  EXPECT_THROW(read_all(*dec), ArchiveError);
}

TEST(LzmaLiblzma, ShorterDeclaredSizeStopsEarly) {
  const Bytes data = make_content(Content::kMixed, 100000);
  for (lzma_vli method : {LZMA_FILTER_LZMA1, LZMA_FILTER_LZMA2}) {
    MemoryStream in(liblzma_raw_encode(data, method, kDefault));
    const uint8_t prop = lzma2_dict_prop(kDefault.dict_size);
    auto dec = method == LZMA_FILTER_LZMA1 ? make_lzma_decoder(lzma_props(kDefault), in, 12345)
                                          : make_lzma2_decoder({&prop, 1}, in, 12345);
    EXPECT_EQ(read_all(*dec), Bytes(data.begin(), data.begin() + 12345));
  }
}

// Decodes damaged input; returns true when it threw ArchiveError. Any other
// outcome must be exactly `size` bytes.
template <typename Make>
bool decode_damaged(const Bytes& packed, uint64_t size, Make make, Bytes* out = nullptr) {
  MemoryStream in(packed, 999);
  try {
    auto dec = make(in, size);
    Bytes got = read_all(*dec, 4096, size + 1);
    EXPECT_EQ(got.size(), size);
    if (out) *out = std::move(got);
    return false;
  } catch (const ArchiveError&) {
    return true;
  }
}

struct Method {
  const char* name;
  lzma_vli id;
};

TEST(LzmaLiblzma, TruncatedInputThrowsOrIsStillComplete) {
  const Bytes data = make_content(Content::kMixed, 200000, 7);
  const uint8_t prop = lzma2_dict_prop(kDefault.dict_size);
  for (const Method m : {Method{"lzma", LZMA_FILTER_LZMA1}, Method{"lzma2", LZMA_FILTER_LZMA2}}) {
    const Bytes packed = liblzma_raw_encode(data, m.id, kDefault);
    auto make = [&](InStream& in, uint64_t size) {
      return m.id == LZMA_FILTER_LZMA1 ? make_lzma_decoder(lzma_props(kDefault), in, size)
                                       : make_lzma2_decoder({&prop, 1}, in, size);
    };
    struct Cut {
      size_t keep;
      bool must_throw;
    };
    const Cut cuts[] = {{0, true},          {1, true},
                        {5, true},          {6, true},
                        {packed.size() / 2, true}, {packed.size() - 30, true},
                        {packed.size() - 1, false}};
    for (const Cut& cut : cuts) {
      SCOPED_TRACE(std::string(m.name) + " keep=" + std::to_string(cut.keep));
      Bytes out;
      const bool threw = decode_damaged(Bytes(packed.begin(), packed.begin() + cut.keep), data.size(), make, &out);
      if (cut.must_throw) {
        EXPECT_TRUE(threw);
      } else if (!threw) {
        EXPECT_EQ(out, data);
      }
    }
  }
}

TEST(LzmaLiblzma, BitFlipsNeverCrashOrOverrun) {
  const Bytes data = make_content(Content::kMixed, 60000, 3);
  const uint8_t prop = lzma2_dict_prop(1 << 16);
  LzmaOptions small = kDefault;
  small.dict_size = 1 << 16;
  for (const Method m : {Method{"lzma", LZMA_FILTER_LZMA1}, Method{"lzma2", LZMA_FILTER_LZMA2}}) {
    const Bytes packed = liblzma_raw_encode(data, m.id, small);
    auto make = [&](InStream& in, uint64_t size) {
      return m.id == LZMA_FILTER_LZMA1 ? make_lzma_decoder(lzma_props(small), in, size)
                                       : make_lzma2_decoder({&prop, 1}, in, size);
    };
    Rng rng(42);
    int threw = 0;
    const int kTrials = 300;
    for (int t = 0; t < kTrials; ++t) {
      Bytes damaged = packed;
      const size_t at = rng.below(uint32_t(damaged.size()));
      damaged[at] ^= uint8_t(1u << rng.below(8));
      SCOPED_TRACE(std::string(m.name) + " flip at " + std::to_string(at));
      if (decode_damaged(damaged, data.size(), make)) ++threw;
    }
    // Most damage is detected (the decoded output is not checked here).
    EXPECT_GT(threw, kTrials / 2) << m.name;
  }
}

}  // namespace
}  // namespace qel::archive::test

#endif  // QEL_HAVE_LIBLZMA
