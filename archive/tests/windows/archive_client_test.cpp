// The engine's Extract and List operations over the imported qel.lib.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <regex>

#include "archive/client/archive_client.h"
#include "archive/tests/windows/wine_test_support.h"

namespace qel::archive {
namespace {

using test::data_path;
using test::widen;
using test::WinTempDir;

TEST(ArchiveClient, ListFillsTheOutputLists) {
  ArchiveListing listing;
  std::string error;
  ASSERT_TRUE(List(data_path("tree.7z"), "", error, nullptr, &listing)) << error;
  const size_t n = listing.names.size();
  EXPECT_EQ(listing.attributes.size(), n);
  EXPECT_EQ(listing.sizes.size(), n);
  EXPECT_EQ(listing.packed_sizes.size(), n);
  ASSERT_EQ(listing.times.size(), n);
  const auto it = std::find(listing.names.begin(), listing.names.end(), "sub\\random.bin");
  ASSERT_NE(it, listing.names.end());
  const size_t i = static_cast<size_t>(it - listing.names.begin());
  EXPECT_EQ(listing.sizes[i], "200000");
  EXPECT_TRUE(std::regex_match(listing.times[i], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << listing.times[i];
}

TEST(ArchiveClient, ListErrorTexts) {
  struct Case {
    const char* archive;
    const char* password;
    const char* text;
  };
  const Case cases[] = {
      {"missing.7z", "", "The archive file was not found"},
      {"secret.7z", "wrong", "The archive cannot be opened: unsupported archive or incorrect password"},
      {"ppmd.7z", "", nullptr}};  // listing needs no decoding: PPMd lists fine
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    std::string error;
    const bool ok = List(data_path(c.archive), c.password, error, nullptr, nullptr);
    EXPECT_EQ(ok, c.text == nullptr);
    if (c.text) {
      EXPECT_EQ(error, c.text);
    }
  }
  EXPECT_EQ(list_error_text(1007), "General failure opening archive");
}

TEST(ArchiveClient, ExtractAllWithDefaults) {
  WinTempDir dir;
  std::string error;
  ASSERT_TRUE(Extract(data_path("tree.7z"), "", dir.path(), nullptr, nullptr, error, true, true)) << error;
  EXPECT_EQ(test::read_file_w(widen(dir.path()) + L"\\sub\\\u00E4rger \u65E5\u672C.txt"), "umlaut");
  EXPECT_EQ(test::count_files_w(widen(dir.path())), 6u);
  // Overwrite on replaces, also read-only files.
  ASSERT_TRUE(Extract(data_path("tree.7z"), "", dir.path(), nullptr, nullptr, error, true, true)) << error;
}

TEST(ArchiveClient, ExtractWithPasswordAndEntryList) {
  WinTempDir dir;
  std::string error;
  const std::vector<std::string> entries = {"hello.txt"};
  ASSERT_TRUE(Extract(data_path("data-secret.7z"), "Secret", dir.path(), nullptr, &entries, error, true, false))
      << error;
  EXPECT_EQ(test::read_file_w(widen(dir.path() + "\\hello.txt")), "hello from the archive\n");
}

TEST(ArchiveClient, ExtractFailures) {
  struct Case {
    const char* archive;
    const char* password;
    bool with_entry_list;
    const char* text;
  };
  const Case cases[] = {
      {"missing.7z", "", false, "The archive file was not found"},
      {"secret.7z", "wrong", false, "The archive cannot be opened: unsupported archive or incorrect password"},
      {"data-secret.7z", "wrong", false, "#1003"},
      {"data-secret.7z", "wrong", true, "#1003"},
      {"ppmd.7z", "", false, "#1003"},
      {"hostile.7z", "", false, "#1002"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    WinTempDir dir;
    std::string error;
    const std::vector<std::string> entries = {"hello.txt"};
    EXPECT_FALSE(Extract(data_path(c.archive), c.password, dir.path(), nullptr, c.with_entry_list ? &entries : nullptr,
                         error, true, true));
    EXPECT_EQ(error, c.text);
  }
}

TEST(ArchiveClient, CustomCallbacks) {
  WinTempDir dir;
  std::string error;
  ExtractCallbacks callbacks;
  uint64_t last_total = 0;
  int asked = 0;
  callbacks.password = [&]() -> std::optional<std::string> {
    ++asked;
    return std::string("Secret");
  };
  callbacks.progress = [&](const std::string&, uint64_t, uint64_t total) {
    last_total = total;
    return true;
  };
  ASSERT_TRUE(Extract(data_path("secret.7z"), "", dir.path(), &callbacks, nullptr, error, true, true)) << error;
  EXPECT_EQ(last_total, 23u);
  EXPECT_GE(asked, 1);

  callbacks.progress = [](const std::string&, uint64_t, uint64_t) { return false; };
  EXPECT_FALSE(Extract(data_path("tree.7z"), "", dir.path() + "\\stopped", &callbacks, nullptr, error, true, true));
  EXPECT_EQ(error, "#1005");
}

}  // namespace
}  // namespace qel::archive
