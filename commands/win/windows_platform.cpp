#include "commands/win/windows_platform.h"

#include <windows.h>

#include "commands/win/proc_address.h"

#include "commands/actions/win/action_commands.h"
#include "commands/catalogue.h"
#include "commands/platform_hooks.h"
#include "commands/win/system_queries.h"
#include "native/win/native_model_handlers.h"

namespace qel::commands {

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

template <typename Fn>
Fn Kernel32Function(const char* name) {
  return ProcAddress<Fn>("kernel32.dll", name);
}

bool IsWow64() {
  static const bool wow64 = [] {
    auto is_wow64 = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
    BOOL result = FALSE;
    return is_wow64 && is_wow64(GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

bool DisableRedirection(void** old_value) {
  auto disable = Kernel32Function<DisableFn>("Wow64DisableWow64FsRedirection");
  return disable && disable(old_value);
}

bool RevertRedirection(void* old_value) {
  auto revert = Kernel32Function<RevertFn>("Wow64RevertWow64FsRedirection");
  return revert && revert(old_value);
}

bool FindFileName(const std::string& path, std::string& name) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  name = data.cFileName;
  return true;
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string CreateTempFile(const std::string& folder) {
  char buffer[MAX_PATH] = {};
  if (!GetTempFileNameA(folder.c_str(), "qel", 0, buffer)) return {};
  return buffer;
}

}  // namespace

void InstallWindowsPlatform() {
  Platform& platform = PlatformHooks();
  platform.before_path_parameter = [] { SetFileApisToANSI(); };
  platform.is_wow64 = IsWow64;
  if (Kernel32Function<DisableFn>("Wow64DisableWow64FsRedirection") &&
      Kernel32Function<RevertFn>("Wow64RevertWow64FsRedirection")) {
    platform.disable_redirection = DisableRedirection;
    platform.revert_redirection = RevertRedirection;
  }
  platform.set_normal_attributes = [](const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  };
  platform.find_file_name = FindFileName;
  platform.short_path = ShortPath;
  platform.create_temp_file = CreateTempFile;
  platform.ansi_case = [](std::string& text, bool upper) {
    if (text.empty()) return;
    (upper ? CharUpperBuffA : CharLowerBuffA)(text.data(), static_cast<DWORD>(text.size()));
  };
}

void AddAllCommandHandlers() {
  AddPortableCommandHandlers();
  AddSystemQueryHandlers();
  actions::AddActionCommands();
  native::AddNativeModelHandlers();
}

}  // namespace qel::commands
