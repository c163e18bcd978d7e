#include "engine/trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace qel {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("qel_trace_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    reset_trace_first_write();
    set_trace_converter(nullptr);
  }
  void TearDown() override {
    set_trace_path("");
    fs::remove_all(folder_);
  }
  fs::path folder_;
};

TEST_F(TraceTest, LinesAreUtf16LittleEndianWithoutByteOrderMark) {
  const fs::path file = folder_ / "t.log";
  set_trace_path(file.string());
  trace("<A>");
  trace("  \xE9");
  EXPECT_EQ(contents(file), std::string("<\0A\0>\0\r\0\n\0 \0 \0\xE9\0\r\0\n\0", 20));
}

TEST_F(TraceTest, FirstWriteTruncatesAnEarlierTrace) {
  const fs::path file = folder_ / "t.log";
  std::ofstream(file, std::ios::binary) << "older run, much longer than one line";
  set_trace_path(file.string());
  trace("x");
  EXPECT_EQ(contents(file), encode_trace_line("x"));
}

TEST_F(TraceTest, LaterPathsAppendAndAreNeverCreated) {
  const fs::path first = folder_ / "first.log";
  const fs::path existing = folder_ / "existing.log";
  const fs::path absent = folder_ / "absent.log";
  std::ofstream(existing, std::ios::binary) << "KEEP";
  set_trace_path(first.string());
  trace("1");
  set_trace_path(existing.string());
  trace("2");
  set_trace_path(absent.string());
  trace("3");
  EXPECT_EQ(contents(first), encode_trace_line("1"));
  EXPECT_EQ(contents(existing), "KEEP" + encode_trace_line("2"));
  EXPECT_FALSE(fs::exists(absent));
}

TEST_F(TraceTest, NothingHappensWithoutPathOrFolder) {
  set_trace_path("");
  trace("x");
  set_trace_path((folder_ / "missing" / "t.log").string());
  trace("y");
  EXPECT_TRUE(fs::is_empty(folder_));
  // The first-write flag was used up by the failed attempt: a file that appears
  // now is appended to, not truncated.
  const fs::path later = folder_ / "later.log";
  std::ofstream(later, std::ios::binary) << "AB";
  set_trace_path(later.string());
  trace("z");
  EXPECT_EQ(contents(later), "AB" + encode_trace_line("z"));
}

TEST_F(TraceTest, ConcurrentWritersLoseNoLine) {
  const fs::path file = folder_ / "t.log";
  set_trace_path(file.string());
  trace("start");
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([] {
      for (int i = 0; i < 50; ++i) trace("0123456789");
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(contents(file).size(), encode_trace_line("start").size() + 200 * encode_trace_line("0123456789").size());
}

TEST_F(TraceTest, ConverterDecidesTheCodeUnits) {
  set_trace_converter([](std::string_view text) {
    std::u16string out;
    for (char c : text) out.push_back(c == '\x80' ? u'\u20AC' : static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
  });
  EXPECT_EQ(encode_trace_line("\x80"), std::string("\xAC\x20\r\0\n\0", 6));
}

}  // namespace
}  // namespace qel
