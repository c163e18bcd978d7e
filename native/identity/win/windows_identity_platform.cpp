#include "native/identity/win/windows_identity_platform.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <winioctl.h>

#include <cstdio>

#include "engine/win/system_facts.h"

namespace qel::identity {

namespace {

std::string without_backslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string with_backslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

HKEY root_of(RegistryHive hive) { return hive == RegistryHive::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::string shell_folder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)) || !buffer[0]) return {};
  return with_backslash(buffer);
}

// Lists the entries of a folder, files or subfolders.
std::vector<std::string> entries_of(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((with_backslash(folder) + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders) names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

// msi.dll, bound once at run time; null functions when it is unavailable.
struct MsiFunctions {
  using QueryState = INT(WINAPI*)(LPCSTR);
  using GetInfo = UINT(WINAPI*)(LPCSTR, LPCSTR, LPSTR, LPDWORD);
  QueryState query_state = nullptr;
  GetInfo get_info = nullptr;

  MsiFunctions() {
    HMODULE msi = LoadLibraryA("msi.dll");
    if (!msi) return;
    query_state = reinterpret_cast<QueryState>(reinterpret_cast<void (*)()>(GetProcAddress(msi, "MsiQueryProductStateA")));
    get_info = reinterpret_cast<GetInfo>(reinterpret_cast<void (*)()>(GetProcAddress(msi, "MsiGetProductInfoA")));
  }
};

const MsiFunctions& msi() {
  static const MsiFunctions functions;
  return functions;
}

}  // namespace

bool WindowsIdentityPlatform::file_exists(const std::string& path) { return engine_win::file_exists(path); }

bool WindowsIdentityPlatform::folder_exists(const std::string& path) {
  return engine_win::folder_exists(without_backslash(path));
}

bool WindowsIdentityPlatform::read_file(const std::string& path, std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  content.clear();
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0) && read > 0) content.append(buffer, read);
  CloseHandle(file);
  return ok;
}

bool WindowsIdentityPlatform::write_file(const std::string& path, const std::string& content) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = content.empty() ||
                  (WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                   written == content.size());
  CloseHandle(file);
  return ok;
}

std::vector<std::string> WindowsIdentityPlatform::files_in(const std::string& folder) {
  return entries_of(folder, false);
}

std::vector<std::string> WindowsIdentityPlatform::folders_in(const std::string& folder) {
  return entries_of(folder, true);
}

bool WindowsIdentityPlatform::create_folder(const std::string& folder) {
  const std::string path = without_backslash(folder);
  if (path.empty()) return false;
  if (folder_exists(path)) return true;
  const size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos && cut > 0) {
    const std::string parent = path.substr(0, cut);
    if (!(parent.size() == 2 && parent[1] == ':') && !create_folder(parent)) return false;
  }
  return CreateDirectoryA(path.c_str(), nullptr) || folder_exists(path);
}

bool WindowsIdentityPlatform::copy_file(const std::string& from, const std::string& to) {
  SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool WindowsIdentityPlatform::delete_file(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path.c_str()) != 0 || !file_exists(path);
}

bool WindowsIdentityPlatform::delete_tree(const std::string& folder) {
  const std::string path = without_backslash(folder);
  if (!folder_exists(path)) return true;
  for (const std::string& file : files_in(path)) delete_file(path + "\\" + file);
  for (const std::string& sub : folders_in(path)) delete_tree(path + "\\" + sub);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(path.c_str());
  return !folder_exists(path);
}

bool WindowsIdentityPlatform::move_folder(const std::string& from, const std::string& to) {
  return MoveFileExA(without_backslash(from).c_str(), without_backslash(to).c_str(), 0) != 0;
}

bool WindowsIdentityPlatform::delete_at_restart(const std::string& path) {
  return MoveFileExA(without_backslash(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

void WindowsIdentityPlatform::set_hidden(const std::string& folder) {
  const std::string path = without_backslash(folder);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

void WindowsIdentityPlatform::set_compressed(const std::string& folder, bool compressed) {
  HANDLE handle = CreateFileA(without_backslash(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  USHORT format = compressed ? COMPRESSION_FORMAT_DEFAULT : COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  DeviceIoControl(handle, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned, nullptr);
  CloseHandle(handle);
}

bool WindowsIdentityPlatform::read_string(RegistryHive hive, const std::string& key, const std::string& name,
                                          std::string& value) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root_of(hive), key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok) {
    std::string buffer(size + 1, '\0');
    ok = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
         ERROR_SUCCESS;
    if (ok) value.assign(buffer.c_str());
  }
  RegCloseKey(handle);
  return ok;
}

bool WindowsIdentityPlatform::write_string(RegistryHive hive, const std::string& key, const std::string& name,
                                           const std::string& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(root_of(hive), key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return ok;
}

bool WindowsIdentityPlatform::write_number(RegistryHive hive, const std::string& key, const std::string& name,
                                           uint32_t value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(root_of(hive), key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD data = value;
  const bool ok =
      RegSetValueExA(handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
      ERROR_SUCCESS;
  RegCloseKey(handle);
  return ok;
}

bool WindowsIdentityPlatform::delete_key(RegistryHive hive, const std::string& key) {
  RegDeleteTreeA(root_of(hive), key.c_str());
  const LONG result = RegDeleteKeyA(root_of(hive), key.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool WindowsIdentityPlatform::delete_empty_key(RegistryHive hive, const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root_of(hive), key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0, values = 0;
  const bool empty = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                      nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                     subkeys == 0 && values == 0;
  RegCloseKey(handle);
  return empty && RegDeleteKeyA(root_of(hive), key.c_str()) == ERROR_SUCCESS;
}

bool WindowsIdentityPlatform::is_administrator() { return engine_win::running_as_administrator(); }

std::string WindowsIdentityPlatform::program_files_folder() { return shell_folder(CSIDL_PROGRAM_FILES); }

std::string WindowsIdentityPlatform::profile_folder() {
  const std::string documents = without_backslash(shell_folder(CSIDL_PERSONAL));
  const size_t cut = documents.find_last_of('\\');
  return cut == std::string::npos ? std::string() : documents.substr(0, cut + 1);
}

std::string WindowsIdentityPlatform::shell_cache_root(bool all_users) { return engine_win::shell_cache_root(all_users); }

int WindowsIdentityPlatform::msi_product_state(const std::string& product_code) {
  if (!msi().query_state || product_code.empty()) return -1;
  return msi().query_state(product_code.c_str());
}

bool WindowsIdentityPlatform::msi_package_code(const std::string& product_code, std::string& package_code) {
  if (!msi().get_info || product_code.empty()) return false;
  char buffer[64] = {};
  DWORD size = sizeof buffer;
  if (msi().get_info(product_code.c_str(), "PackageCode", buffer, &size) != ERROR_SUCCESS) return false;
  package_code = buffer;
  return true;
}

std::string WindowsIdentityPlatform::new_guid() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return {};
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

WindowsIdentityPlatform& windows_identity_platform() {
  static WindowsIdentityPlatform platform;
  return platform;
}

}  // namespace qel::identity
