// Benchmark: the native worker's Install Files against a plain CopyFileExA loop
// over the same tree (default 5,000 files, about 150 MB) on the same system.
// Usage: native_copy_bench [files] [megabytes] [root]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/bitness.h"
#include "engine/variables.h"
#include "native/engine/win/file_actions.h"
#include "native/engine/win/native_thread.h"
#include "native/log/log_set.h"
#include "native/log/native_log.h"
#include "native/model/action_record.h"
#include "native/spooler/native_run_state.h"

using namespace qel;
using namespace qel::native;

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(frequency.QuadPart);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(folder + name + "\\");
      else DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

struct Tree {
  std::vector<std::string> table;  // file table: header group
  std::vector<std::pair<std::string, std::string>> files;  // relative source, subfolder
  uint64_t bytes = 0;
};

Tree MakeTree(const std::string& data, int count, uint64_t total) {
  Tree tree;
  tree.table = {"0000BE0C", "NEWHEADER"};
  CreateDirectoryA(data.c_str(), nullptr);
  std::vector<char> buffer(1 << 20);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<char>((i * 2654435761u) >> 13);
  const uint64_t average = total / count;
  for (int i = 0; i < count; ++i) {
    std::string sub = "d";
    sub += std::to_string(i % 50);
    const std::string folder = data + sub + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    // Sizes from 1/8 to about 2x the average, most small, as setups tend to be.
    uint64_t size = average / 8 + (uint64_t(i) * 7919 % 16) * average / 8;
    if (size > buffer.size()) size = buffer.size();
    std::string name = "f";
    name += std::to_string(i);
    name += ".bin";
    HANDLE h = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, buffer.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(h);
    tree.bytes += size;
    tree.files.emplace_back(sub + "\\" + name, sub);
    tree.table.push_back(sub + "\\" + name);
    tree.table.push_back(sub);
  }
  return tree;
}

double PlainLoop(const Tree& tree, const std::string& data, const std::string& target) {
  const double start = Now();
  CreateDirectoryA(target.c_str(), nullptr);
  for (const auto& [relative, sub] : tree.files) {
    const std::string folder = target + sub + "\\";
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(folder.c_str(), nullptr);
    const std::string name = relative.substr(relative.find('\\') + 1);
    CopyFileExA((data + relative).c_str(), (folder + name).c_str(), nullptr, nullptr, nullptr, 0);
  }
  return Now() - start;
}

double NativeRun(const std::string& target) {
  InstallFilesFields f;
  f.header = "0000BE0C";
  f.folder = target;
  f.read_only = f.hidden = f.system = f.required = f.self_register = f.shared = f.permanent = f.only_if_absent =
      "FALSE";
  NativeRunRequest request;
  request.name = "Install Files";
  request.record = f.ToRecord();
  const double start = Now();
  win::TNativeThread worker(request);
  worker.Start();
  // Block like a silent setup's wait, so that the waiting thread takes no CPU.
  while (!worker.Done()) WaitForSingleObject(worker.handle(), 100);
  FlushLog(DefaultLogFileSystem(), DefaultLogPrefix(), native_log());
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 5000;
  const uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 150;
  const std::string root = argc > 3 ? argv[3] : "C:\\qel-bench\\";
  RemoveTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  const std::string data = root + "data\\";
  std::printf("building %d files, %llu MB...\n", count, static_cast<unsigned long long>(megabytes));
  const Tree tree = MakeTree(data, count, megabytes << 20);

  win::FileSource source{data, &tree.table};
  win::SetFileSourceOverride(&source);
  SetDefaultLogPrefixProvider([root] { return root + "cache\\{BENCH}"; });
  commands::SetBitnessMode(commands::kModeX64);
  variables().Define("NATIVE_LOGGING", "");
  variables().Define("NATIVE_OVERWRITE", "ALWAYS");
  variables().Define("NATIVE_ERROR", "IGNORE");
  variables().Define("NATIVE_PROGRESS", "0");

  double best_plain = 1e30, best_native = 1e30;
  for (int round = 0; round < 3; ++round) {
    RemoveTree(root + "plain\\");
    RemoveTree(root + "native\\");
    RemoveTree(root + "cache\\");
    native_log().Clear();
    const double p = PlainLoop(tree, data, root + "plain\\");
    const double n = NativeRun(root + "native\\");
    std::printf("round %d: plain %.3f s, native %.3f s, ratio %.3f\n", round + 1, p, n, n / p);
    best_plain = std::min(best_plain, p);
    best_native = std::min(best_native, n);
  }
  std::printf("files %zu, bytes %llu\n", tree.files.size(), static_cast<unsigned long long>(tree.bytes));
  std::printf("best plain %.3f s, best native %.3f s, ratio %.3f (target <= 1.25)\n", best_plain, best_native,
              best_native / best_plain);
  win::SetFileSourceOverride(nullptr);
  RemoveTree(root);
  return 0;
}
