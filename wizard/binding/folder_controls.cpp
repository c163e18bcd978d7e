// File, directory and drive lists and the shell controls: where they point.
#include <windows.h>

#include <commctrl.h>

#include "engine/ascii.h"
#include "engine/variables.h"
#include "wizard/binding/binding_internal.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard::binding::detail {

namespace {

std::string pattern_in(const std::string& folder) {
  return folder.empty() || folder.back() == '\\' ? folder + "*.*" : folder + "\\*.*";
}

std::vector<std::string> entries(const std::string& folder, bool folders) {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(pattern_in(folder).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folders) out.push_back(name);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return out;
}

std::string file_name_of(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void set_folder_control(Component& c, const std::string& value, bool as_file_path) {
  HWND h = c.hwnd();
  if (!h) return;
  using qel::wizard::detail::store;
  if (is_class(c, "TFileListBox")) {
    std::string folder = as_file_path ? ParentFolder(value) : value;
    store(c, "Directory", folder);
    if (as_file_path) store(c, "FileName", value);
    set_items(c, entries(folder, false));
    if (as_file_path) {
      std::vector<std::string> items = get_items(c);
      for (size_t i = 0; i < items.size(); ++i)
        if (EqualsNoCase(items[i], file_name_of(value))) set_item_selected(c, static_cast<int>(i), true);
    }
  } else if (is_class(c, "TDirectoryListBox")) {
    store(c, "Directory", value);
    std::vector<std::string> items;
    if (ParentFolder(value) != value && !ParentFolder(value).empty()) items.push_back("[..]");
    for (const std::string& name : entries(value, true)) items.push_back("[" + name + "]");
    set_items(c, items);
  } else if (is_class(c, "TDriveComboBox")) {
    std::string letter = value.substr(0, 1);
    store(c, "Drive", letter);
    std::vector<std::string> items;
    DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
      if (drives & (1u << i)) items.push_back(std::string("[-") + static_cast<char>('a' + i) + "-]");
    set_items(c, items);
    for (size_t i = 0; i < items.size(); ++i)
      if (EqualsNoCase(items[i].substr(2, 1), letter)) set_item_selected(c, static_cast<int>(i), true);
  } else if (is_class(c, "TPTShellTree")) {
    store(c, "Path", value);
    TreeView_DeleteAllItems(h);
    TVINSERTSTRUCTA ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    std::string root = value;
    while (root.size() > 3 && root.back() == '\\') root.pop_back();
    ins.item.pszText = root.data();
    HTREEITEM top = TreeView_InsertItem(h, &ins);
    for (std::string name : entries(value, true)) {
      ins.hParent = top;
      ins.item.pszText = name.data();
      TreeView_InsertItem(h, &ins);
    }
    TreeView_Expand(h, top, TVE_EXPAND);
    TreeView_SelectItem(h, top);
  } else if (is_class(c, "TPTShellList")) {
    store(c, "Path", value);
    ListView_DeleteAllItems(h);
    int i = 0;
    for (std::vector<std::string> names : {entries(value, true), entries(value, false)})
      for (std::string& name : names) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i++;
        item.pszText = name.data();
        ListView_InsertItem(h, &item);
      }
  } else if (is_class(c, "TPTShellCombo")) {
    std::string folder = value.size() == 1 ? value + ":\\" : value;
    store(c, "Path", folder);
    set_items(c, {folder});
    set_item_selected(c, 0, true);
  }
}

}  // namespace qel::wizard::binding::detail
