// "Run Program" (TRunApp) and "Run Program As" (TRunAs): the program runs on a
// worker thread while the main thread waits in the worker wait loop.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "commands/actions/action_hooks.h"
#include "commands/actions/action_values.h"
#include "commands/actions/win/action_commands.h"
#include "commands/actions/win/thread_worker.h"
#include "commands/actions/win/user_token.h"
#include "commands/bitness.h"
#include "engine/variables.h"

namespace qel::commands::actions {

namespace {

// Waits for a started process unless told not to, and reads its exit code.
int32_t FinishProcess(HANDLE process, bool wait, ThreadWorker& worker) {
  if (wait) WaitPumping(process, 1000, [&] { return worker.StopRequested(); });
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) code = static_cast<DWORD>(kExitNotStarted);
  return static_cast<int32_t>(code);
}

struct RunAppFields {
  std::string program;
  std::string arguments;
  bool no_wait = false;
  bool show = false;
  int32_t exit_code = 0;
};

void RunAppBody(RunAppFields& f, ThreadWorker& worker) {
  void* redirection = RedirectionState::ForcedDisable();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::string folder = FolderWithBackslash(f.program);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = f.program.c_str();
  info.lpParameters = f.arguments.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = f.show ? SW_SHOW : SW_HIDE;
  BOOL started = ShellExecuteExA(&info);
  if (!started) {
    info.lpVerb = nullptr;
    info.hProcess = nullptr;
    started = ShellExecuteExA(&info);
  }
  if (!started) {
    f.exit_code = kExitNotStarted;
  } else if (!info.hProcess) {
    // Handed to a running program (a document opened by DDE): nothing to wait for.
    f.exit_code = 0;
  } else {
    f.exit_code = FinishProcess(info.hProcess, !f.no_wait, worker);
    CloseHandle(info.hProcess);
  }
  CoUninitialize();
  RedirectionState::ForcedRevert(redirection);
}

void RefreshFromScript(TVariableManager& vars) {
  const auto& refresh = action_hooks().refresh_progress;
  if (!refresh) return;
  refresh(vars.ReadVariable("PROGRESSTEXT"), std::strtoll(vars.ReadVariable("PROGRESS").c_str(), nullptr, 10));
}

struct RunAsFields {
  std::string program;
  std::string arguments;
  int show_mode = 0;
  std::string user;
  std::string password;
  std::string domain;
  bool wait = false;
  std::string environment;
  int32_t exit_code = 0;
};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

using CreateWithLogonFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                        LPSTARTUPINFOW, LPPROCESS_INFORMATION);

void RunAsBody(RunAsFields& f, ThreadWorker& worker) {
  void* redirection = RedirectionState::ForcedDisable();
  const std::string command_line = RunAsCommandLine(f.program, f.arguments);
  const std::string environment = EnvironmentBlock(f.environment);
  void* env = environment.empty() ? nullptr : const_cast<char*>(environment.data());
  // The wide-character start functions get the block in UTF-16.
  std::wstring wide_environment = Wide(environment);
  void* wide_env = environment.empty() ? nullptr : wide_environment.data();
  const DWORD wide_flags = CREATE_NEW_CONSOLE | (environment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT);
  const WORD show = static_cast<WORD>(ShowCommandForMode(f.show_mode));
  PROCESS_INFORMATION pi{};
  bool started = false;
  f.exit_code = 0;

  DesktopUserStart desktop;
  const bool desktop_user = f.user == kDesktopUser;
  if (desktop_user && desktop.Applicable()) {
    std::wstring line = Wide(command_line);
    f.exit_code = desktop.Start(line, wide_env, wide_flags, show, pi, started);
  } else if (!f.user.empty() && !desktop_user) {
    auto logon = reinterpret_cast<CreateWithLogonFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryA("advapi32.dll"), "CreateProcessWithLogonW")));
    if (!logon) {
      f.exit_code = kExitNotStarted;
    } else {
      STARTUPINFOW si{};
      si.cb = sizeof si;
      si.dwFlags = STARTF_USESHOWWINDOW;
      si.wShowWindow = show;
      std::wstring line = Wide(command_line);
      const std::wstring user = Wide(f.user), domain = Wide(f.domain), password = Wide(f.password);
      started = logon(user.c_str(), domain.c_str(), password.c_str(), LOGON_WITH_PROFILE, nullptr, line.data(),
                      wide_flags, wide_env, nullptr, &si, &pi);
      if (!started) f.exit_code = kExitCreateProcess;
    }
  } else {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, env, nullptr, &si, &pi);
    if (!started) f.exit_code = kExitCreateProcess;
  }
  if (started) {
    f.exit_code = FinishProcess(pi.hProcess, f.wait, worker);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  RedirectionState::ForcedRevert(redirection);
}

}  // namespace

void RunProgramCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  RedirectionBracket bracket;
  RunAppFields fields;
  fields.program = p.path(1);
  fields.no_wait = p.flag(2);
  fields.arguments = p.path(3);
  fields.show = p.flag(4);
  {
    CurrentFolderScope folder;
    const std::string program_folder = FolderWithBackslash(fields.program);
    if (!program_folder.empty()) SetCurrentDirectoryA(program_folder.c_str());
    ThreadWorker worker([&fields](ThreadWorker& w) { RunAppBody(fields, w); });
    TVariableManager& vars = p.vars();
    bool ended = false;
    ActionFrame inner{p, frame.silent, [&ended] { ended = true; }};
    const WaitOutcome outcome = RunWorkerCommand(worker, WatchdogRule::kKillAtFirstExpiry, inner, kCancelRunProgram,
                                                 [&vars] { RefreshFromScript(vars); });
    if (outcome.cancelled) fields.exit_code = kExitCancelled;
    if (ended && frame.end_script) frame.end_script();
  }
  const std::string variable = p.plain_name(5);
  if (!variable.empty()) p.assign(variable, std::to_string(fields.exit_code));
}

void RunProgramAsCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  RedirectionBracket bracket;
  RunAsFields fields;
  fields.program = p.path(1);
  const std::string working_folder = p.path(2);
  fields.arguments = p.path(3);
  fields.show_mode = p.number(4);
  fields.user = p.path(5);
  fields.password = p.path(6);
  fields.domain = p.path(7);
  fields.wait = p.flag(9);
  fields.environment = p.path(10);
  {
    CurrentFolderScope folder;
    if (!working_folder.empty()) SetCurrentDirectoryA(working_folder.c_str());
    ThreadWorker worker([&fields](ThreadWorker& w) { RunAsBody(fields, w); });
    bool ended = false;
    ActionFrame inner{p, frame.silent, [&ended] { ended = true; }};
    const WaitOutcome outcome = RunWorkerCommand(worker, WatchdogRule::kKillAtFirstExpiry, inner, kCancelRunAs);
    if (outcome.cancelled) fields.exit_code = kExitCancelled;
    if (ended && frame.end_script) frame.end_script();
  }
  const std::string variable = p.plain_name(8);
  if (!variable.empty()) p.assign(variable, std::to_string(fields.exit_code));
}

}  // namespace qel::commands::actions
