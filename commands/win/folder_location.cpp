// "Get Folder Location": shell folders by code, and a few folders read from
// the registry.
#include <windows.h>

#include "commands/win/proc_address.h"
#include <shlobj.h>

#include "commands/bitness.h"
#include "commands/win/os_info.h"
#include "commands/win/registry_values.h"
#include "commands/win/system_queries.h"

namespace qel::commands {

namespace {

std::string ShellFolder(int csidl) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &list)) || !list) return {};
  char path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(list, path);
  CoTaskMemFree(list);
  return ok ? std::string(path) : std::string();
}

std::string CurrentVersionValue(const char* value) {
  std::string text;
  ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", value,
                     CurrentRegistryViewFlag(), text);
  return text;
}

std::string FirstCdDrive() {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) return root;
  }
  return {};
}

std::string SystemFolderForMode() {
  char buffer[MAX_PATH + 1] = {};
  if (RunsUnderWow64() && BitnessMode() == kModeWin32) {
    using Fn = UINT(WINAPI*)(LPSTR, UINT);
    auto wow64_dir = ProcAddress<Fn>("kernel32.dll", "GetSystemWow64DirectoryA");
    if (wow64_dir) {
      const UINT length = wow64_dir(buffer, MAX_PATH);
      if (length >= 1 && length <= MAX_PATH) return std::string(buffer, length);
    }
  }
  const UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string QuickLaunch() {
  std::string app_data;
  ReadRegistryString(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\",
                     "AppData", 0, app_data);
  if (app_data.empty()) return {};
  if (app_data.back() != '\\') app_data += '\\';
  return app_data + "Microsoft\\Internet Explorer\\Quick Launch\\";
}

std::string ExpandEnvironment(const std::string& text) {
  std::string buffer(32768, '\0');
  const DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length > buffer.size()) return text;
  buffer.resize(length - 1);
  return buffer;
}

std::string WebRoot() {
  std::string root;
  if (ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot", 0, root))
    root = ExpandEnvironment(root);
  const char* virtual_roots = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
  for (const char* value : {"/", "/,"}) {
    if (!root.empty()) break;
    if (ReadRegistryString(HKEY_LOCAL_MACHINE, virtual_roots, value, 0, root)) root = root.substr(0, root.find(','));
  }
  return root;
}

}  // namespace

std::string FolderLocation(int code, bool common) {
  static constexpr int kCsidl[][2] = {
      // {common, personal}; -1 marks a rule of its own
      {0x20, 0x20}, {0x21, 0x21}, {0x2E, 0x05}, {0x1F, 0x06}, {0x35, 0x0D}, {0x36, 0x27}, {0x37, 0x0E},
      {0x13, 0x13}, {0x1B, 0x1B}, {-1, -1},     {-1, -1},     {0x2F, 0x30}, {0x16, 0x0B}, {0x18, 0x07},
      {0x17, 0x02}, {0x23, 0x1A}, {0x3B, 0x3B}, {0x19, 0x00}, {0x14, 0x14}, {0x3E, 0x28}, {-1, -1},
      {0x08, 0x08}, {0x09, 0x09}, {-1, -1},     {0x15, 0x15}, {-1, -1},     {-1, -1},     {-1, -1},
      {0x1C, 0x1C},
  };
  if (code < 0 || code > 28) return {};
  std::string folder;
  switch (code) {
    case 9: {
      ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir",
                         CurrentRegistryViewFlag(), folder);
      break;
    }
    case 10: folder = FirstCdDrive(); break;
    // Program files and common files follow the bitness mode through the registry view.
    case 20: folder = CurrentVersionValue(common ? "CommonFilesDir" : "ProgramFilesDir"); break;
    case 23: folder = SystemFolderForMode(); break;
    case 25: {
      char buffer[MAX_PATH + 1] = {};
      const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
      if (length > 0 && length <= MAX_PATH) folder.assign(buffer, length);
      break;
    }
    case 26: folder = QuickLaunch(); break;
    case 27: folder = WebRoot(); break;
    default: folder = ShellFolder(kCsidl[code][common ? 0 : 1]); break;
  }
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

void GetFolderLocationCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  RegistryViewScope view;
  p.assign(p.plain_name(1), FolderLocation(p.number(2), p.flag(3)));
}

}  // namespace qel::commands
