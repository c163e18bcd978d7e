// "Terminate Process" and "Terminate Program".
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "commands/actions/win/action_commands.h"
#include "commands/actions/win/user_token.h"

namespace qel::commands::actions {

namespace {

bool EqualAsciiNoCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return a[i] == '\0' && i == b.size();
}

// The id of the first running process with that executable file name; 0 when none.
DWORD FindProcess(const std::string& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (EqualAsciiNoCase(entry.szExeFile, name)) {
      found = entry.th32ProcessID;
      break;
    }
  }
  CloseHandle(snapshot);
  return found;
}

// Makes the process call ExitProcess through a thread of its own.
void EndThroughRemoteThread(DWORD pid) {
  EnablePrivilege("SeDebugPrivilege");
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return;
  HANDLE full = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &full, PROCESS_ALL_ACCESS, FALSE, 0)) {
    DWORD code = 0;
    if (GetExitCodeProcess(full, &code)) {
      auto exit_process = reinterpret_cast<LPTHREAD_START_ROUTINE>(
          reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ExitProcess")));
      HANDLE thread = exit_process ? CreateRemoteThread(full, nullptr, 0, exit_process, nullptr, 0, nullptr) : nullptr;
      if (thread) {
        WaitForSingleObject(full, 3141);
        CloseHandle(thread);
      }
    }
    CloseHandle(full);
  }
  CloseHandle(process);
}

bool Contains(const char* text, const std::string& part) {
  return part.empty() || std::string(text).find(part) != std::string::npos;
}

}  // namespace

void TerminateProcessCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  const std::string variable = p.plain_name(2);
  p.declare(variable);
  const std::string name = p.text(1);
  bool ended = true;
  if (const DWORD pid = FindProcess(name)) {
    EndThroughRemoteThread(pid);
    ended = FindProcess(name) == 0;
  }
  if (!variable.empty()) p.assign(variable, ended ? "TRUE" : "FALSE");
}

void TerminateProgramCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  const std::string title = p.path(1);
  const std::string window_class = p.path(2);
  if (title.empty() && window_class.empty()) return;
  for (int pass = 0; pass < 10; ++pass) {
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
      char class_name[256] = {}, text[512] = {};
      GetClassNameA(w, class_name, sizeof class_name);
      GetWindowTextA(w, text, sizeof text);
      if (Contains(class_name, window_class) && Contains(text, title)) {
        PostMessageA(w, WM_CANCELMODE, 0, 0);
        PostMessageA(w, WM_CLOSE, 0, 0);
        break;
      }
    }
  }
}

}  // namespace qel::commands::actions
