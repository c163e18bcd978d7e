// LZMA2 chunk structure on hand-made streams: stored chunks, control bytes
// and the reset rules, declared sizes.
#include <gtest/gtest.h>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

struct ChunkCase {
  const char* name;
  Bytes stream;
  uint64_t unpack_size;
  const char* expected;  // nullptr: must throw ArchiveError
};

TEST(Lzma2Chunks, StructureTable) {
  const ChunkCase cases[] = {
      {"stored chunks", {0x01, 0x00, 0x02, 'a', 'b', 'c', 0x02, 0x00, 0x01, 'd', 'e', 0x00}, 5, "abcde"},
      {"second dictionary reset", {0x01, 0x00, 0x00, 'a', 0x01, 0x00, 0x00, 'b', 0x00}, 2, "ab"},
      {"declared size ends inside a chunk", {0x01, 0x00, 0x03, 'w', 'x', 'y', 'z', 0x00}, 2, "wx"},
      {"empty", {0x00}, 0, ""},
      {"empty without end byte", {}, 0, ""},
      {"first chunk keeps the dictionary", {0x02, 0x00, 0x00, 'a', 0x00}, 1, nullptr},
      {"first LZMA chunk without dictionary reset", {0xC0, 0x00, 0x00, 0x00, 0x04, 0x5D, 0, 0, 0, 0, 0}, 1, nullptr},
      {"LZMA chunk without properties", {0x01, 0x00, 0x00, 'x', 0xA0, 0x00, 0x00, 0x00, 0x04, 0, 0, 0, 0, 0}, 2,
       nullptr},
      {"invalid control 0x03", {0x03, 0x00, 0x00, 'a'}, 1, nullptr},
      {"invalid control 0x7F", {0x7F, 0x00, 0x00, 'a'}, 1, nullptr},
      {"end byte before the declared size", {0x01, 0x00, 0x00, 'a', 0x00}, 2, nullptr},
      {"stored chunk truncated", {0x01, 0x00, 0x09, 'a', 'b'}, 10, nullptr},
      {"chunk header truncated", {0x01, 0x00}, 1, nullptr},
      {"no data", {}, 1, nullptr},
      {"packed size below the coder start", {0xE0, 0x00, 0x00, 0x00, 0x03, 0x5D, 0, 0, 0, 0}, 1, nullptr},
      {"lc + lp above 4", {0xE0, 0x00, 0x00, 0x00, 0x04, 13, 0, 0, 0, 0, 0}, 1, nullptr},
      {"properties byte out of range", {0xE0, 0x00, 0x00, 0x00, 0x04, 225, 0, 0, 0, 0, 0}, 1, nullptr},
      {"range coder first byte not zero", {0xE0, 0x00, 0x00, 0x00, 0x04, 0x5D, 1, 0, 0, 0, 0}, 1, nullptr},
  };
  for (const ChunkCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t max_read : {size_t(1), SIZE_MAX}) {
      MemoryStream in(c.stream, max_read);
      const uint8_t prop = 16;
      auto dec = make_lzma2_decoder({&prop, 1}, in, c.unpack_size);
      if (c.expected == nullptr) {
        EXPECT_THROW(read_all(*dec, 3), ArchiveError);
      } else {
        const Bytes out = read_all(*dec, 3);
        EXPECT_EQ(std::string(out.begin(), out.end()), c.expected);
      }
    }
  }
}

TEST(Lzma2Chunks, LargeStoredChunksThroughSmallDictionary) {
  // 200000 bytes in stored chunks of 65536 through a 4 KiB window.
  const Bytes data = make_content(Content::kRandom, 200000);
  Bytes stream;
  for (size_t at = 0; at < data.size(); at += 65536) {
    const size_t n = std::min<size_t>(65536, data.size() - at);
    stream.push_back(at == 0 ? 0x01 : 0x02);
    stream.push_back(uint8_t((n - 1) >> 8));
    stream.push_back(uint8_t(n - 1));
    stream.insert(stream.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + n));
  }
  stream.push_back(0x00);
  for (size_t chunk : {size_t(1), size_t(4095), size_t(70000)}) {
    MemoryStream in(stream, 10000);
    const uint8_t prop = 0;  // 4 KiB
    auto dec = make_lzma2_decoder({&prop, 1}, in, data.size());
    EXPECT_EQ(read_all(*dec, chunk), data) << "read size " << chunk;
  }
}

TEST(Lzma2Chunks, PropertyValidation) {
  MemoryStream in(Bytes{0x00});
  const uint8_t bad = 41;
  EXPECT_THROW(make_lzma2_decoder({&bad, 1}, in, 0), ArchiveError);
  EXPECT_THROW(make_lzma2_decoder({}, in, 0), ArchiveError);
  const uint8_t lzma_bad[5] = {225, 0, 0, 1, 0};
  EXPECT_THROW(make_lzma_decoder(lzma_bad, in, 0), ArchiveError);
  const uint8_t lzma_short[4] = {0x5D, 0, 0, 1};
  EXPECT_THROW(make_lzma_decoder(lzma_short, in, 0), ArchiveError);
}

}  // namespace
}  // namespace qel::archive::test
