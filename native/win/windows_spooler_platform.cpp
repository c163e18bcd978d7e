#include "native/win/windows_spooler_platform.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "commands/actions/action_hooks.h"
#include "engine/setup_caption.h"
#include "native/model/folder_weight.h"
#include "native/spooler/spooler_platform.h"

namespace qel::native {
namespace {

HWND Owner() {
  const auto& hooks = commands::actions::action_hooks();
  return hooks.owner_window ? static_cast<HWND>(hooks.owner_window()) : nullptr;
}

class AnsiFolderLister final : public FolderLister {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(Child(folder, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      FolderEntry e;
      e.name = name;
      e.is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      entries.push_back(std::move(e));
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return true;
  }

  std::string Child(const std::string& folder, const std::string& name) const override {
    if (folder.empty()) return name;
    const char last = folder.back();
    return (last == '\\' || last == '/') ? folder + name : folder + "\\" + name;
  }
};

void ProcessOneMessage() {
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return;
  }
  // The worker posts WM_NULL when it ends, which wakes this wait early.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
}

void ErrorBox(std::string_view text) {
  const auto& hooks = commands::actions::action_hooks();
  if (hooks.taskbar_request) hooks.taskbar_request(true, true);
  const std::string message(text);
  MessageBoxA(Owner(), message.c_str(), setup_caption().c_str(), MB_OK | MB_ICONHAND);
  if (hooks.taskbar_request) hooks.taskbar_request(false, true);
}

std::string BrowseFolder(const std::string& prompt) {
  const auto& hooks = commands::actions::action_hooks();
  if (hooks.browse_folder) return hooks.browse_folder(prompt);
  char display[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = Owner();
  info.pszDisplayName = display;
  info.lpszTitle = prompt.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
  if (!item) return {};
  char path[MAX_PATH] = {};
  const bool ok = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  return ok ? std::string(path) : std::string();
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void InstallWindowsSpoolerPlatform() {
  static AnsiFolderLister lister;
  SetFolderLister(&lister);
  SpoolerPlatform& platform = spooler_platform();
  platform.wait_hooks = [](bool silent) {
    commands::WaitHooks hooks;
    hooks.silent = silent;
    hooks.process_one_message = ProcessOneMessage;
    hooks.wait_until_done = [](commands::Worker&) { Sleep(10); };
    hooks.now_ms = [] { return static_cast<uint64_t>(GetTickCount64()); };
    return hooks;
  };
  platform.show_error_box = ErrorBox;
  platform.browse_folder = BrowseFolder;
  platform.file_exists = FileExists;
}

}  // namespace qel::native
