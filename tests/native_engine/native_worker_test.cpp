#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "engine/variables.h"
#include "native/engine/win/native_thread.h"
#include "native/engine/win/reverse_operations.h"
#include "native/engine/win/worker_context.h"
#include "native/log/log_set.h"
#include "native/log/native_log.h"
#include "native/prompts/win/file_facts.h"
#include "native/prompts/win/main_thread_prompt.h"
#include "native/spooler/native_run_state.h"
#include "tests/native_engine/worker_fixture.h"

namespace qel::native::testing {
namespace {

constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

bool KeyExists(const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

std::string ReadValue(const std::string& key, const std::string& name, DWORD* type_out = nullptr) {
  char buffer[1024] = {};
  DWORD size = sizeof buffer, type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, &type, buffer, &size) != ERROR_SUCCESS)
    return "<missing>";
  if (type_out) *type_out = type;
  return std::string(buffer, size);
}

void CreateKey(const std::string& key) {
  HKEY h = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) == ERROR_SUCCESS)
    RegCloseKey(h);
}

bool SharedCount(const std::string& file, DWORD& count) {
  DWORD size = sizeof count;
  return RegGetValueA(HKEY_LOCAL_MACHINE, kSharedDlls, file.c_str(), RRF_RT_REG_DWORD, nullptr, &count, &size) ==
         ERROR_SUCCESS;
}

void SetSharedCount(const std::string& file, DWORD count) {
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSharedDlls, file.c_str(), REG_DWORD, &count, sizeof count);
}

void DeleteSharedCount(const std::string& file) { RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSharedDlls, file.c_str()); }

// ---- Write Registry ----

class WriteRegistry : public WorkerFixture {};

TEST_F(WriteRegistry, UninstallRemovesTheValueThenBothMissingKeys) {
  CreateKey(key_);
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key_ + "\\A\\B", "Value", "data", "STRING")), 1);
  EXPECT_EQ(ReadValue(key_ + "\\A\\B", "Value"), std::string("data\0", 5));
  const LogLists pending = native_log().Snapshot();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending.weights[0], "1536");

  ASSERT_EQ(Run("UNINSTALL"), 1);
  EXPECT_FALSE(KeyExists(key_ + "\\A"));
  EXPECT_TRUE(KeyExists(key_));
}

TEST_F(WriteRegistry, UninstallStopsAtTheFirstKeyThatStillHoldsSomething) {
  CreateKey(key_);
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key_ + "\\A\\B", "Value", "data", "STRING")), 1);
  RegSetKeyValueA(HKEY_CURRENT_USER, (key_ + "\\A").c_str(), "Other", REG_SZ, "x", 2);
  ASSERT_EQ(Run("UNINSTALL"), 1);
  EXPECT_FALSE(KeyExists(key_ + "\\A\\B"));
  EXPECT_EQ(ReadValue(key_ + "\\A", "Other"), std::string("x\0", 2));
}

TEST_F(WriteRegistry, AppendAndPrependKeepTheOldItems) {
  const std::string key = key_ + "\\M";
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key, "List", "middle", "APPEND")), 1);
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key, "List", "last", "APPEND")), 1);
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key, "List", "first", "PREPEND")), 1);
  DWORD type = 0;
  EXPECT_EQ(ReadValue(key, "List", &type), std::string("first\0middle\0last\0\0", 19));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  // A value of another type is replaced by the data alone.
  RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Plain", REG_SZ, "old", 4);
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key, "Plain", "new", "APPEND")), 1);
  EXPECT_EQ(ReadValue(key, "Plain"), std::string("new\0\0", 5));
}

TEST_F(WriteRegistry, ANonIntegerFailsWith1700AsksAndLeavesNothingLogged) {
  prompts_.answers = {PromptAnswer::kNo};
  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key_ + "\\N", "Count", "twelve", "INTEGER")), 1);
  ASSERT_EQ(prompts_.questions.size(), 1u);
  EXPECT_NE(prompts_.questions[0].find("HKEY_CURRENT_USER\\" + key_ + "\\N\\Count\\twelve"), std::string::npos);
  EXPECT_EQ(ReadValue(key_ + "\\N", "Count"), "<missing>");
  EXPECT_TRUE(native_log().empty());

  ASSERT_EQ(Run("Write Registry", RegistryRecord("1", key_ + "\\N", "Count", "12", "INTEGER")), 1);
  DWORD type = 0;
  EXPECT_EQ(ReadValue(key_ + "\\N", "Count", &type), std::string("\x0C\0\0\0", 4));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

// ---- Install Files ----

class InstallFiles : public WorkerFixture {};

TEST_F(InstallFiles, ADestinationHeldOpenIsMovedAsideAndReplacedWithoutRestart) {
  AddSource("00000001", "app.dll", "new content");
  const std::string target = dir_ + "target\\";
  CreateDirectoryA(target.c_str(), nullptr);
  WriteFile(target + "app.dll", "old content");
  variables().Set("NATIVE_OVERWRITE", "ALWAYS");
  variables().Set("NATIVE_OVERWRITE_OLDER", "TRUE");
  // Open the way a running program's image is: reading shared, deletion allowed,
  // writing refused; an exclusive open for replacement fails.
  HANDLE held = CreateFileA((target + "app.dll").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const int result = Run("Install Files", InstallFilesRecord("00000001", target));
  CloseHandle(held);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(ReadFile(target + "app.dll"), "new content");
  EXPECT_EQ(ReadFile(target + "app.dll.0"), "old content");
  EXPECT_FALSE(RestartRequired());
}

TEST_F(InstallFiles, ADestinationHeldWithoutAnySharingIsReplacedAtRestart) {
  AddSource("00000001", "app.dll", "new content");
  const std::string target = dir_ + "target\\";
  CreateDirectoryA(target.c_str(), nullptr);
  WriteFile(target + "app.dll", "old content");
  variables().Set("NATIVE_OVERWRITE", "ALWAYS");
  variables().Set("NATIVE_OVERWRITE_OLDER", "TRUE");
  HANDLE held = CreateFileA((target + "app.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const int result = Run("Install Files", InstallFilesRecord("00000001", target));
  CloseHandle(held);
  ASSERT_EQ(result, 1);
  if (Exists(target + "app.dll.0")) {
    // This system lets a file held without sharing be renamed: moved aside.
    EXPECT_EQ(ReadFile(target + "app.dll"), "new content");
    EXPECT_FALSE(RestartRequired());
  } else {
    EXPECT_EQ(ReadFile(target + "app.dll"), "old content");
    EXPECT_TRUE(RestartRequired());
    EXPECT_EQ(ReadFile(dir_ + "cache\\{REV}\\move.0"), "new content");
  }
}

TEST_F(InstallFiles, NoToAllIsAskedOnceOnTheMainThreadAndRemembered) {
  const std::string target = dir_ + "target\\";
  CreateDirectoryA(target.c_str(), nullptr);
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    WriteFile(target + name, "old");
    FILETIME old_time{0x10000000, 0x01000000};  // long before the sources were written
    HANDLE h = CreateFileA((target + name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &old_time);
    CloseHandle(h);
    AddSource("00000002", name, "new");
  }
  // The question goes through the main-thread hand-over to the dialog.
  win::SetNativePromptHostOverride(nullptr);
  static std::atomic<int> asked{0};
  static std::atomic<DWORD> asking_thread{0};
  asked = 0;
  win::SetPromptDialog([](PromptKind, const std::string&, const std::string&) {
    ++asked;
    asking_thread = GetCurrentThreadId();
    return PromptAnswer::kNoToAll;
  });
  const int result = Run("Install Files", InstallFilesRecord("00000002", target));
  win::SetPromptDialog(nullptr);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(asked.load(), 1);
  EXPECT_EQ(asking_thread.load(), GetCurrentThreadId());
  EXPECT_EQ(variables().Get("NATIVE_OVERWRITE"), "NEVER");
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) EXPECT_EQ(ReadFile(target + name), "old") << name;
}

TEST_F(InstallFiles, SharedTwiceUnsharedOnceKeepsTheCountAndTheFile) {
  AddSource("00000003", "shared.dll", "shared");
  const std::string target = dir_ + "target\\";
  const std::string file = target + "shared.dll";
  DeleteSharedCount(file);
  variables().Set("NATIVE_OVERWRITE", "ALWAYS");
  variables().Set("NATIVE_OVERWRITE_OLDER", "TRUE");
  ASSERT_EQ(Run("Install Files", InstallFilesRecord("00000003", target, true)), 1);
  ASSERT_EQ(Run("Install Files", InstallFilesRecord("00000003", target, true)), 1);
  DWORD count = 0;
  ASSERT_TRUE(SharedCount(file, count));
  EXPECT_EQ(count, 2u);

  win::WindowsFileFacts facts;
  win::WorkerContext ctx(variables(), prompts_, facts);
  win::WindowsReverseOperations ops(ctx);
  ASSERT_TRUE(ops.Reverse("Unshare File", {file}));
  ASSERT_TRUE(SharedCount(file, count));
  EXPECT_EQ(count, 1u);
  EXPECT_TRUE(Exists(file));

  ASSERT_TRUE(ops.Reverse("Unshare File", {file}));
  EXPECT_FALSE(SharedCount(file, count));
  EXPECT_FALSE(Exists(file));
}

// ---- rollback and uninstall ----

class Rollback : public WorkerFixture {
 protected:
  // Folder, files, registry, then a failing action.
  ActionSpool InstallThatFails(ActionRecord failing, const std::string& failing_name) {
    AddSource("00000004", "one.txt", "1");
    AddSource("00000004", "two.txt", "2", "sub");
    ActionSpool spool;
    auto add = [&](const std::string& name, ActionRecord record) {
      spool.Append({name, static_cast<int>(spool.size() + 1), std::move(record), "x64"}, 512);
    };
    CreateFolderFields folder;
    folder.folder = dir_ + "app\\logs\\deep";
    add("Create Folder", folder.ToRecord());
    add("Install Files", InstallFilesRecord("00000004", dir_ + "app\\bin"));
    add("Write Registry", RegistryRecord("1", key_ + "\\Product\\Settings", "Path", dir_ + "app", "STRING"));
    add(failing_name, std::move(failing));
    return spool;
  }
};

TEST_F(Rollback, AnAbortedInstallIsUndoneCompletely) {
  CreateKey(key_);
  WriteFile(dir_ + "blocker", "a file where a folder should go");
  const Snapshot before = Take();
  variables().Set("NATIVE_ERROR", "ABORT");
  AddSource("00000005", "three.txt", "3");
  ActionSpool spool = InstallThatFails(InstallFilesRecord("00000005", dir_ + "blocker\\sub"), "Install Files");
  ASSERT_EQ(RunQueued(spool), 0);
  EXPECT_TRUE(Exists(dir_ + "app\\bin\\one.txt"));
  EXPECT_EQ(variables().Get("OXLE_IsCancelled"), "TRUE");

  variables().Set("OXLE_IsCancelled", "FALSE");
  ASSERT_EQ(Run("ROLLBACK"), 1);
  const Snapshot after = Take();
  EXPECT_EQ(after, before) << "before:\n" << Describe(before) << "after:\n" << Describe(after);
}

std::atomic<int> g_steps{0};
std::atomic<win::TNativeThread*> g_running{nullptr};

TEST_F(Rollback, ACancelRequestMidwayIsUndoneCompletely) {
  CreateKey(key_);
  const Snapshot before = Take();
  CreateFolderFields last;
  last.folder = dir_ + "never";
  ActionSpool spool = InstallThatFails(last.ToRecord(), "Create Folder");

  NativeRunRequest request;
  request.name = "DELAYEDINSTALL";
  request.spool = &spool;
  win::TNativeThread worker(request);
  g_steps = 0;
  g_running = &worker;
  // Ask the worker to stop at its fifth progress step (inside Install Files).
  win::SetNativeProgressDisplay([](const std::string&, uint64_t, uint64_t) {
    if (++g_steps == 5) g_running.load()->RequestStop();
  });
  SetNativeResult(kNativeSuccess);
  worker.Start();
  while (!worker.Done()) Sleep(1);
  win::SetNativeProgressDisplay(nullptr);
  EXPECT_EQ(NativeResult(), 0);
  EXPECT_FALSE(Exists(dir_ + "never"));

  ASSERT_EQ(Run("ROLLBACK"), 1);
  const Snapshot after = Take();
  EXPECT_EQ(after, before) << "before:\n" << Describe(before) << "after:\n" << Describe(after);
}

TEST_F(Rollback, UninstallLeavesOnlyPermanentAndSharedItems) {
  CreateKey(key_);
  const Snapshot before = Take();
  AddSource("00000006", "plain.txt", "plain");
  AddSource("00000007", "keep.txt", "keep");
  AddSource("00000008", "common.dll", "common");
  const std::string bin = dir_ + "app\\bin\\";
  const std::string common = bin + "common.dll";
  SetSharedCount(common, 1);  // another product uses it already

  ActionSpool spool;
  spool.Append({"Install Files", 1, InstallFilesRecord("00000006", bin), "x64"}, 0);
  spool.Append({"Install Files", 2, InstallFilesRecord("00000007", bin, false, true), "x64"}, 0);
  spool.Append({"Install Files", 3, InstallFilesRecord("00000008", bin, true), "x64"}, 0);
  spool.Append({"Write Registry", 4, RegistryRecord("1", key_ + "\\Product", "Version", "1.0", "STRING"), "x64"}, 512);
  EditIniFileFields ini;
  ini.file = dir_ + "app\\settings.ini";
  ini.section = "Main";
  ini.key = "Mode";
  ini.value = "fast";
  ini.operation = "0";
  spool.Append({"Edit INI File", 5, ini.ToRecord(), "x64"}, 10240);
  ASSERT_EQ(RunQueued(spool), 1);
  DWORD count = 0;
  ASSERT_TRUE(SharedCount(common, count));
  EXPECT_EQ(count, 2u);
  // Apply Changes flushes the log at its end; the uninstall reads the files.
  FlushLog(DefaultLogFileSystem(), prefix_, native_log());
  ASSERT_TRUE(LogSetExists(DefaultLogFileSystem(), prefix_));

  ASSERT_EQ(Run("UNINSTALL"), 1);
  EXPECT_FALSE(Exists(bin + "plain.txt"));
  EXPECT_EQ(ReadFile(bin + "keep.txt"), "keep");
  EXPECT_EQ(ReadFile(common), "common");
  ASSERT_TRUE(SharedCount(common, count));
  EXPECT_EQ(count, 1u);
  EXPECT_FALSE(KeyExists(key_ + "\\Product"));
  // The INI file is left empty of the entry (the file itself was not logged).
  char value[64] = {};
  GetPrivateProfileStringA("Main", "Mode", "<none>", value, sizeof value, ini.file.c_str());
  EXPECT_STREQ(value, "<none>");
  DeleteSharedCount(common);

  // Remove what the test expects to remain, and the log set; then nothing is left.
  DeleteFileA((bin + "keep.txt").c_str());
  DeleteFileA(common.c_str());
  DeleteFileA(ini.file.c_str());
  RemoveLogSet(DefaultLogFileSystem(), prefix_, true);
  RemoveDirectoryA(bin.c_str());
  RemoveDirectoryA((dir_ + "app").c_str());
  RemoveDirectoryA((dir_ + "cache").c_str());
  const Snapshot after = Take();
  EXPECT_EQ(after, before) << "before:\n" << Describe(before) << "after:\n" << Describe(after);
}

// ---- other actions ----

class OtherActions : public WorkerFixture {};

TEST_F(OtherActions, CreateFolderNestedAddsNoProgressButTopLevelDoes) {
  AddSource("00000009", "f.txt", "f");
  variables().Set("NATIVE_PROGRESS", "0");
  ASSERT_EQ(Run("Install Files", InstallFilesRecord("00000009", dir_ + "x\\y")), 1);
  EXPECT_EQ(variables().Get("NATIVE_PROGRESS"), "1");  // the copied byte only
  CreateFolderFields f;
  f.folder = dir_ + "z";
  variables().Set("NATIVE_PROGRESS", "0");
  ASSERT_EQ(Run("Create Folder", f.ToRecord()), 1);
  EXPECT_EQ(variables().Get("NATIVE_PROGRESS"), "1024");
}

TEST_F(OtherActions, EditIniRemoveFromListDeletesTheKeyWithItsLastItem) {
  const std::string file = dir_ + "list.ini";
  WritePrivateProfileStringA("S", "Items", "alpha, beta", file.c_str());
  EditIniFileFields f;
  f.file = file;
  f.section = "S";
  f.key = "Items";
  f.operation = "4";
  f.value = "alpha";
  ASSERT_EQ(Run("Edit INI File", f.ToRecord()), 1);
  char value[64] = {};
  GetPrivateProfileStringA("S", "Items", "<none>", value, sizeof value, file.c_str());
  EXPECT_STREQ(value, "beta");
  f.value = "beta";
  ASSERT_EQ(Run("Edit INI File", f.ToRecord()), 1);
  GetPrivateProfileStringA("S", "Items", "<none>", value, sizeof value, file.c_str());
  EXPECT_STREQ(value, "<none>");
  EXPECT_TRUE(native_log().empty());  // operation 4 is not logged
}

TEST_F(OtherActions, CopyMoveLocalFilesKeepsSubfoldersAndLogsEachFile) {
  const std::string from = dir_ + "from\\";
  CreateDirectoryA(from.c_str(), nullptr);
  CreateDirectoryA((from + "inner").c_str(), nullptr);
  WriteFile(from + "a.log", "a");
  WriteFile(from + "inner\\b.log", "b");
  WriteFile(from + "c.txt", "c");
  CopyMoveLocalFilesFields f;
  f.source = from;
  f.mask = "*.log";
  f.target = dir_ + "to";
  f.copy = "FALSE";
  f.subfolders = "TRUE";
  ASSERT_EQ(Run("Copy/Move Local Files", f.ToRecord()), 1);
  EXPECT_EQ(ReadFile(dir_ + "to\\a.log"), "a");
  EXPECT_EQ(ReadFile(dir_ + "to\\inner\\b.log"), "b");
  EXPECT_FALSE(Exists(from + "a.log"));  // moved
  EXPECT_TRUE(Exists(from + "c.txt"));
  const LogLists log = native_log().Snapshot();
  size_t files = 0;
  for (const std::string& e : log.elements) files += e == "Delete File";
  EXPECT_EQ(files, 2u);
}

}  // namespace
}  // namespace qel::native::testing
