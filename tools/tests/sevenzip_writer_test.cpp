// The 7z writer against two independent readers: 7-Zip itself (7zz t / 7zz x)
// and the project's own reader in archive/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "archive/sevenzip/archive_reader.h"
#include "archive/sevenzip/extractor.h"
#include "tools/sevenzip_writer/number_writer.h"
#include "tools/sevenzip_writer/sevenzip_writer.h"
#include "tools/tests/builder_fixture.h"

namespace qel::sevenzip {
namespace {
namespace fs = std::filesystem;
using build::testing::read_bytes;
using build::testing::ScratchFolder;

std::string random_bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

// Machine code stand-in with many E8 (call) opcodes, so the x86 filter has work.
std::string call_heavy(size_t n) {
  std::string s;
  for (size_t i = 0; s.size() < n; ++i) {
    s.push_back('\xE8');
    const uint32_t target = static_cast<uint32_t>(0x1000 + (i % 37) * 16 - s.size());
    for (int k = 0; k < 4; ++k) s.push_back(static_cast<char>((target >> (8 * k)) & 0xFF));
    s += "\x55\x8B\xEC";
  }
  s.resize(n);
  return s;
}

ArchiveItem file(std::string name, std::string data, FileTime t = filetime_from_unix(1700000000)) {
  ArchiveItem i;
  i.name = std::move(name);
  i.data = std::move(data);
  i.mtime = t;
  return i;
}

ArchiveItem folder(std::string name) {
  ArchiveItem i;
  i.name = std::move(name);
  i.is_dir = true;
  i.mtime = filetime_from_unix(1600000000);
  return i;
}

struct ArchiveCase {
  std::string label;
  std::vector<ArchiveItem> items;
};

std::vector<ArchiveCase> archive_cases() {
  return {
      {"single_text", {file("welcome.dfm", "object Welcome: TForm\r\nend\r\n")}},
      {"text_and_executables",
       {file("setup.dfm", std::string(5000, 'x') + "tail"), file("plugin.dll", call_heavy(70000)),
        file("Tool.EXE", call_heavy(3000)), file("notes.txt", "notes")}},
      {"folders_and_empty_files",
       {folder("lang"), folder("lang/extra"), file("lang/extra/empty.txt", ""),
        file("lang/german.txt", "Willkommen"), file("top.txt", "top")}},
      {"non_ascii_names", {file("caf\xC3\xA9/r\xC3\xA9sum\xC3\xA9.txt", "accent"), folder("caf\xC3\xA9"),
                           file("latin1-\xE9.txt", "a lone Latin-1 byte")}},
      {"incompressible", {file("noise.bin", random_bytes(300000, 7)), file("noise.exe", random_bytes(1000, 8))}},
      {"backslash_names", {file("sub\\inner\\x.txt", "x")}},
  };
}

// Expected on-disk names (UTF-8 as the reader gives them) -> contents.
std::map<std::string, std::string> expected_files(const std::vector<ArchiveItem>& items) {
  std::map<std::string, std::string> out;
  for (const ArchiveItem& i : items) {
    if (i.is_dir) continue;
    std::string name = i.name;
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.find('\xE9') != std::string::npos && name.find("\xC3\xA9") == std::string::npos)
      name.replace(name.find('\xE9'), 1, "\xC3\xA9");  // Latin-1 byte stored as U+00E9
    out[name] = i.data;
  }
  return out;
}

std::map<std::string, std::string> tree(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out[fs::relative(e.path(), root).generic_string()] = read_bytes(e.path());
  return out;
}

bool have_7zz() { return std::system("7zz i >/dev/null 2>&1") == 0; }

class SevenZipWriterTest : public ::testing::TestWithParam<ArchiveCase> {};

TEST_P(SevenZipWriterTest, OwnReaderGivesBackNamesMetadataAndBytes) {
  ScratchFolder scratch;
  const auto& items = GetParam().items;
  const fs::path archive = scratch.write("a.7z", write_archive(items));

  auto opened = archive::SevenZipArchive::open(archive);
  std::map<std::string, const archive::Entry*> by_name;
  for (const auto& e : opened->entries()) by_name[e.name] = &e;
  ASSERT_EQ(by_name.size(), items.size());
  for (const ArchiveItem& item : items) {
    std::string name = expected_files({item}).empty() ? item.name : expected_files({item}).begin()->first;
    ASSERT_TRUE(by_name.count(name)) << name;
    const archive::Entry& e = *by_name[name];
    EXPECT_EQ(e.is_dir, item.is_dir) << name;
    EXPECT_EQ(e.size, item.is_dir ? 0 : item.data.size()) << name;
    ASSERT_TRUE(e.mtime.has_value());
    EXPECT_EQ(*e.mtime, item.mtime) << name;
    ASSERT_TRUE(e.attributes.has_value());
    EXPECT_EQ(*e.attributes, item.is_dir ? kAttributeDirectory : kAttributeArchive) << name;
    if (!item.data.empty()) {
      EXPECT_TRUE(e.crc.has_value()) << name;
    }
  }
  archive::ExtractOptions options;
  archive::extract_archive(archive, scratch.path() / "own", options);
  EXPECT_EQ(tree(scratch.path() / "own"), expected_files(items));
}

TEST_P(SevenZipWriterTest, SevenZipTestsAndExtractsIt) {
  if (!have_7zz()) {
    GTEST_SKIP() << "7zz not installed";
  }
  ScratchFolder scratch;
  const auto& items = GetParam().items;
  const fs::path archive = scratch.write("a.7z", write_archive(items));
  const std::string quoted = "'" + archive.string() + "'";
  EXPECT_EQ(std::system(("7zz t -bd " + quoted + " >/dev/null").c_str()), 0);
  const fs::path out = scratch.path() / "7zz";
  ASSERT_EQ(std::system(("7zz x -bd -o'" + out.string() + "' " + quoted + " >/dev/null").c_str()), 0);
  EXPECT_EQ(tree(out), expected_files(items));
}

INSTANTIATE_TEST_SUITE_P(Archives, SevenZipWriterTest, ::testing::ValuesIn(archive_cases()),
                         [](const auto& info) { return info.param.label; });

TEST(SevenZipWriter, ExecutablesAreFilteredSeparately) {
  auto opened_folders = [](const std::vector<ArchiveItem>& items) {
    ScratchFolder scratch;
    auto a = archive::SevenZipArchive::open(scratch.write("a.7z", write_archive(items)));
    std::vector<size_t> coders;
    for (const auto& f : a->database().streams.folders) coders.push_back(f.coders.size());
    return coders;
  };
  EXPECT_EQ(opened_folders({file("a.txt", "text")}), std::vector<size_t>{1});
  EXPECT_EQ(opened_folders({file("a.dll", call_heavy(100))}), std::vector<size_t>{2});
  EXPECT_EQ(opened_folders({file("a.txt", "t"), file("b.exe", call_heavy(100))}), (std::vector<size_t>{2, 1}));
}

TEST(SevenZipWriter, EmptyArchiveIsValid) {
  ScratchFolder scratch;
  const fs::path archive = scratch.write("empty.7z", write_archive({}));
  EXPECT_TRUE(archive::SevenZipArchive::open(archive)->entries().empty());
  if (have_7zz()) {
    EXPECT_EQ(std::system(("7zz t -bd '" + archive.string() + "' >/dev/null").c_str()), 0);
  }
}

TEST(SevenZipWriter, SameItemsInAnyOrderGiveTheSameBytes) {
  auto items = archive_cases()[1].items;
  const std::string first = write_archive(items);
  std::reverse(items.begin(), items.end());
  EXPECT_EQ(write_archive(items), first);
}

TEST(SevenZipWriter, RejectsDuplicateAndEmptyNames) {
  EXPECT_THROW(write_archive({file("A.txt", "1"), file("a.TXT", "2")}), std::invalid_argument);
  EXPECT_THROW(write_archive({file("x/", "1"), file("x", "2")}), std::invalid_argument);
  EXPECT_THROW(write_archive({file("/", "1")}), std::invalid_argument);
}

TEST(SevenZipNumbers, EncodesEachLengthClass) {
  struct Case {
    uint64_t value;
    std::string bytes;
  };
  const Case cases[] = {
      {0, std::string("\x00", 1)},
      {0x7F, "\x7F"},
      {0x80, std::string("\x80\x80", 2)},
      {0x3FFF, "\xBF\xFF"},
      {0x4000, std::string("\xC0\x00\x40", 3)},
      {0x123456, "\xD2\x56\x34"},
      {0x200000, std::string("\xE0\x00\x00\x20", 4)},
      {0xFFFFFFFFFFFFFFFFULL, std::string("\xFF") + std::string(8, '\xFF')},
      {0x0100000000000000ULL, std::string("\xFF\x00\x00\x00\x00\x00\x00\x00\x01", 9)},
  };
  for (const Case& c : cases) {
    std::string out;
    put_number(out, c.value);
    EXPECT_EQ(out, c.bytes) << c.value;
  }
}

TEST(SevenZipNames, ExecutableNamesByExtension) {
  const std::pair<const char*, bool> cases[] = {{"a.exe", true}, {"B.DLL", true}, {"x.Exe", true},
                                                {"exe", false},  {"a.exe.txt", false}, {"a.ocx", false},
                                                {"dll", false}};
  for (const auto& [name, expected] : cases) EXPECT_EQ(is_executable_name(name), expected) << name;
}

}  // namespace
}  // namespace qel::sevenzip
