// Extraction of archives written by 7zz with every supported method, compared with
// 7-Zip's own extraction of the same archive.
#include <gtest/gtest.h>

#include <memory>

#include "archive/sevenzip/archive_reader.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/extractor.h"
#include "archive/sevenzip/utf.h"
#include "archive/tests/test_support.h"

namespace qel::archive {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

class SevenZipExtract : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test::have_7zz()) return;
    dir_ = std::make_unique<TempDir>();
    test::make_sample_tree(source());
  }
  static void TearDownTestSuite() { dir_.reset(); }
  void SetUp() override {
    if (!dir_) GTEST_SKIP() << "7zz is not installed";
  }
  static fs::path source() { return dir_->path() / "source"; }

  // Packs the sample tree with the given 7zz switches into a new archive.
  fs::path pack(const std::string& name, const std::string& switches) {
    const fs::path archive = dir_->path() / (name + ".7z");
    fs::remove(archive);
    const int rc = test::run("cd " + test::quote(source()) + " && 7zz a -bd -y " + switches + " " +
                             test::quote(archive) + " .");
    EXPECT_EQ(rc, 0) << "7zz a " << switches;
    return archive;
  }

  fs::path reference(const fs::path& archive, const std::string& password = "") {
    const fs::path out = dir_->path() / (archive.stem().string() + "-7zz");
    fs::remove_all(out);
    const std::string pw = password.empty() ? "" : " '-p" + password + "'";
    EXPECT_EQ(test::run("7zz x -bd -y" + pw + " -o" + test::quote(out) + " " + test::quote(archive)), 0);
    return out;
  }

  static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> SevenZipExtract::dir_;

struct MethodCase {
  const char* name;
  const char* switches;
  const char* password;
};

class SevenZipMethods : public SevenZipExtract, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(SevenZipMethods, MatchesSevenZipExtraction) {
  const MethodCase& c = GetParam();
  const std::string password = c.password;
  const fs::path archive = pack(c.name, std::string(c.switches) + (password.empty() ? "" : " '-p" + password + "'"));
  const fs::path expected = reference(archive, password);
  const fs::path actual = dir_->path() / (std::string(c.name) + "-ours");
  ExtractOptions options;
  if (!password.empty()) options.password = [password] { return std::optional<std::string>(password); };
  const ExtractResult result = extract_archive(archive, actual, options);
  EXPECT_GT(result.files_written, 5u);
  const auto diffs = test::compare_trees(expected, actual);
  EXPECT_TRUE(diffs.empty()) << testing::PrintToString(diffs);
}

INSTANTIATE_TEST_SUITE_P(
    AllMethods, SevenZipMethods,
    ::testing::Values(MethodCase{"copy", "-m0=Copy", ""}, MethodCase{"store", "-mx0", ""},
                      MethodCase{"lzma", "-m0=LZMA", ""}, MethodCase{"lzma2", "-m0=LZMA2", ""},
                      MethodCase{"default", "-mx5", ""}, MethodCase{"bcj2_mx9", "-mx9", ""},
                      MethodCase{"bcj_lzma", "-mf=BCJ -m0=LZMA", ""}, MethodCase{"bcj2_lzma2", "-mf=BCJ2 -m0=LZMA2", ""},
                      MethodCase{"deflate", "-m0=Deflate", ""}, MethodCase{"non_solid", "-ms=off -m0=LZMA2", ""},
                      MethodCase{"solid_small_blocks", "-ms=64k -m0=LZMA2", ""},
                      MethodCase{"plain_header", "-mhc=off -m0=LZMA", ""},
                      MethodCase{"aes", "-m0=LZMA2", "Secret pass"},
                      MethodCase{"aes_header", "-mhe=on -mx9", "Secret pass"},
                      MethodCase{"aes_copy", "-m0=Copy -mhe=on", "\xC3\xA4\xE6\x97\xA5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SevenZipExtract, WrongOrMissingPasswordIsAPasswordError) {
  struct Case {
    const char* name;
    const char* switches;
  };
  for (const Case c : {Case{"pw_data", "-m0=LZMA2 -pright"}, Case{"pw_head", "-m0=LZMA2 -pright -mhe=on"},
                       Case{"pw_copy", "-m0=Copy -pright"}}) {
    SCOPED_TRACE(c.name);
    const fs::path archive = pack(c.name, c.switches);
    for (const std::optional<std::string>& password : {std::optional<std::string>("wrong"), std::optional<std::string>()}) {
      const fs::path out = dir_->path() / (std::string(c.name) + "-out");
      ExtractOptions options;
      options.password = [password] { return password; };
      EXPECT_THROW(extract_archive(archive, out, options), WrongPasswordError);
      // Nothing half-written stays behind: only folders and empty files may exist.
      if (fs::exists(out)) {
        for (const auto& e : fs::recursive_directory_iterator(out)) {
          if (e.is_regular_file()) {
            EXPECT_EQ(fs::file_size(e.path()), 0u) << e.path();
          }
        }
      }
      fs::remove_all(out);
    }
  }
}

TEST_F(SevenZipExtract, PasswordSourceIsAskedAgainAfterAWrongPassword) {
  for (const char* switches : {"-m0=LZMA2 -pright", "-m0=LZMA2 -pright -mhe=on"}) {
    SCOPED_TRACE(switches);
    const fs::path archive = pack("retry", switches);
    std::vector<std::string> offered{"first wrong", "second wrong", "right"};
    size_t asked = 0;
    ExtractOptions options;
    options.password = [&]() -> std::optional<std::string> {
      if (asked >= offered.size()) return std::nullopt;
      return offered[asked++];
    };
    const fs::path out = dir_->path() / "retry-out";
    fs::remove_all(out);
    extract_archive(archive, out, options);
    EXPECT_EQ(asked, 3u);
    EXPECT_TRUE(test::compare_trees(reference(archive, "right"), out).empty());
  }
}

TEST_F(SevenZipExtract, UnsupportedMethodsAreNamed) {
  struct Case {
    const char* switches;
    const char* message;
  };
  for (const Case c : {Case{"-m0=PPMd", "Unsupported compression method PPMD (030401)"},
                       Case{"-m0=BZip2", "Unsupported compression method BZip2 (040202)"},
                       Case{"-mf=ARM64 -m0=LZMA2", "Unsupported compression method ARM64 (0A)"}}) {
    SCOPED_TRACE(c.switches);
    const fs::path archive = pack("unsupported", c.switches);
    try {
      extract_archive(archive, dir_->path() / "unsupported-out", {});
      ADD_FAILURE() << "no error";
    } catch (const UnsupportedMethodError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST_F(SevenZipExtract, SelectedEntriesOnlyAndFlatLayout) {
  const fs::path archive = pack("select", "-mx5");
  const fs::path out = dir_->path() / "select-out";
  ExtractOptions options;
  options.keep_paths = false;
  options.select = [](const Entry& e) { return e.name == "deep/a/b/c/leaf.txt" || e.name == "data/small.txt"; };
  const ExtractResult result = extract_archive(archive, out, options);
  EXPECT_EQ(result.files_written, 2u);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(out)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"leaf.txt", "small.txt"}));
  EXPECT_EQ(test::read_file(out / "small.txt"), "small");
}

TEST_F(SevenZipExtract, OverwriteCallbackDecidesAboutExistingFiles) {
  const fs::path archive = pack("overwrite", "-mx5");
  for (const bool replace : {false, true}) {
    const fs::path out = dir_->path() / "overwrite-out";
    fs::remove_all(out);
    test::write_file(out / "data" / "small.txt", "old content");
    std::vector<std::string> asked;
    ExtractOptions options;
    options.overwrite = [&](const Entry& e, const fs::path&) {
      asked.push_back(e.name);
      return replace;
    };
    const ExtractResult result = extract_archive(archive, out, options);
    EXPECT_EQ(asked, std::vector<std::string>{"data/small.txt"});
    EXPECT_EQ(result.files_skipped, replace ? 0u : 1u);
    EXPECT_EQ(test::read_file(out / "data" / "small.txt"), replace ? "small" : "old content");
    // Entries after the kept one in the same solid folder are still right.
    EXPECT_EQ(test::read_file(out / "readme.txt"), test::read_file(source() / "readme.txt"));
  }
}

TEST_F(SevenZipExtract, ProgressCountsBytesAndCanStop) {
  const fs::path archive = pack("progress", "-mx5");
  uint64_t last_done = 0, total = 0, calls = 0;
  ExtractOptions options;
  options.progress = [&](const std::string&, uint64_t done, uint64_t t) {
    EXPECT_GE(done, last_done);
    last_done = done;
    total = t;
    ++calls;
    return true;
  };
  extract_archive(archive, dir_->path() / "progress-out", options);
  EXPECT_GT(calls, 3u);
  EXPECT_EQ(last_done, total);
  EXPECT_GT(total, 300000u);

  ExtractOptions stopping;
  stopping.progress = [](const std::string&, uint64_t, uint64_t) { return false; };
  EXPECT_THROW(extract_archive(archive, dir_->path() / "stopped-out", stopping), StoppedError);
}

TEST_F(SevenZipExtract, ListingMatchesSevenZip) {
  const fs::path archive = pack("listing", "-mx9");
  auto opened = SevenZipArchive::open(archive);
  size_t files = 0, dirs = 0;
  for (const auto& e : opened->entries()) {
    const fs::path on_disk = source() / path_from_utf8(e.name);
    ASSERT_TRUE(fs::exists(on_disk)) << e.name;
    EXPECT_EQ(e.is_dir, fs::is_directory(on_disk)) << e.name;
    if (e.is_dir) {
      ++dirs;
      continue;
    }
    ++files;
    EXPECT_EQ(e.size, fs::file_size(on_disk)) << e.name;
    ASSERT_TRUE(e.attributes.has_value());
    // Linux-made: 0x8000 with the mode above; the Windows part is the archive bit.
    EXPECT_EQ(windows_attributes(*e.attributes), 0x20u) << e.name;
    EXPECT_EQ(*e.attributes >> 16 & 0777, static_cast<uint32_t>(fs::status(on_disk).permissions())) << e.name;
  }
  EXPECT_EQ(files, 8u);
  EXPECT_EQ(dirs, 8u);
}

}  // namespace
}  // namespace qel::archive
