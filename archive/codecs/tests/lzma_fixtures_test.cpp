// Range-coded streams that also run on Windows: fixtures made by liblzma
// (make_lzma_fixtures.py) for inputs rebuilt here by the same formulas.
#include <gtest/gtest.h>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/codecs/tests/lzma_fixtures.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

Bytes text_content() {
  std::string s;
  for (int i = 0; i < 2000; ++i) s += "entry " + std::to_string((i * 7919) % 1000) + " value " + std::to_string(i % 13) + "\n";
  return Bytes(s.begin(), s.end());
}

Bytes x86_content() {
  Bytes b(8000);
  for (size_t i = 0; i < b.size(); ++i) b[i] = i % 5 == 0 ? 0xE8 : (i % 5 == 4 ? 0x00 : uint8_t(i * 37));
  return b;
}

template <size_t N>
Bytes bytes_of(const uint8_t (&a)[N]) {
  return Bytes(a, a + N);
}

const uint8_t kLzma1Props[5] = {0x5D, 0x00, 0x00, 0x01, 0x00};  // lc3 lp0 pb2, 64 KiB
const uint8_t kLzma2Prop = 8;                                     // 64 KiB

TEST(LzmaFixtures, DecodeWithManyReadPatterns) {
  const Bytes text = text_content();
  const Bytes x86 = x86_content();
  for (size_t max_read : {size_t(1), size_t(100), SIZE_MAX}) {
    for (size_t chunk : {size_t(1), size_t(4096), size_t(1 << 20)}) {
      SCOPED_TRACE(std::to_string(max_read) + "/" + std::to_string(chunk));
      MemoryStream a(bytes_of(fixtures::kTextLzma1), max_read);
      EXPECT_EQ(read_all(*make_lzma_decoder(kLzma1Props, a, text.size()), chunk), text);
      MemoryStream b(bytes_of(fixtures::kTextLzma2), max_read);
      EXPECT_EQ(read_all(*make_lzma2_decoder({&kLzma2Prop, 1}, b, text.size()), chunk), text);
      MemoryStream c(bytes_of(fixtures::kX86Lzma2), max_read);
      auto lzma2 = make_lzma2_decoder({&kLzma2Prop, 1}, c, x86.size());
      EXPECT_EQ(read_all(*make_bcj_x86_decoder(*lzma2, x86.size()), chunk), x86);
    }
  }
}

TEST(LzmaFixtures, DamageIsReportedOrHarmless) {
  const Bytes text = text_content();
  struct Source {
    const char* name;
    Bytes packed;
    bool lzma2;
  };
  const Source sources[] = {{"lzma", bytes_of(fixtures::kTextLzma1), false},
                            {"lzma2", bytes_of(fixtures::kTextLzma2), true}};
  for (const Source& s : sources) {
    auto decode = [&](const Bytes& packed, uint64_t size) {
      MemoryStream in(packed, 500);
      auto dec = s.lzma2 ? make_lzma2_decoder({&kLzma2Prop, 1}, in, size) : make_lzma_decoder(kLzma1Props, in, size);
      return read_all(*dec, 1000, size + 1);
    };
    for (size_t keep : {size_t(0), size_t(3), size_t(10), s.packed.size() / 3}) {
      EXPECT_THROW(decode(Bytes(s.packed.begin(), s.packed.begin() + ptrdiff_t(keep)), text.size()), ArchiveError)
          << s.name << " keep " << keep;
    }
    Rng rng(99);
    for (int t = 0; t < 300; ++t) {
      Bytes damaged = s.packed;
      damaged[rng.below(uint32_t(damaged.size()))] ^= uint8_t(1u << rng.below(8));
      try {
        EXPECT_EQ(decode(damaged, text.size()).size(), text.size()) << s.name;
      } catch (const ArchiveError&) {
      }
    }
  }
}

}  // namespace
}  // namespace qel::archive::test
