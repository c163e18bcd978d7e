// The component tree (TTreeView, Tag 1), the component list (TCheckListBox,
// Tag 1) and the component menu.
#include <windows.h>

#include <commctrl.h>

#include "engine/ascii.h"
#include "engine/variables.h"
#include "lang/language_strings.h"
#include "wizard/binding/binding_internal.h"
#include "wizard/binding/binding_text.h"
#include "wizard/binding/component_choices.h"

namespace qel::wizard::binding::detail {

namespace {

ComponentTableAccess* table() { return binding_services().components; }

// Two 16x16 images: 0 not selected, 1 selected.
HIMAGELIST component_images() {
  static HIMAGELIST images = [] {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24, 2, 0);
    HDC screen = GetDC(nullptr);
    for (UINT state : {0u, static_cast<UINT>(DFCS_CHECKED)}) {
      HDC dc = CreateCompatibleDC(screen);
      HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
      HGDIOBJ old = SelectObject(dc, bmp);
      RECT all{0, 0, 16, 16}, box{1, 1, 15, 15};
      FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
      DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | state);
      SelectObject(dc, old);
      DeleteDC(dc);
      ImageList_Add(list, bmp, nullptr);
      DeleteObject(bmp);
    }
    ReleaseDC(nullptr, screen);
    return list;
  }();
  return images;
}

std::string item_text(HWND tree, HTREEITEM item) {
  char buffer[1024] = {};
  TVITEMA tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = buffer;
  tv.cchTextMax = sizeof buffer;
  TreeView_GetItem(tree, &tv);
  return buffer;
}

std::string node_path(HWND tree, HTREEITEM item) {
  std::string path;
  for (; item; item = TreeView_GetParent(tree, item)) path = path.empty() ? item_text(tree, item) : item_text(tree, item) + "\\" + path;
  return path;
}

void set_node_image(HWND tree, HTREEITEM item, bool selected) {
  TVITEMA tv{};
  tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.iImage = tv.iSelectedImage = selected ? 1 : 0;
  TreeView_SetItem(tree, &tv);
}

void update_images(HWND tree, HTREEITEM item) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    if (table()) set_node_image(tree, item, table()->State(node_path(tree, item)));
    update_images(tree, TreeView_GetChild(tree, item));
  }
}

void expand_all(HWND tree, HTREEITEM item) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    TreeView_Expand(tree, item, TVE_EXPAND);
    expand_all(tree, TreeView_GetChild(tree, item));
  }
}

HTREEITEM find_child(HWND tree, HTREEITEM parent, const std::string& text) {
  HTREEITEM child = parent == TVI_ROOT ? TreeView_GetRoot(tree) : TreeView_GetChild(tree, parent);
  for (; child; child = TreeView_GetNextSibling(tree, child))
    if (EqualsNoCase(item_text(tree, child), text)) return child;
  return nullptr;
}

enum MenuCommand : UINT { kInstallOnly = 1, kInstallWithChildren, kUnavailable };

void component_menu(TPoolTemplate& page, Component& tree, HTREEITEM item, POINT screen) {
  ComponentTableAccess* t = table();
  HWND h = tree.hwnd();
  if (!t || !item) return;
  std::string name = node_path(h, item);
  if (FixedWithAncestors(*t, name)) return;
  auto caption = [](int n, const char* fallback) {
    const std::string& s = lang_string(n);
    return s.empty() ? std::string(fallback) : s;
  };
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, kInstallOnly, caption(113, "Will be &installed on local hard drive").c_str());
  AppendMenuA(menu, MF_STRING, kInstallWithChildren,
              caption(114, "&Entire feature will be installed on local hard drive").c_str());
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kUnavailable, caption(115, "Entire feature will be &unavailable").c_str());
  UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0, page.hwnd(), nullptr);
  DestroyMenu(menu);
  if (chosen == kInstallOnly) ApplyMenuAction(*t, name, MenuAction::InstallOnly);
  if (chosen == kInstallWithChildren) ApplyMenuAction(*t, name, MenuAction::InstallWithChildren);
  if (chosen == kUnavailable) ApplyMenuAction(*t, name, MenuAction::Unavailable);
  update_images(h, TreeView_GetRoot(h));
  InvalidateRect(h, nullptr, TRUE);
  refresh_status_texts(page);
}

}  // namespace

void fill_component_tree(TPoolTemplate&, Component& tree) {
  HWND h = tree.hwnd();
  ComponentTableAccess* t = table();
  if (!h) return;
  TreeView_SetImageList(h, component_images(), TVSIL_NORMAL);
  TreeView_DeleteAllItems(h);
  if (!t) return;
  std::vector<std::string> names = TreeComponents(*t);
  for (size_t position = 0; position < names.size(); ++position) {
    const std::string& name = names[position];
    HTREEITEM parent = TVI_ROOT;
    size_t start = 0;
    while (start <= name.size()) {
      size_t end = name.find('\\', start);
      std::string level = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
      std::string path = name.substr(0, end == std::string::npos ? name.size() : end);
      HTREEITEM node = find_child(h, parent, level);
      if (!node) {
        TVINSERTSTRUCTA ins{};
        ins.hParent = parent;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        ins.item.pszText = level.data();
        ins.item.iImage = ins.item.iSelectedImage = t->State(path) ? 1 : 0;
        ins.item.lParam = static_cast<LPARAM>(position);
        node = TreeView_InsertItem(h, &ins);
      }
      parent = node;
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  expand_all(h, TreeView_GetRoot(h));
  if (HTREEITEM first = TreeView_GetRoot(h)) TreeView_SelectItem(h, first);
}

std::string tree_node_text(Component& tree) {
  HWND h = tree.hwnd();
  HTREEITEM item = h ? TreeView_GetSelection(h) : nullptr;
  return item ? node_path(h, item) : std::string();
}

void tree_selection_changed(TPoolTemplate& page, Component& tree) {
  if (dialog_host().events_suspended) return;
  HWND h = tree.hwnd();
  HTREEITEM item = h ? TreeView_GetSelection(h) : nullptr;
  if (item) write_binding(tree, item_text(h, item), "TreeView1Change");
  if (tree.tag() == 1 && item) {
    page.selected_component = node_path(h, item);
    refresh_status_texts(page);
  }
  evaluate_rules(page);
}

void tree_mouse_up(TPoolTemplate& page, Component& tree) {
  if (tree.tag() != 1) return;
  HWND h = tree.hwnd();
  TVHITTESTINFO hit{};
  GetCursorPos(&hit.pt);
  POINT screen = hit.pt;
  ScreenToClient(h, &hit.pt);
  HTREEITEM item = TreeView_HitTest(h, &hit);
  if (!item || !(hit.flags & TVHT_ONITEMICON)) return;
  component_menu(page, tree, item, screen);
  evaluate_rules(page);
}

void tree_context_key(TPoolTemplate& page, Component& tree) {
  if (tree.tag() != 1) return;
  HWND h = tree.hwnd();
  HTREEITEM item = TreeView_GetSelection(h);
  RECT r{};
  if (!item || !TreeView_GetItemRect(h, item, &r, TRUE)) return;
  POINT corner{r.right, r.bottom};
  ClientToScreen(h, &corner);
  component_menu(page, tree, item, corner);
  evaluate_rules(page);
}

void fill_component_list(TPoolTemplate&, Component& list) {
  ComponentTableAccess* t = table();
  std::vector<std::string> names = t ? ListComponents(*t) : std::vector<std::string>();
  set_items(list, names);
  for (size_t i = 0; i < names.size(); ++i) set_item_checked(list, static_cast<int>(i), t->State(names[i]));
}

void list_item_clicked(TPoolTemplate& page, Component& list) {
  if (dialog_host().events_suspended || list.tag() != 1) return;
  std::vector<int> sel = selected_items(list);
  std::vector<std::string> items = get_items(list);
  if (sel.empty() || static_cast<size_t>(sel[0]) >= items.size()) return;
  page.selected_component = items[sel[0]];
  refresh_status_texts(page);
}

void list_check_changed(TPoolTemplate& page, Component& list) {
  if (dialog_host().events_suspended) return;
  std::vector<std::string> items = get_items(list);
  std::vector<bool> checked;
  for (size_t i = 0; i < items.size(); ++i) checked.push_back(item_checked(list, static_cast<int>(i)));
  if (list.tag() != 1) {
    std::vector<std::string> on;
    for (size_t i = 0; i < items.size(); ++i)
      if (checked[i]) on.push_back(items[i]);
    write_binding(list, JoinItems(on), "CheckListBox1ClickCheck");
    return;
  }
  ComponentTableAccess* t = table();
  if (!t) return;
  ApplyListChecks(*t, items, checked);
  // A fixed component's box snaps back to its state.
  {
    EventsSuspended suspended;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].find('\\') == std::string::npos) set_item_checked(list, static_cast<int>(i), t->State(items[i]));
  }
  refresh_status_texts(page);
}

}  // namespace qel::wizard::binding::detail
