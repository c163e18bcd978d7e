// Streams written by 7-Zip itself (`7zz`, natively only): single-coder
// archives made with -mhc=off keep their one packed stream right after the
// 32-byte signature header, so the codecs can be fed directly. BCJ2, which
// needs four packed streams, goes through the archive reader.
#if defined(QEL_HAVE_LIBLZMA)

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "archive/codecs/tests/codec_test_support.h"
#include "archive/sevenzip/archive_reader.h"
#include "archive/stream.h"

namespace qel::archive::test {
namespace {

namespace fs = std::filesystem;

bool have_7zz() { return std::system("7zz i >/dev/null 2>&1") == 0; }

Bytes read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

class SevenZipStreams : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!have_7zz()) GTEST_SKIP() << "7zz is not installed";
    dir_ = fs::temp_directory_path() / ("qel_codec_7zz_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }

  // Packs data as one file with the given switches; returns the archive bytes.
  Bytes pack(const Bytes& data, const std::string& name, const std::string& switches) {
    std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                       std::streamsize(data.size()));
    const fs::path archive = dir_ / "a.7z";
    fs::remove(archive);
    const std::string cmd = "cd '" + dir_.string() + "' && 7zz a -bso0 -bsp0 -mmt1 " + switches + " a.7z '" + name +
                            "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("7zz failed: " + cmd);
    return read_file(archive);
  }

  fs::path dir_;
};

uint64_t le64(const Bytes& b, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | b[at + size_t(i)];
  return v;
}

// The packed stream of a one-folder, one-pack-stream archive with a plain header.
Bytes packed_stream(const Bytes& archive) {
  const uint64_t next_header = le64(archive, 12);
  return Bytes(archive.begin() + 32, archive.begin() + 32 + ptrdiff_t(next_header));
}

// The coder properties that follow `id` (with its flag byte) in the header.
Bytes coder_props(const Bytes& archive, const Bytes& flag_and_id) {
  const size_t header = 32 + size_t(le64(archive, 12));
  auto it = std::search(archive.begin() + ptrdiff_t(header), archive.end(), flag_and_id.begin(), flag_and_id.end());
  if (it == archive.end()) throw std::runtime_error("coder not found");
  it += ptrdiff_t(flag_and_id.size());
  const size_t n = *it++;
  return Bytes(it, it + ptrdiff_t(n));
}

// Walks LZMA2 chunk headers: the control bytes in order.
std::vector<uint8_t> lzma2_controls(const Bytes& s) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < s.size() && s[i] != 0) {
    const uint8_t c = s[i];
    out.push_back(c);
    if (c < 0x80) {
      i += 3 + ((size_t(s[i + 1]) << 8) | s[i + 2]) + 1;
    } else {
      i += 5 + (c >= 0xC0 ? 1 : 0) + ((size_t(s[i + 3]) << 8) | s[i + 4]) + 1;
    }
  }
  return out;
}

TEST_F(SevenZipStreams, Lzma2WithStoredChunksBetweenLzmaChunks) {
  // Incompressible stretches between text make 7-Zip store chunks; the LZMA
  // chunk after a stored one continues the state (control 0x80..0x9F).
  Bytes data;
  for (int i = 0; i < 6; ++i) {
    const Bytes t = make_content(Content::kText, 150000, uint64_t(i));
    const Bytes r = make_content(Content::kRandom, 140000, uint64_t(i));
    data.insert(data.end(), t.begin(), t.end());
    data.insert(data.end(), r.begin(), r.end());
  }
  const Bytes archive = pack(data, "d.bin", "-mhc=off -m0=LZMA2:d=1m");
  const Bytes stream = packed_stream(archive);
  const Bytes props = coder_props(archive, {0x21, 0x21});
  ASSERT_EQ(props.size(), 1u);

  const std::vector<uint8_t> controls = lzma2_controls(stream);
  bool continued_after_stored = false;
  for (size_t i = 1; i < controls.size(); ++i)
    continued_after_stored |= controls[i - 1] == 0x02 && controls[i] >= 0x80 && controls[i] < 0xA0;
  ASSERT_TRUE(continued_after_stored) << "the archive does not contain the case under test";

  for (size_t chunk : {size_t(1000), size_t(1 << 20)}) {
    MemoryStream in(stream, 5000);
    auto dec = make_lzma2_decoder(props, in, data.size());
    EXPECT_EQ(read_all(*dec, chunk), data);
  }
}

TEST_F(SevenZipStreams, LzmaVariants) {
  struct Case {
    const char* switches;
    Content content;
    size_t size;
  };
  const Case cases[] = {
      {"-m0=LZMA", Content::kMixed, 500000},
      {"-m0=LZMA -mx1", Content::kMixed, 500000},
      {"-m0=LZMA:lc=8:lp=0:pb=0", Content::kText, 300000},
      {"-m0=LZMA:lc=0:lp=4:pb=4", Content::kX86, 300000},
      {"-m0=LZMA:d=64k", Content::kMixed, 1000000},
      {"-m0=LZMA:eos", Content::kText, 100000},
      {"-m0=LZMA", Content::kText, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.switches);
    const Bytes data = make_content(c.content, c.size, 21);
    const Bytes archive = pack(data, "d.bin", std::string("-mhc=off -mf=off ") + c.switches);
    const Bytes props = coder_props(archive, {0x23, 0x03, 0x01, 0x01});
    MemoryStream in(packed_stream(archive), 3000);
    auto dec = make_lzma_decoder(props, in, data.size());
    EXPECT_EQ(read_all(*dec, 7777), data);
  }
}

TEST_F(SevenZipStreams, Deflate) {
  const Bytes data = make_content(Content::kMixed, 400000, 8);
  const Bytes archive = pack(data, "d.bin", "-mhc=off -m0=Deflate");
  MemoryStream in(packed_stream(archive));
  auto dec = make_deflate_decoder(in, data.size());
  EXPECT_EQ(read_all(*dec), data);
}

TEST_F(SevenZipStreams, Bcj2OfRealExecutables) {
  // 7zz -mx9 puts executables through BCJ2; an ELF file name ending in .exe
  // is enough for 7-Zip to choose the filter.
  Bytes data;
  for (const char* exe : {"/usr/bin/7zz", "/usr/bin/cmake"}) {
    if (!fs::exists(exe)) continue;
    const Bytes b = read_file(exe);
    data.insert(data.end(), b.begin(), b.begin() + ptrdiff_t(std::min<size_t>(b.size(), 4 << 20)));
  }
  const Bytes tail = make_content(Content::kX86, 100003, 5);
  data.insert(data.end(), tail.begin(), tail.end());
  pack(data, "prog.exe", "-mx9");
  const std::string slt_cmd = "cd '" + dir_.string() + "' && 7zz l -slt a.7z > slt.txt";
  ASSERT_EQ(std::system(slt_cmd.c_str()), 0);
  const Bytes slt = read_file(dir_ / "slt.txt");
  ASSERT_NE(std::string(slt.begin(), slt.end()).find("BCJ2"), std::string::npos) << "7zz did not use BCJ2";

  auto ar = SevenZipArchive::open(dir_ / "a.7z");
  ASSERT_EQ(ar->database().streams.folders.size(), 1u);
  auto folder = ar->open_folder(0);
  EXPECT_EQ(read_all(*folder, 1 << 16, data.size() + 1), data);
}

}  // namespace
}  // namespace qel::archive::test

#endif  // QEL_HAVE_LIBLZMA
