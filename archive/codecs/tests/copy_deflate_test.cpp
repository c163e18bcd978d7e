// Copy and Deflate decoders; Deflate input is made at test time by zlib.
#include <gtest/gtest.h>
#include <zlib.h>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

Bytes raw_deflate(const Bytes& in, int level) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("zlib");
  Bytes out(deflateBound(&z, uLong(in.size())));
  z.next_in = const_cast<uint8_t*>(in.data());
  z.avail_in = uInt(in.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int rc = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (rc != Z_STREAM_END) throw std::runtime_error("zlib deflate");
  return out;
}

TEST(Copy, DeliversExactlyTheDeclaredSize) {
  const Bytes data = make_content(Content::kRandom, 10000);
  struct Case {
    uint64_t declared;
    bool throws;
  };
  for (const Case c : {Case{0, false}, Case{1, false}, Case{9999, false}, Case{10000, false}, Case{10001, true}}) {
    SCOPED_TRACE(c.declared);
    MemoryStream in(data, 333);
    auto dec = make_copy_decoder(in, c.declared);
    if (c.throws) {
      EXPECT_THROW(read_all(*dec, 4096), ArchiveError);
    } else {
      EXPECT_EQ(read_all(*dec, 4096), Bytes(data.begin(), data.begin() + ptrdiff_t(c.declared)));
    }
  }
}

TEST(Deflate, RoundTrips) {
  struct Case {
    Content content;
    size_t size;
    int level;
    size_t read_chunk;
    size_t max_input;
  };
  const Case cases[] = {
      {Content::kText, 0, 6, 100, SIZE_MAX},         {Content::kText, 1, 6, 1, 1},
      {Content::kZeros, 300000, 9, 65536, 1000},     {Content::kMixed, 500000, 1, 4097, SIZE_MAX},
      {Content::kRandom, 100000, 6, 1 << 20, 77},    {Content::kX86, 70000, 0, 3, SIZE_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(content_name(c.content)) + " " + std::to_string(c.size) + " level " +
                 std::to_string(c.level));
    const Bytes data = make_content(c.content, c.size, c.size + 5);
    MemoryStream in(raw_deflate(data, c.level), c.max_input);
    auto dec = make_deflate_decoder(in, data.size());
    EXPECT_EQ(read_all(*dec, c.read_chunk), data);
  }
}

TEST(Deflate, DamagedInput) {
  const Bytes data = make_content(Content::kMixed, 100000, 9);
  const Bytes packed = raw_deflate(data, 6);
  auto decode = [&](const Bytes& in_bytes, uint64_t size) {
    MemoryStream in(in_bytes, 1000);
    auto dec = make_deflate_decoder(in, size);
    return read_all(*dec, 4096, size + 1);
  };
  EXPECT_THROW(decode(packed, data.size() + 1), ArchiveError) << "stream ends before the declared size";
  for (size_t keep : {size_t(0), size_t(1), packed.size() / 2, packed.size() - 3}) {
    EXPECT_THROW(decode(Bytes(packed.begin(), packed.begin() + ptrdiff_t(keep)), data.size()), ArchiveError)
        << "kept " << keep;
  }
  Rng rng(5);
  for (int t = 0; t < 200; ++t) {
    Bytes damaged = packed;
    damaged[rng.below(uint32_t(damaged.size()))] ^= uint8_t(1u << rng.below(8));
    try {
      EXPECT_EQ(decode(damaged, data.size()).size(), data.size());
    } catch (const ArchiveError&) {
    }
  }
}

}  // namespace
}  // namespace qel::archive::test
