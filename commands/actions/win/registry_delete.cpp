// "Delete Registry": a value, or a key with its whole subtree, in the view the
// bitness mode selects.
#include <windows.h>

#include <string>
#include <vector>

#include "commands/actions/win/action_commands.h"
#include "commands/bitness.h"
#include "commands/platform_hooks.h"
#include "commands/win/registry_values.h"

namespace qel::commands::actions {

namespace {

constexpr REGSAM kDeleteAccess = 0x2001F;

using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

LONG DeleteOneKey(HKEY parent, const std::string& name, REGSAM view) {
  static const auto delete_ex = reinterpret_cast<RegDeleteKeyExFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryA("advapi32.dll"), "RegDeleteKeyExA")));
  if (delete_ex) return delete_ex(parent, name.c_str(), view, 0);
  return RegDeleteKeyA(parent, name.c_str());
}

// Sub-keys first, then the key itself.
void DeleteTree(HKEY parent, const std::string& name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(parent, name.c_str(), 0, view | kDeleteAccess, &key) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char child[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof child;
    if (RegEnumKeyExA(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(child, size);
  }
  for (const std::string& c : children) DeleteTree(key, c, view);
  RegCloseKey(key);
  DeleteOneKey(parent, name, view);
}

std::string WithoutTrailingBackslashes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

void DeleteRegistryCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  RegistryViewScope view_scope;
  const REGSAM view = view_scope.flag();
  HKEY root = RegistryRoot(p.number(1));
  const std::string key_path = WithoutTrailingBackslashes(p.path(2));
  const std::string value = p.path(3);
  const bool whole_key = p.flag(4);
  if (!root) return;
  if (whole_key) {
    if (key_path.empty()) return;  // never the root itself
    const bool wow64_x64 = PlatformHooks().is_wow64() && BitnessMode() != kModeWin32;
    if (wow64_x64 && key_path.find('\\') == std::string::npos) return;
    DeleteTree(root, key_path, view);
    return;
  }
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, key_path.c_str(), 0, view | kDeleteAccess, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, value.c_str());
  RegCloseKey(key);
}

}  // namespace qel::commands::actions
