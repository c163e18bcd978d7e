#include "tests/native_engine/worker_fixture.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "commands/bitness.h"
#include "engine/variables.h"
#include "native/engine/win/native_thread.h"
#include "native/log/log_set.h"
#include "native/log/native_log.h"
#include "native/spooler/native_run_state.h"

namespace qel::native::testing {

std::string WorkerFixture_ReadFile(const std::string& path);

namespace {

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + "\\");
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

void ListTree(const std::string& folder, const std::string& skip, Snapshot& s) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (path + "\\" == skip) continue;
      s.folders.push_back(path);
      ListTree(path + "\\", skip, s);
    } else {
      s.files[path] = WorkerFixture_ReadFile(path);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

void ListKey(HKEY root, const std::string& key, Snapshot& s) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
  s.keys.push_back(key);
  for (DWORD i = 0;; ++i) {
    char name[512];
    BYTE data[4096];
    DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
    if (RegEnumValueA(h, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
    s.values[key + "\\" + name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), data_size);
  }
  std::vector<std::string> subkeys;
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.push_back(name);
  }
  RegCloseKey(h);
  for (const std::string& sub : subkeys) ListKey(root, key + "\\" + sub, s);
}

}  // namespace

PromptAnswer ScriptedPrompts::Ask(PromptKind, const std::string&, const std::string& text) {
  questions.push_back(text);
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return PromptAnswer::kCancel;
  }
  PromptAnswer a = answers.front();
  answers.pop_front();
  return a;
}

std::string Describe(const Snapshot& s) {
  std::ostringstream out;
  for (const auto& f : s.folders) out << "folder " << f << "\n";
  for (const auto& [p, c] : s.files) out << "file " << p << " (" << c.size() << " bytes)\n";
  for (const auto& k : s.keys) out << "key " << k << "\n";
  for (const auto& [n, v] : s.values) out << "value " << n << "\n";
  return out.str();
}

void WorkerFixture::SetUp() {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  dir_ = "C:\\qel-native-tests\\" + test + "\\";
  key_ = "Software\\QelNativeTests\\" + test;
  RemoveTree(dir_);
  RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
  CreateDirectoryA("C:\\qel-native-tests", nullptr);
  CreateDirectoryA(dir_.c_str(), nullptr);
  data_dir_ = dir_ + "data\\";
  CreateDirectoryA(data_dir_.c_str(), nullptr);
  prefix_ = dir_ + "cache\\{REV}\\{PRODUCT}";
  SetDefaultLogPrefixProvider([p = prefix_] { return p; });
  source_ = {data_dir_, &table_};
  win::SetFileSourceOverride(&source_);
  win::SetNativePromptHostOverride(&prompts_);
  native_log().Clear();
  commands::SetBitnessMode(commands::kModeX64);
  SetRestartRequired(false);
  SetLastNativeError("");
  TVariableManager& v = variables();
  v.Define("NATIVE_LOGGING", "");
  v.Define("NATIVE_ERROR", "PROMPT");
  v.Define("NATIVE_OVERWRITE", "PROMPT");
  v.Define("NATIVE_OVERWRITE_OLDER", "FALSE");
  v.Define("NATIVE_PROGRESS", "0");
  v.Define("OXLE_IsCancelled", "FALSE");
  v.Define("ALLUSERS", "FALSE");
}

void WorkerFixture::TearDown() {
  win::SetFileSourceOverride(nullptr);
  win::SetNativePromptHostOverride(nullptr);
  SetDefaultLogPrefixProvider({});
  native_log().Clear();
  RemoveTree(dir_);
  RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
}

void WorkerFixture::AddSource(const std::string& header, const std::string& relative, const std::string& content,
                              const std::string& subfolder) {
  bool found = false;
  for (size_t i = 0; i + 1 < table_.size(); i += 2)
    if (table_[i] == header && table_[i + 1] == "NEWHEADER") found = true;
  if (!found) {
    table_.push_back(header);
    table_.push_back("NEWHEADER");
  }
  // Appends to the last group only, which is how the tests build their tables.
  table_.push_back(relative);
  table_.push_back(subfolder);
  WriteFile(data_dir_ + relative, content);
}

void WorkerFixture::WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string WorkerFixture_ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string WorkerFixture::ReadFile(const std::string& path) { return WorkerFixture_ReadFile(path); }

bool WorkerFixture::Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int WorkerFixture::Run(const std::string& name, const ActionRecord& record, const ActionSpool* spool) {
  NativeRunRequest request;
  request.name = name;
  request.record = record;
  request.spool = spool;
  SetNativeResult(kNativeSuccess);
  SetNativeThreadFinished(false);
  win::TNativeThread worker(request);
  worker.Start();
  while (!worker.Done()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  EXPECT_TRUE(NativeThreadFinished());
  return NativeResult();
}

ActionRecord WorkerFixture::InstallFilesRecord(const std::string& header, const std::string& folder, bool shared,
                                               bool permanent, bool required) const {
  InstallFilesFields f;
  f.header = header;
  f.folder = folder;
  f.read_only = f.hidden = f.system = f.self_register = f.only_if_absent = "FALSE";
  f.required = required ? "TRUE" : "FALSE";
  f.shared = shared ? "TRUE" : "FALSE";
  f.permanent = permanent ? "TRUE" : "FALSE";
  return f.ToRecord();
}

ActionRecord WorkerFixture::RegistryRecord(const std::string& root, const std::string& key, const std::string& name,
                                           const std::string& data, const std::string& kind) {
  WriteRegistryFields f;
  f.keep = "FALSE";
  f.root = root;
  f.key = key;
  f.value_name = name;
  f.data = data;
  f.kind = kind;
  return f.ToRecord();
}

Snapshot WorkerFixture::Take() const {
  Snapshot s;
  ListTree(dir_, data_dir_, s);
  ListKey(HKEY_CURRENT_USER, key_, s);
  return s;
}

}  // namespace qel::native::testing
