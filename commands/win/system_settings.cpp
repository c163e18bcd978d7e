// "Get System Settings": 86 numbered questions about the machine.
#include <windows.h>

#include "commands/win/proc_address.h"

#include <array>

#include "commands/bitness.h"
#include "commands/parameter_kinds.h"
#include "commands/win/os_info.h"
#include "commands/win/registry_values.h"
#include "commands/win/system_queries.h"
#include "commands/win/vm_probes.h"
#include "engine/variables.h"

namespace qel::commands {

namespace {

std::string Bool(bool flag) { return flag ? "TRUE" : "FALSE"; }

bool MemoryAtLeast(unsigned mib) {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return static_cast<unsigned long long>(status.dwTotalPhys) >= (static_cast<unsigned long long>(mib) - 2) * 1048576ull;
}

bool ScreenAtLeast(int w, int h) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  return (width >= w && height >= h) || (height >= w && width >= h);
}

bool ColourDepthAtLeast(int bits) {
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!dc) return false;
  const int depth = GetDeviceCaps(dc, BITSPIXEL);
  DeleteDC(dc);
  return depth >= bits;
}

WORD SystemLanguageId() {
  const std::string path = SystemFolder() + "\\winver.exe";
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return 0;
  std::string data(size, '\0');
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return 0;
  DWORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(DWORD))
    return 0;
  return LOWORD(*translation);
}

std::string LanguageName(WORD id) {
  char name[256] = {};
  const DWORD length = VerLanguageNameA(id, name, sizeof name);
  return std::string(name, length < sizeof name ? length : 0);
}

std::string RegisteredInfo(const char* value) {
  const OsInfo os = CurrentOsInfo();
  const char* key = os.nt ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                          : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  std::string text;
  ReadRegistryString(HKEY_LOCAL_MACHINE, key, value, CurrentRegistryViewFlag(), text);
  return text;
}

bool ShdocvwAtLeast(int index) {
  static constexpr std::array<VersionQuad, 16> kVersions = {{
      {6, 0, 2800, 1106}, {6, 0, 2600, 0},    {5, 5, 4807, 2300}, {5, 5, 4522, 1800},
      {5, 5, 4134, 100},  {5, 0, 3502, 5400}, {5, 0, 3314, 2100}, {5, 0, 2919, 6307},
      {5, 0, 2014, 213},  {4, 72, 3612, 1707}, {4, 72, 3110, 3},  {4, 72, 2106, 7},
      {4, 71, 1712, 5},   {4, 70, 1300, 0},   {4, 70, 1215, 0},   {4, 70, 1155, 0},
  }};
  const VersionQuad version = FileVersionQuad(SystemFolder() + "\\shdocvw.dll");
  return CompareVersions(version, kVersions[index]) >= 0;
}

bool WebServerAtLeast(int major, int minor) {
  long long found_major = 0, found_minor = 0;
  const char* key = "SOFTWARE\\Microsoft\\INetStp";
  if (!ReadRegistryInteger(HKEY_LOCAL_MACHINE, key, "MajorVersion", 0, found_major)) return false;
  if (!ReadRegistryInteger(HKEY_LOCAL_MACHINE, key, "MinorVersion", 0, found_minor)) return false;
  return found_major * 10 + found_minor >= major * 10 + minor;
}

bool BrowserAtLeast(const VersionQuad& wanted) {
  std::string text;
  ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer", "Version", 0, text);
  VersionQuad version{0, 0, 0, 0};
  try {
    version = ParseVersionText(text);
  } catch (const ConversionError&) {
    // A malformed registry value must not end the script: it counts as no browser.
  }
  return CompareVersions(version, wanted) >= 0;
}

// Account name (want_domain false) or domain of the process token's user.
std::string TokenAccount(bool want_domain) {
  if (!CurrentOsInfo().nt) {
    if (want_domain) return {};
    char name[257] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::string buffer(4096, '\0');
  DWORD size = 0;
  const bool got = GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
  CloseHandle(token);
  if (!got) return {};
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  char name[256] = {}, domain[256] = {};
  DWORD name_size = sizeof name, domain_size = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountSidA(nullptr, user->User.Sid, name, &name_size, domain, &domain_size, &use)) return {};
  return want_domain ? std::string(domain) : std::string(name);
}

std::string ComputerName() {
  char name[16] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string GroupLevel() {
  if (UserInBuiltinGroup(DOMAIN_ALIAS_RID_ADMINS)) return "ADMIN";
  if (UserInBuiltinGroup(DOMAIN_ALIAS_RID_POWER_USERS)) return "POWER";
  if (UserInBuiltinGroup(DOMAIN_ALIAS_RID_USERS)) return "USER";
  if (UserInBuiltinGroup(DOMAIN_ALIAS_RID_GUESTS)) return "GUEST";
  return "ERROR";
}

std::string ScreenDpi() {
  HDC dc = GetDC(nullptr);
  if (!dc) return "-1";
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return std::to_string(dpi);
}

std::string ProcessorArchitecture() {
  using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  auto native = ProcAddress<NativeInfoFn>("kernel32.dll", "GetNativeSystemInfo");
  if (!native) return "X86";
  SYSTEM_INFO info{};
  native(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return "X86";
    case PROCESSOR_ARCHITECTURE_IA64: return "IA64";
    case PROCESSOR_ARCHITECTURE_AMD64: return "AMD64";
    default: return "UNKNOWN";
  }
}

bool TokenElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool got = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  CloseHandle(token);
  return got && elevation.TokenIsElevated != 0;
}

std::string TotalMemoryMiB() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return "0";
  return std::to_string((status.ullTotalPhys + 524288) / 1048576);
}

}  // namespace

std::string SystemSetting(int number) {
  static constexpr unsigned kMemory[] = {32, 64, 128, 256, 512, 1024, 2048};
  static constexpr int kScreens[][2] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}};
  static constexpr int kDepths[] = {8, 16, 24, 32};
  static constexpr unsigned kWindows[][2] = {{4, 0}, {4, 10}, {4, 11}, {4, 90}, {4, 0}, {5, 0}, {5, 1}, {5, 2}};
  static constexpr int kWebServer[][2] = {{6, 0}, {5, 1}, {5, 0}, {4, 0}, {3, 0}, {2, 0}};

  if (number == 0) return Bool(UserInBuiltinGroup(DOMAIN_ALIAS_RID_ADMINS));
  if (number >= 1 && number <= 7) return Bool(MemoryAtLeast(kMemory[number - 1]));
  if (number >= 8 && number <= 12) return Bool(ScreenAtLeast(kScreens[number - 8][0], kScreens[number - 8][1]));
  if (number >= 13 && number <= 16) return Bool(ColourDepthAtLeast(kDepths[number - 13]));
  if (number >= 19 && number <= 26) {
    return Bool(VersionAtLeast(CurrentOsInfo(), kWindows[number - 19][0], kWindows[number - 19][1]));
  }
  if (number >= 27 && number <= 32) return Bool(CurrentOsInfo().service_pack >= static_cast<unsigned>(number - 26));
  if (number >= 37 && number <= 52) return Bool(ShdocvwAtLeast(number - 37));
  if (number >= 53 && number <= 58) return Bool(WebServerAtLeast(kWebServer[number - 53][0], kWebServer[number - 53][1]));

  const OsInfo os = CurrentOsInfo();
  switch (number) {
    case 17: return Bool(!os.nt);
    case 18: return Bool(os.nt);
    case 33: return std::to_string(SystemLanguageId());
    case 34: return LanguageName(SystemLanguageId());
    case 35: return RegisteredInfo("RegisteredOwner");
    case 36: return RegisteredInfo("RegisteredOrganization");
    case 59: return {};  // the web server's anonymous user is answered by the web server commands
    case 60: return TokenAccount(false);
    case 61: return ComputerName();
    case 62: return TokenAccount(true);
    case 63: return GroupLevel();
    case 64: return ScreenDpi();
    case 65: return Bool(RunsUnderWow64());
    case 66: return Bool(GetSystemMetrics(SM_TABLETPC) != 0);
    case 67: return Bool(GetSystemMetrics(SM_MEDIACENTER) != 0);
    case 68: return Bool(os.server);
    case 69: return Bool(VersionAtLeast(os, 6, 0));
    case 70: return Bool(RunningInsideVmware());
    case 71: return Bool(RunningInsideVirtualPc());
    case 72: return Bool(BrowserAtLeast({7, 0, 5730, 11}));
    case 73: return Bool(WebServerAtLeast(7, 0));
    case 74: return Bool(!RunningInsideVmware() && !RunningInsideVirtualPc());
    case 75: return ProcessorArchitecture();
    case 76: return Bool(os.server && (VersionAtLeast(os, 6, 1) || (os.major == 6 && os.minor == 0 && os.service_pack >= 1)));
    case 77: return Bool(TokenElevated());
    case 78: return Bool(BrowserAtLeast({8, 0, 6001, 18702}));
    case 79: return Bool(VersionAtLeast(os, 6, 1));
    case 80: return Bool(WebServerAtLeast(7, 5));
    case 81: return Bool(os.server && VersionAtLeast(os, 6, 1));
    case 82: return std::to_string(GetSystemMetrics(SM_CXSCREEN));
    case 83: return std::to_string(GetSystemMetrics(SM_CYSCREEN));
    case 84: return TotalMemoryMiB();
    case 85: return Bool(BrowserAtLeast({9, 0, 8112, 16421}));
    default: return {};
  }
}

void GetSystemSettingsCommand(const CommandParams& p) {
  RegistryViewScope view;
  RedirectionBracket bracket;
  const std::string name = p.plain_name(1);
  p.assign(name, SystemSetting(p.number(2)));
}

}  // namespace qel::commands
