// Runs small scripts through the real executor with the action commands and
// the plug-in runner installed, for the Wine tests of this folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/win/windows_platform.h"
#include "engine/executor.h"
#include "engine/process_state.h"
#include "engine/tests/script_builder.h"
#include "engine/variables.h"

namespace qel::actions_testing {

using qel::testing::Stmt;

class ReportingHost : public ExecutorHost {
 public:
  uint64_t tick_count() override { return GetTickCount64(); }
  void report_exception(Executor&, size_t index, const std::string& text) override {
    reports.push_back(text);
    report_index = index;
  }
  std::vector<std::string> reports;
  size_t report_index = 0;
};

struct ScriptRun {
  RunEnd end = RunEnd::Finished;
  std::vector<std::string> reports;
  size_t statements_run = 0;
};

inline void InstallCommandsOnce() {
  static const bool installed = [] {
    commands::InstallWindowsPlatform();
    commands::AddAllCommandHandlers();
    return true;
  }();
  (void)installed;
}

// Runs the statements; payload_setup may adjust the payload the runner sees
// (build mode, media block entries) before the run.
template <typename PayloadSetup>
ScriptRun RunScript(TVariableManager& vars, const std::vector<Stmt>& statements, std::vector<std::string> plugins,
                    PayloadSetup payload_setup) {
  InstallCommandsOnce();
  qel::testing::TestScript script(statements, std::move(plugins));
  process_state().payload = script.payload();
  payload_setup(process_state().payload);
  ReportingHost host;
  Executor executor(script.lists(), vars, host);
  executor.set_payload(&script.payload());
  executor.prepare();
  ScriptRun run;
  run.end = executor.run();
  run.reports = host.reports;
  run.statements_run = executor.statements_run();
  return run;
}

inline ScriptRun RunScript(TVariableManager& vars, const std::vector<Stmt>& statements,
                           std::vector<std::string> plugins = {}) {
  return RunScript(vars, statements, std::move(plugins), [](Payload&) {});
}

// A Linux path of the build tree as Wine sees it.
inline std::string WindowsPath(std::string linux_path) {
  for (char& c : linux_path)
    if (c == '/') c = '\\';
  return "Z:" + linux_path;
}

inline std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

inline std::string ScratchFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

inline void WriteFile(const std::string& path, const std::string& content = "x") {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace qel::actions_testing
