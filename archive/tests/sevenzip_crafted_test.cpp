// Archives crafted by the tests' own writer: hostile entry names, header variants,
// and damaged archives.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/sevenzip/archive_reader.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/extractor.h"
#include "archive/sevenzip/utf.h"
#include "archive/tests/test_support.h"

namespace qel::archive {
namespace {

using test::CraftedEntry;
using test::TempDir;
namespace fs = std::filesystem;

fs::path save(const TempDir& dir, const std::vector<uint8_t>& bytes, const std::string& name = "crafted.7z") {
  const fs::path p = dir.path() / name;
  test::write_file(p, std::string(bytes.begin(), bytes.end()));
  return p;
}

size_t count_files(const fs::path& root) {
  size_t n = 0;
  if (fs::exists(root))
    for (const auto& e : fs::recursive_directory_iterator(root)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

TEST(SevenZipCrafted, HostileNamesFailTheExtractionBeforeAnythingIsWritten) {
  const char* hostile[] = {"../x",   "a/../../x", "/abs",     "\\abs",    "C:\\x",      "C:x",     "a:b",
                           "CON",    "nul.txt",   "dir/Com1", "LPT9.log", "aux .txt",   "x.",      "dir./y",
                           "x ",     "a\\..\\b",  "\\\\server\\share\\x", "a*b", "q?.txt", "tab\tname", ""};
  for (const char* name : hostile) {
    SCOPED_TRACE(name);
    TempDir dir;
    // The good entry comes first: it must not be written either.
    const auto archive = save(dir, test::craft_archive({{"good.txt", "fine"}, {name, "evil"}}));
    const fs::path out = dir.path() / "out";
    try {
      extract_archive(archive, out, {});
      ADD_FAILURE() << "accepted";
    } catch (const UnsafePathError& e) {
      // The message names the entry as listed ('\' between folders reads as '/').
      std::string listed = name;
      std::replace(listed.begin(), listed.end(), '\\', '/');
      EXPECT_NE(std::string(e.what()).find("\"" + listed + "\""), std::string::npos) << e.what();
    }
    EXPECT_EQ(count_files(dir.path()), 1u);  // only the archive
  }
}

TEST(SevenZipCrafted, UnusualButSafeNamesAreWritten) {
  struct Case {
    const char* stored;
    const char* written;
  };
  const Case cases[] = {{"a\\b\\c.txt", "a/b/c.txt"}, {"./x/./y.txt", "x/y.txt"}, {"dir//z.txt", "dir/z.txt"},
                        {"..data", "..data"},         {"CONSOLE.txt", "CONSOLE.txt"}, {"com10", "com10"},
                        {"x.y.", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    TempDir dir;
    const auto archive = save(dir, test::craft_archive({{c.stored, "data"}}));
    if (!c.written) {
      EXPECT_THROW(extract_archive(archive, dir.path() / "out", {}), UnsafePathError);
      continue;
    }
    extract_archive(archive, dir.path() / "out", {});
    EXPECT_EQ(test::read_file(dir.path() / "out" / c.written), "data");
  }
}

TEST(SevenZipCrafted, HeaderVariantsReadTheSame) {
  const std::vector<CraftedEntry> entries = {
      {"folder", "", true}, {"folder/empty.txt", ""}, {"folder/file.txt", "content"}, {"other.bin", "\x01\x02\x03"}};
  struct Variant {
    const char* name;
    test::CraftOptions options;
  };
  const Variant variants[] = {{"plain", {}},
                              {"empty files as 0-length streams", {true, false, false}},
                              {"padding twice", {false, true, false}},
                              {"unknown property", {false, false, true}}};
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TempDir dir;
    const auto archive = save(dir, test::craft_archive(entries, v.options));
    auto opened = SevenZipArchive::open(archive);
    ASSERT_EQ(opened->entries().size(), 4u);
    EXPECT_TRUE(opened->entries()[0].is_dir);
    EXPECT_FALSE(opened->entries()[1].is_dir);
    EXPECT_EQ(opened->entries()[2].size, 7u);
    const fs::path out = dir.path() / "out";
    extract_archive(*opened, out, {});
    EXPECT_TRUE(fs::is_directory(out / "folder"));
    EXPECT_EQ(test::read_file(out / "folder" / "empty.txt"), "");
    EXPECT_EQ(test::read_file(out / "folder" / "file.txt"), "content");
    EXPECT_EQ(test::read_file(out / "other.bin"), "\x01\x02\x03");
  }
}

TEST(SevenZipCrafted, CrcMismatchFailsAndRemovesThePartialFile) {
  TempDir dir;
  auto bytes = test::craft_archive({{"a.txt", "first file"}, {"b.txt", "second file"}});
  bytes[32 + 10 + 3] ^= 0x20;  // inside b.txt's data
  const auto archive = save(dir, bytes);
  const fs::path out = dir.path() / "out";
  EXPECT_THROW(extract_archive(archive, out, {}), ArchiveError);
  EXPECT_EQ(test::read_file(out / "a.txt"), "first file");
  EXPECT_FALSE(fs::exists(out / "b.txt"));
}

TEST(SevenZipCrafted, EmptyArchiveAndNonArchives) {
  TempDir dir;
  const auto empty = save(dir, test::craft_archive({}), "empty.7z");
  EXPECT_TRUE(SevenZipArchive::open(empty)->entries().empty());
  EXPECT_THROW(SevenZipArchive::open(dir.path() / "missing.7z"), ArchiveNotFoundError);
  EXPECT_THROW(SevenZipArchive::open(dir.path()), ArchiveNotFoundError);
  const auto text = save(dir, {'h', 'e', 'l', 'l', 'o'}, "text.7z");
  EXPECT_THROW(SevenZipArchive::open(text), ArchiveError);
}

// Every damaged form of a real archive must fail with ArchiveError or (for the bytes
// that carry no check) extract; never crash, hang or write outside the target.
void exercise(const std::vector<uint8_t>& bytes, const fs::path& out, const std::string& password) {
  try {
    auto opened = SevenZipArchive::open(memory_archive_file(bytes),
                                        [password] { return std::optional<std::string>(password); });
    ExtractOptions options;
    extract_archive(*opened, out, options);
  } catch (const ArchiveError&) {
  }
  fs::remove_all(out);
}

TEST(SevenZipCrafted, TruncatedAndBitFlippedArchivesFailCleanly) {
  if (!test::have_7zz()) GTEST_SKIP() << "7zz is not installed";
  TempDir dir;
  test::write_file(dir.path() / "src" / "text.txt", std::string(20000, 'a') + "tail of the text");
  fs::create_directories(dir.path() / "src" / "bin");
  fs::copy_file("/usr/bin/true", dir.path() / "src" / "bin" / "true");
  for (const char* switches : {"-mx9", "-m0=LZMA", "-m0=Deflate", "-m0=LZMA2 -pPw -mhe=on", "-m0=Copy"}) {
    SCOPED_TRACE(switches);
    const fs::path archive = dir.path() / "damaged.7z";
    fs::remove(archive);
    ASSERT_EQ(test::run("cd " + test::quote(dir.path() / "src") + " && 7zz a -bd " + switches + " " +
                        test::quote(archive) + " ."),
              0);
    const auto original = test::read_bytes(archive);
    const fs::path out = dir.path() / "out";
    const size_t step = std::max<size_t>(1, original.size() / 97);
    for (size_t cut = 0; cut < original.size(); cut += step) {
      std::vector<uint8_t> truncated(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(cut));
      EXPECT_THROW(SevenZipArchive::open(memory_archive_file(truncated)), ArchiveError) << "cut at " << cut;
    }
    for (size_t pos = 0; pos < original.size(); pos += step) {
      for (const uint8_t mask : {0x01, 0x80}) {
        auto flipped = original;
        flipped[pos] ^= mask;
        exercise(flipped, out, "Pw");
      }
    }
  }
}

}  // namespace
}  // namespace qel::archive
