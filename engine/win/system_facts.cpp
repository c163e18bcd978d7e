#include "engine/win/system_facts.h"

#include <windows.h>
#include <dwmapi.h>
#include <shlobj.h>
#include <uxtheme.h>

namespace qel::engine_win {

bool running_as_administrator() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  bool elevated = false;
  if (GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size))
    elevated = elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}

bool glass_enabled() {
  BOOL composition = FALSE;
  if (SUCCEEDED(DwmIsCompositionEnabled(&composition)) && composition) return true;
  return IsThemeActive() != FALSE;  // every supported system is Vista or later
}

namespace {

std::string read_string_value(HKEY root, const char* key, const char* name, REGSAM extra = 0) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_READ | extra, &handle) != ERROR_SUCCESS) return {};
  char buffer[2048] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  std::string value;
  if (RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ))
    value = buffer;
  RegCloseKey(handle);
  return value;
}

bool is_wow64() {
  BOOL wow = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

}  // namespace

void registered_user(std::string& owner, std::string& organization) {
  const char* key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
  const REGSAM view = is_wow64() ? KEY_WOW64_64KEY : 0;
  owner = read_string_value(HKEY_LOCAL_MACHINE, key, "RegisteredOwner", view);
  organization = read_string_value(HKEY_LOCAL_MACHINE, key, "RegisteredOrganization", view);
}

std::string short_date_text() {
  char buffer[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, sizeof buffer);
  return buffer;
}

std::string long_time_text() {
  char buffer[128] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, sizeof buffer);
  return buffer;
}

uint64_t tick_count() { return GetTickCount64(); }

bool file_exists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string shell_cache_root(bool all_users) {
  char buffer[MAX_PATH + 1] = {};
  const int folders[] = {all_users ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA, all_users ? -1 : CSIDL_APPDATA};
  for (int folder : folders) {
    if (folder < 0) continue;
    if (SUCCEEDED(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer)) && buffer[0]) {
      std::string root = buffer;
      if (root.back() != '\\') root += '\\';
      return root;
    }
  }
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    std::string desktop = buffer;
    const size_t cut = desktop.find_last_of('\\');
    if (cut != std::string::npos) return desktop.substr(0, cut + 1) + "Application Data\\";
  }
  return {};
}

std::string uninstall_program(const std::string& title, bool machine) {
  const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + title;
  std::string value =
      read_string_value(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.c_str(), "UninstallString");
  if (const size_t first = value.find('"'); first != std::string::npos) value.erase(first, 1);
  if (const size_t next = value.find('"'); next != std::string::npos) value.erase(next);
  return value;
}

void remove_reboot_resume_values(const std::string& value_name) {
  if (value_name.empty()) return;
  const char* keys[] = {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\",
                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"};
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (const char* key : keys) {
      HKEY handle = nullptr;
      if (RegOpenKeyExA(root, key, 0, KEY_READ | KEY_WRITE, &handle) != ERROR_SUCCESS) continue;
      RegDeleteValueA(handle, value_name.c_str());
      RegCloseKey(handle);
    }
  }
}

}  // namespace qel::engine_win
