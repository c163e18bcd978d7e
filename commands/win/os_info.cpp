#include "commands/win/os_info.h"

#include <windows.h>

#include <vector>

#include "commands/platform_hooks.h"

namespace qel::commands {

OsInfo CurrentOsInfo() {
  OsInfo os;
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    info = OSVERSIONINFOEXA{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
  }
  os.nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  os.major = info.dwMajorVersion;
  os.minor = info.dwMinorVersion;
  if (!os.nt && os.major == 4 && os.minor == 10 && info.dwBuildNumber > 0x040A08AD) os.minor = 11;
  os.service_pack = ServicePackFromText(info.szCSDVersion);
  os.server = os.nt && info.wProductType != 0 && info.wProductType != VER_NT_WORKSTATION;
  return os;
}

bool VersionAtLeast(const OsInfo& os, unsigned major, unsigned minor) {
  return os.major > major || (os.major == major && os.minor >= minor);
}

unsigned ServicePackFromText(const std::string& text) {
  for (unsigned n = 10; n >= 1; --n)
    if (text.find(std::to_string(n)) != std::string::npos) return n;
  return 0;
}

bool UserInBuiltinGroup(unsigned rid) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info) && info.dwPlatformId != VER_PLATFORM_WIN32_NT) return rid == DOMAIN_ALIAS_RID_ADMINS;

  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return false;
  std::vector<BYTE> buffer(102400);
  DWORD size = 0;
  const bool got = GetTokenInformation(token, TokenGroups, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
  CloseHandle(token);
  if (!got) return false;

  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID group = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &group))
    return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  bool member = false;
  for (DWORD i = 0; i < groups->GroupCount && !member; ++i) member = EqualSid(groups->Groups[i].Sid, group);
  FreeSid(group);
  return member;
}

VersionQuad FileVersionQuad(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return {0, 0, 0, 0};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return {0, 0, 0, 0};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {0, 0, 0, 0};
  return VersionFromFixedInfo(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

std::string SystemFolder() {
  char buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

bool RunsUnderWow64() { return PlatformHooks().is_wow64(); }

}  // namespace qel::commands
