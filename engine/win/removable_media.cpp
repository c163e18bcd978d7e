#include "engine/win/removable_media.h"

#include <windows.h>

#include "engine/process_state.h"
#include "engine/trace.h"
#include "engine/win/system_facts.h"

namespace qel::engine_win {

namespace {

void remove_tree(const std::string& folder) {
  if (folder.empty()) return;
  std::string base = folder;
  if (base.back() != '\\') base += '\\';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = base + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(base.c_str());
}

}  // namespace

bool source_media_removed(const std::string& exe_folder) {
  if (exe_folder.size() < 2) return false;
  std::string root;
  if (exe_folder[1] == ':') {
    root = exe_folder.substr(0, 2) + "\\";
  } else {
    root = exe_folder;  // UNC: GetDriveType answers for the share
  }
  if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED) return false;
  return !folder_exists(exe_folder);
}

void finish_after_media_removed(int exit_code) {
  ProcessState& state = process_state();
  trace("  </RunScript>");
  state.parameter_lists.clear();
  for (StringList* list : {&state.payload.names, &state.payload.keys, &state.payload.params, &state.payload.flags,
                           &state.payload.media_blocks, &state.payload.plugin_names})
    StringList().swap(*list);
  trace("  <Free>");
  trace("  </Free>");
  trace("  <CachedSupportDir>");
  remove_tree(state.support_folder);
  trace("  </CachedSupportDir>");
  trace("  <RemovableMediaPrematureEject>");
  trace("  </RemovableMediaPrematureEject>");
  trace("</Oakhollow>");
  ExitProcess(static_cast<UINT>(exit_code));
}

}  // namespace qel::engine_win
