#include "commands/actions/win/user_token.h"

#include <vector>

#include "commands/actions/action_values.h"

namespace qel::commands::actions {

namespace {

using DuplicateTokenExFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL,
                                         TOKEN_TYPE, PHANDLE);
using CreateWithTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                        LPPROCESS_INFORMATION);

template <typename Fn>
Fn Advapi(const char* name) {
  HMODULE module = LoadLibraryA("advapi32.dll");
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

constexpr const char* kRemovedPrivileges[] = {
    "SeCreateGlobalPrivilege",        "SeBackupPrivilege",          "SeCreatePagefilePrivilege",
    "SeCreateSymbolicLinkPrivilege",  "SeDebugPrivilege",           "SeImpersonatePrivilege",
    "SeIncreaseBasePriorityPrivilege", "SeIncreaseQuotaPrivilege",  "SeLoadDriverPrivilege",
    "SeManageVolumePrivilege",        "SeProfileSingleProcessPrivilege", "SeRemoteShutdownPrivilege",
    "SeRestorePrivilege",             "SeSecurityPrivilege",        "SeSystemEnvironmentPrivilege",
    "SeSystemProfilePrivilege",       "SeSystemtimePrivilege",      "SeTakeOwnershipPrivilege",
};

bool RemovePrivileges(HANDLE token) {
  std::vector<BYTE> buffer(sizeof(TOKEN_PRIVILEGES) + sizeof(LUID_AND_ATTRIBUTES) * std::size(kRemovedPrivileges));
  auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
  DWORD count = 0;
  for (const char* name : kRemovedPrivileges) {
    LUID luid;
    if (!LookupPrivilegeValueA(nullptr, name, &luid)) continue;
    privileges->Privileges[count].Luid = luid;
    privileges->Privileges[count].Attributes = SE_PRIVILEGE_REMOVED;
    ++count;
  }
  privileges->PrivilegeCount = count;
  if (!AdjustTokenPrivileges(token, FALSE, privileges, 0, nullptr, nullptr)) return false;
  // ERROR_NOT_ALL_ASSIGNED only says that the token lacked some of them.
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS || error == ERROR_NOT_ALL_ASSIGNED;
}

DWORD ProcessIntegrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return 0;
  const DWORD level = IntegrityLevelOf(token);
  CloseHandle(token);
  return level;
}

class Handle {
 public:
  ~Handle() {
    if (h) CloseHandle(h);
  }
  HANDLE h = nullptr;
};

}  // namespace

DWORD IntegrityLevelOf(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, ::TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return 0;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, ::TokenIntegrityLevel, buffer.data(), size, &size)) return 0;
  PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  if (!sid || !IsValidSid(sid)) return 0;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  return count ? *GetSidSubAuthority(sid, count - 1) : 0;
}

bool EnablePrivilege(const char* name) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  bool ok = LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid);
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ok = ok && AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) && GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return ok;
}

bool DesktopUserStart::Applicable() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version) || version.dwMajorVersion < 6) return false;
#pragma GCC diagnostic pop
  HWND shell = FindWindowA("Progman", nullptr);
  if (!shell) return false;
  GetWindowThreadProcessId(shell, &shell_pid_);
  if (!shell_pid_) return false;
  Handle shell_process;
  shell_process.h = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shell_pid_);
  if (!shell_process.h) shell_process.h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shell_pid_);
  if (!shell_process.h) return false;
  return ProcessIntegrityLevel(GetCurrentProcess()) == 0x3000 && ProcessIntegrityLevel(shell_process.h) == 0x2000 &&
         EnablePrivilege("SeDebugPrivilege");
}

int32_t DesktopUserStart::Start(std::wstring& command_line, void* environment, DWORD creation_flags, WORD show, PROCESS_INFORMATION& pi,
                                bool& started) {
  started = false;
  Handle process, token, primary;
  process.h = OpenProcess(PROCESS_ALL_ACCESS, FALSE, shell_pid_);
  if (!process.h) return kExitOpenShell;
  if (!OpenProcessToken(process.h, TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &token.h))
    return kExitOpenShellToken;
  auto duplicate = Advapi<DuplicateTokenExFn>("DuplicateTokenEx");
  if (!duplicate || !duplicate(token.h, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary.h))
    return kExitDuplicateToken;
  if (!RemovePrivileges(primary.h)) return kExitRemovePrivileges;
  auto create = Advapi<CreateWithTokenFn>("CreateProcessWithTokenW");
  if (!create) return 0;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = show;
  if (!create(primary.h, 0, nullptr, command_line.data(), creation_flags, environment, nullptr, &si, &pi))
    return kExitCreateProcess;
  started = true;
  return 0;
}

}  // namespace qel::commands::actions
