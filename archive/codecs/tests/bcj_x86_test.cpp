// The x86 branch converter: worked examples, independence from how the input
// is split into reads, and (natively) liblzma's x86 filter + LZMA2 chains.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

Bytes bcj_decode(const Bytes& in, size_t max_read = SIZE_MAX, size_t chunk = 4096) {
  MemoryStream s(in, max_read);
  auto dec = make_bcj_x86_decoder(s, in.size());
  return read_all(*dec, chunk);
}

struct KnownCase {
  const char* name;
  Bytes encoded;
  Bytes decoded;
};

TEST(BcjX86, WorkedExamples) {
  const KnownCase cases[] = {
      // A call at 0 to offset 0 after it: absolute 5 becomes relative 0.
      {"call at 0", {0xE8, 0x05, 0x00, 0x00, 0x00, 0x90}, {0xE8, 0x00, 0x00, 0x00, 0x00, 0x90}},
      // At position 3 a jmp with absolute 0x108: next ip 8, relative 0x100.
      {"jmp at 3", {0x90, 0x90, 0x90, 0xE9, 0x08, 0x01, 0x00, 0x00}, {0x90, 0x90, 0x90, 0xE9, 0x00, 0x01, 0x00, 0x00}},
      // Backward: absolute 0 at position 0 gives relative -5.
      {"backward call", {0xE8, 0x00, 0x00, 0x00, 0x00}, {0xE8, 0xFB, 0xFF, 0xFF, 0xFF}},
      // Top operand byte neither 00 nor FF: never converted.
      {"far operand", {0xE8, 0x05, 0x00, 0x00, 0x12, 0x00}, {0xE8, 0x05, 0x00, 0x00, 0x12, 0x00}},
      // Fewer than four bytes after the opcode at the end: left alone.
      {"opcode at the end", {0x90, 0xE8, 0x05, 0x00, 0x00}, {0x90, 0xE8, 0x05, 0x00, 0x00}},
      {"short", {0xE8, 0x05}, {0xE8, 0x05}},
      {"empty", {}, {}},
      // The operand bytes of a converted call are not scanned again.
      {"opcode inside an operand",
       {0xE8, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x00},
       {0xE8, 0xE3, 0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  for (const KnownCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(bcj_decode(c.encoded), c.decoded);
    EXPECT_EQ(bcj_decode(c.encoded, 1, 1), c.decoded);
  }
}

TEST(BcjX86, SplitReadsGiveTheSameResult) {
  const Bytes data = make_content(Content::kX86, 300000, 77);
  const Bytes whole = bcj_decode(data);
  for (size_t max_read : {size_t(1), size_t(3), size_t(5), size_t(4099), size_t(65536)}) {
    for (size_t chunk : {size_t(1), size_t(7), size_t(65536), size_t(200000)}) {
      EXPECT_EQ(bcj_decode(data, max_read, chunk), whole) << max_read << "/" << chunk;
    }
  }
}

TEST(BcjX86, DeclaredSizeBeyondInputThrows) {
  MemoryStream s(Bytes(100, 0x90));
  auto dec = make_bcj_x86_decoder(s, 101);
  EXPECT_THROW(read_all(*dec), ArchiveError);
}

#if defined(QEL_HAVE_LIBLZMA)

Bytes read_file_prefix(const std::filesystem::path& p, size_t max) {
  std::ifstream f(p, std::ios::binary);
  Bytes b(max);
  f.read(reinterpret_cast<char*>(b.data()), std::streamsize(max));
  b.resize(size_t(f.gcount()));
  return b;
}

TEST(BcjX86, LiblzmaX86FilterRoundTrips) {
  std::vector<std::pair<std::string, Bytes>> inputs;
  inputs.emplace_back("synthetic x86", make_content(Content::kX86, 400000, 3));
  inputs.emplace_back("mixed", make_content(Content::kMixed, 300000, 4));
  inputs.emplace_back("tiny", Bytes{0xE8, 0x00, 0x00, 0x00});
  for (const char* exe : {"/usr/bin/7zz", "/usr/bin/cmake", "/bin/ls"}) {
    if (std::filesystem::exists(exe)) inputs.emplace_back(exe, read_file_prefix(exe, 3 << 20));
  }
  for (const auto& [name, data] : inputs) {
    SCOPED_TRACE(name);
    const Bytes packed = liblzma_raw_encode(data, LZMA_FILTER_LZMA2, LzmaOptions{}, /*x86=*/true);
    for (size_t max_read : {size_t(777), SIZE_MAX}) {
      MemoryStream in(packed, max_read);
      const uint8_t prop = lzma2_dict_prop(LzmaOptions{}.dict_size);
      auto lzma2 = make_lzma2_decoder({&prop, 1}, in, data.size());
      auto bcj = make_bcj_x86_decoder(*lzma2, data.size());
      EXPECT_EQ(read_all(*bcj, 10000), data);
    }
  }
}

#endif  // QEL_HAVE_LIBLZMA

}  // namespace
}  // namespace qel::archive::test
