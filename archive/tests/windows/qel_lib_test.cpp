// qel.lib through LoadLibrary and its undecorated exports, with the documented
// records and __stdcall callbacks.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "archive/dll/qel_lib_api.h"
#include "archive/tests/windows/wine_test_support.h"

namespace qel::archive {
namespace {

using test::data_path;
using test::widen;
using test::WinTempDir;

const std::wstring kUnicodeName = L"\u00E4rger \u65E5\u672C.txt";

template <typename Fn>
Fn export_of(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Library {
  HMODULE module = LoadLibraryA("qel.lib");
  QelExtractArchiveFn extract = export_of<QelExtractArchiveFn>(module, "ExtractArchive");
  QelOpenListArchiveFn open_list = export_of<QelOpenListArchiveFn>(module, "OpenListArchive");
  QelCloseListArchiveFn close_list = export_of<QelCloseListArchiveFn>(module, "CloseListArchive");
  QelGetLastArchiveErrorFn last_error = export_of<QelGetLastArchiveErrorFn>(module, "GetLastArchiveError");
};

const Library& lib() {
  static Library l;
  return l;
}

// Callback state: the library's callbacks carry no context.
int g_password_calls = 0;
const char* g_password_answer = nullptr;
int QEL_STDCALL password_cb(char* buffer) {
  ++g_password_calls;
  if (!g_password_answer) return 0;
  strcpy(buffer, g_password_answer);
  return 1;
}

uint64_t g_progress_done = 0, g_progress_total = 0;
int g_progress_answer = 1;
int QEL_STDCALL progress_cb(const char*, uint64_t done, uint64_t total) {
  g_progress_done = done;
  g_progress_total = total;
  return g_progress_answer;
}

std::vector<std::string> g_started;
int QEL_STDCALL entry_cb(const char* name) {
  g_started.emplace_back(name);
  return 1;
}

int g_overwrite_answer = kQelOverwriteYes;
std::vector<std::string> g_overwrite_asked;
int QEL_STDCALL overwrite_cb(const char*, uint64_t, uint64_t, uint32_t, const char* entry, uint64_t, uint64_t,
                             uint32_t, uint32_t, uint32_t) {
  g_overwrite_asked.emplace_back(entry);
  return g_overwrite_answer;
}

int extract(const std::string& archive, const std::string& target, const QelTargetFiles* files = nullptr,
            int flat = 0, const char* password = "") {
  return lib().extract(archive.c_str(), 1, target.c_str(), files, flat, password, password_cb, progress_cb, entry_cb,
                       overwrite_cb);
}

class QelLib : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(lib().module, nullptr);
    ASSERT_TRUE(lib().extract && lib().open_list && lib().close_list && lib().last_error);
    g_password_calls = 0;
    g_password_answer = nullptr;
    g_progress_answer = 1;
    g_overwrite_answer = kQelOverwriteYes;
    g_overwrite_asked.clear();
    g_started.clear();
  }
};

TEST_F(QelLib, ListGivesEntryRecords) {
  QelEntryRecord* records = nullptr;
  uint32_t count = 0;
  void* handle = lib().open_list(data_path("tree.7z").c_str(), 0, nullptr, 0, 0, 0, "", &records, &count);
  ASSERT_NE(handle, nullptr);
  std::map<std::string, const QelEntryRecord*> by_name;
  for (uint32_t i = 0; i < count; ++i) by_name[records[i].name] = &records[i];
  ASSERT_EQ(by_name.count("hello.txt"), 1u);
  ASSERT_EQ(by_name.count("sub\\random.bin"), 1u);
  ASSERT_EQ(by_name.count("empty folder"), 1u);
  EXPECT_EQ(by_name["hello.txt"]->size, 23u);
  EXPECT_EQ(by_name["sub\\random.bin"]->size, 200000u);
  EXPECT_EQ(by_name["sub\\readonly.txt"]->attributes & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(by_name["empty folder"]->attributes & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  // 2001-02-03 04:05:06 UTC as FILETIME.
  SYSTEMTIME st{2001, 2, 6, 3, 4, 5, 6, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  EXPECT_EQ(by_name["hello.txt"]->mtime, (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  uint64_t packed = 0;
  for (uint32_t i = 0; i < count; ++i) packed += records[i].packed_size;
  EXPECT_GT(packed, 200000u);  // random data does not shrink
  lib().close_list(handle);
  EXPECT_EQ(lib().last_error(0), 0u);
}

TEST_F(QelLib, ListErrors) {
  struct Case {
    const char* archive;
    const char* password;
    uint32_t error;
  };
  for (const Case c : {Case{"missing.7z", "", kQelErrorArchiveNotFound}, Case{"secret.7z", "", kQelErrorCannotOpen},
                       Case{"secret.7z", "wrong", kQelErrorCannotOpen}, Case{"reference\\hello.txt", "", kQelErrorCannotOpen}}) {
    SCOPED_TRACE(c.archive);
    QelEntryRecord* records = nullptr;
    uint32_t count = 7;
    EXPECT_EQ(lib().open_list(data_path(c.archive).c_str(), 0, nullptr, 0, 0, 0, c.password, &records, &count),
              nullptr);
    EXPECT_EQ(lib().last_error(0), c.error);
    EXPECT_EQ(count, 0u);
  }
}

TEST_F(QelLib, ListAsksThePasswordCallbackUntilItGivesUp) {
  QelEntryRecord* records = nullptr;
  uint32_t count = 0;
  g_password_answer = "Secret";
  void* handle = lib().open_list(data_path("secret.7z").c_str(), 0, password_cb, 0, 0, 0, "wrong", &records, &count);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(g_password_calls, 1);
  EXPECT_EQ(count, 1u);
  lib().close_list(handle);
}

TEST_F(QelLib, ExtractAllMatchesSevenZip) {
  WinTempDir dir;
  ASSERT_NE(extract(data_path("tree.7z"), dir.path()), 0) << lib().last_error(0);
  const std::wstring out = widen(dir.path()), ref = widen(data_path("reference"));
  for (const wchar_t* name : {L"hello.txt", L"sub\\random.bin", L"sub\\readonly.txt", L"sub\\tool.exe",
                              L"sub\\deeper\\empty.txt"})
    EXPECT_EQ(test::read_file_w(out + L"\\" + name), test::read_file_w(ref + L"\\" + name));
  EXPECT_EQ(test::read_file_w(out + L"\\sub\\" + kUnicodeName), "umlaut");
  EXPECT_EQ(test::attributes_w(out + L"\\empty folder") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(test::attributes_w(out + L"\\sub\\readonly.txt") & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(test::attributes_w(out + L"\\hello.txt") & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(test::mtime_w(out + L"\\hello.txt"), test::mtime_w(ref + L"\\hello.txt"));
  EXPECT_EQ(g_progress_done, g_progress_total);
  EXPECT_GT(g_progress_total, 200000u);
  EXPECT_EQ(test::count_files_w(out), 6u);
}

TEST_F(QelLib, ExtractSelectedEntriesFlat) {
  WinTempDir dir;
  const char* names[] = {"SUB\\Random.bin", "hello.txt"};
  std::vector<const char*> record_storage(4);
  auto* files = reinterpret_cast<QelTargetFiles*>(record_storage.data());
  files->count = 2;
  files->names[0] = names[0];
  files->names[1] = names[1];
  ASSERT_NE(extract(data_path("tree.7z"), dir.path(), files, 1), 0) << lib().last_error(0);
  const std::wstring out = widen(dir.path());
  EXPECT_TRUE(test::file_exists_w(out + L"\\random.bin"));
  EXPECT_TRUE(test::file_exists_w(out + L"\\hello.txt"));
  EXPECT_EQ(test::count_files_w(out), 2u);
  EXPECT_EQ(g_started.size(), 2u);

  files->names[1] = "not-there.txt";
  EXPECT_EQ(extract(data_path("tree.7z"), dir.path(), files, 1), 0);
  EXPECT_EQ(lib().last_error(0), kQelErrorEntryNotFound);
}

TEST_F(QelLib, OverwriteCallbackAnswers) {
  for (const int answer : {kQelOverwriteNo, kQelOverwriteYes}) {
    WinTempDir dir;
    CreateDirectoryA((dir.path() + "\\sub").c_str(), nullptr);
    HANDLE h = CreateFileA((dir.path() + "\\hello.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "old", 3, &written, nullptr);
    CloseHandle(h);
    g_overwrite_answer = answer;
    g_overwrite_asked.clear();
    ASSERT_NE(extract(data_path("tree.7z"), dir.path()), 0);
    EXPECT_EQ(g_overwrite_asked, std::vector<std::string>{"hello.txt"});
    EXPECT_EQ(test::read_file_w(widen(dir.path() + "\\hello.txt")),
              answer == kQelOverwriteYes ? "hello from the archive\n" : "old");
  }
}

TEST_F(QelLib, ExtractErrors) {
  struct Case {
    const char* archive;
    const char* password;
    const char* callback_password;
    int progress;
    uint32_t error;
  };
  const Case cases[] = {{"missing.7z", "", nullptr, 1, kQelErrorArchiveNotFound},
                        {"ppmd.7z", "", nullptr, 1, kQelErrorCannotOpen},
                        {"secret.7z", "wrong", nullptr, 1, kQelErrorCannotOpen},
                        {"data-secret.7z", "", nullptr, 1, kQelErrorCannotOpen},
                        {"data-secret.7z", "wrong", "also wrong", 1, kQelErrorCannotOpen},
                        {"hostile.7z", "", nullptr, 1, kQelErrorIllegalPath},
                        {"tree.7z", "", nullptr, 0, kQelErrorStopped}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    WinTempDir dir;
    g_password_answer = c.callback_password;
    g_progress_answer = c.progress;
    EXPECT_EQ(extract(data_path(c.archive), dir.path() + "\\target", nullptr, 0, c.password), 0);
    EXPECT_EQ(lib().last_error(0), c.error);
    // Nothing is left behind, except whole files written before a stop.
    if (c.error != kQelErrorStopped) {
      EXPECT_EQ(test::count_files_w(widen(dir.path())), 0u);
    }
  }
}

TEST_F(QelLib, ExtractWithPasswordFromTheCallback) {
  for (const char* archive : {"secret.7z", "data-secret.7z"}) {
    SCOPED_TRACE(archive);
    WinTempDir dir;
    g_password_calls = 0;
    g_password_answer = "Secret";
    ASSERT_NE(extract(data_path(archive), dir.path(), nullptr, 0, "wrong"), 0) << lib().last_error(0);
    EXPECT_EQ(g_password_calls, 1);
    EXPECT_EQ(test::read_file_w(widen(dir.path() + "\\hello.txt")), "hello from the archive\n");
  }
}

}  // namespace
}  // namespace qel::archive
