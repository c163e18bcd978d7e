// Change handlers: what a control writes back into its binding variable, and
// what runs after it (status texts, Tag-100 refresh, rules, auto-advance).
#include <windows.h>

#include <commctrl.h>

#include "engine/ascii.h"
#include "engine/variables.h"
#include "wizard/binding/binding_internal.h"
#include "wizard/binding/binding_text.h"
#include "wizard/control_classes.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard::binding::detail {

namespace {

constexpr UINT_PTR kKeyWatchId = 0x51454B;  // one subclass per control for key releases

Component* next_in_tab_order(Component& c) {
  int order = qel::wizard::detail::stored_int(c, "TabOrder", -1);
  if (order < 0) return nullptr;
  Component* fallback = nullptr;
  for (Component* other : c.form().components()) {
    if (other == &c || !other->hwnd()) continue;
    if (qel::wizard::detail::stored_int(*other, "TabOrder", -1) != order + 1) continue;
    if (other->parent() == c.parent()) return other;
    if (!fallback) fallback = other;
  }
  return fallback;
}

void auto_advance(Component& c) {
  long long max_length = 0;
  if (!qel::wizard::detail::parse_int(get_property(c, "MaxLength").value_or("0"), max_length) || max_length == 0) return;
  if (static_cast<long long>(window_text(c.hwnd()).size()) != max_length) return;
  if (Component* next = next_in_tab_order(c)) SetFocus(next->hwnd());
}

void edit_change(TPoolTemplate& page, Component& c, bool mask, std::string_view handler) {
  write_binding(c, window_text(c.hwnd()), handler);
  refresh_status_texts(page);
  refresh_tag100(page);
  evaluate_rules(page);
  if (!mask) auto_advance(c);
}

void memo_change(TPoolTemplate& page, Component& c, std::string_view handler) {
  if (variable_of(c).empty()) return;
  write_binding(c, ToNewlineTokens(window_text(c.hwnd())), handler);
  refresh_status_texts(page);
  evaluate_rules(page);
}

void radio_click(TPoolTemplate& page) {
  for (Component* r : page.form().components())
    if (is_class(*r, "TRzRadioButton") && !variable_of(*r).empty())
      write_binding(*r, get_property(*r, "Checked").value_or("") == "True" ? "TRUE" : "FALSE", "RadioButton1Click");
  evaluate_rules(page);
}

void list_box_click(TPoolTemplate& page, Component& c) {
  std::vector<std::string> items = get_items(c), chosen;
  for (int i : selected_items(c))
    if (i >= 0 && static_cast<size_t>(i) < items.size()) chosen.push_back(items[i]);
  write_binding(c, JoinItems(chosen), "ListBox1Click");
  evaluate_rules(page);
}

void check_list_checks(TPoolTemplate& page, Component& c) {
  list_check_changed(page, c);
  evaluate_rules(page);
}

// After a folder control changed: variable, Tag-100 refresh, target browse, rules.
void folder_changed(TPoolTemplate& page, Component& c, const std::string& value, const std::string& browse_folder,
                    std::string_view handler) {
  write_binding(c, value, handler);
  refresh_tag100(page);
  if (c.tag() == 1) browse_target_folder(page, browse_folder);
  evaluate_rules(page);
}

std::string stored_text(const Component& c, std::string_view name) {
  const std::string* s = qel::wizard::detail::stored(c, name);
  return s ? *s : std::string();
}

std::string joined(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string selected_item_text(const Component& c) {
  std::vector<std::string> items = get_items(c);
  std::vector<int> sel = selected_items(c);
  if (sel.empty() || static_cast<size_t>(sel[0]) >= items.size()) return {};
  return items[sel[0]];
}

void folder_control_event(TPoolTemplate& page, Component& c, std::string_view event) {
  if (event != "OnChange") return;
  if (is_class(c, "TFileListBox")) {
    std::string name = selected_item_text(c);
    if (name.empty()) return;
    std::string path = joined(stored_text(c, "Directory"), name);
    folder_changed(page, c, path, ParentFolder(path), "FileListBox1Change");
  } else if (is_class(c, "TDirectoryListBox")) {
    std::string item = selected_item_text(c), dir = stored_text(c, "Directory");
    if (item.size() < 3 || item.front() != '[' || item.back() != ']') return;
    std::string name = item.substr(1, item.size() - 2);
    dir = name == ".." ? ParentFolder(dir) : joined(dir, name);
    set_folder_control(c, dir, false);
    folder_changed(page, c, dir, dir, "DirectoryListBox1Change");
  } else if (is_class(c, "TDriveComboBox")) {
    std::string item = selected_item_text(c);  // "[-c-]"
    if (item.size() < 5) return;
    std::string drive = std::string(1, AsciiUpper(item[2])) + ":\\";
    qel::wizard::detail::store(c, "Drive", drive.substr(0, 1));
    folder_changed(page, c, drive, drive, "DriveComboBox1Change");
  } else if (is_class(c, "TPTShellTree")) {
    std::string folder = NormalizeBackslashes(tree_node_text(c));
    if (!folder.empty()) folder_changed(page, c, folder, folder, "PTShellTree1Change");
  } else if (is_class(c, "TPTShellList")) {
    std::string path = joined(stored_text(c, "Path"), selected_item_text(c));
    if (!selected_item_text(c).empty() && !folder_exists(path))
      folder_changed(page, c, path, ParentFolder(path), "PTShellList1Change");
  } else if (is_class(c, "TPTShellCombo")) {
    std::string folder = window_text(c.hwnd());
    folder_changed(page, c, folder, folder, "PTShellCombo1Change");
  }
}

LRESULT CALLBACK key_watch_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  LRESULT r = DefSubclassProc(h, msg, wp, lp);
  if (msg != WM_KEYUP || dialog_host().events_suspended) return r;
  auto* page = reinterpret_cast<TPoolTemplate*>(data);
  Component* c = page->form().from_hwnd(h);
  if (!c || !state_of(*page).bound) return r;
  if (is_class(*c, "TMaskEdit")) {
    DWORD start = 0, end = 0;
    SendMessageA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start == end) auto_advance(*c);
  } else if (wp == VK_APPS) {
    tree_context_key(*page, *c);
  }
  return r;
}

}  // namespace

void install_key_watch(TPoolTemplate& page, Component& c) {
  if (!c.hwnd()) return;
  SetWindowSubclass(c.hwnd(), key_watch_proc, kKeyWatchId, reinterpret_cast<DWORD_PTR>(&page));
  state_of(page).subclassed.push_back(&c);
}

void remove_key_watch(Component& c) {
  if (c.hwnd()) RemoveWindowSubclass(c.hwnd(), key_watch_proc, kKeyWatchId);
}

void handle_event(TPoolTemplate& page, Component& c, std::string_view event) {
  if (dialog_host().events_suspended) return;
  auto is = [&](const char* name) { return is_class(c, name); };
  if (is("TEdit") && event == "OnChange") {
    edit_change(page, c, false, "Edit1Change");
  } else if (is("TMaskEdit") && event == "OnChange") {
    edit_change(page, c, true, "MaskEdit1Change");
  } else if (is("TMemo") && event == "OnChange") {
    memo_change(page, c, "Memo1Change");
  } else if (is("TRichEdit") && event == "OnChange") {
    memo_change(page, c, "RichEdit1Change");
  } else if (is("TRzCheckBox") && event == "OnClick") {
    write_binding(c, get_property(c, "Checked").value_or("") == "True" ? "TRUE" : "FALSE", "CheckBox1Click");
    evaluate_rules(page);
  } else if (is("TRzRadioButton") && event == "OnClick") {
    radio_click(page);
  } else if (is("TTrackBar") && event == "OnChange") {
    write_binding(c, get_property(c, "Position").value_or("0"), "TrackBar1Change");
    evaluate_rules(page);
  } else if (is("TListBox") && event == "OnClick") {
    list_box_click(page, c);
  } else if (is("TCheckListBox") && event == "OnClick") {
    list_item_clicked(page, c);
    evaluate_rules(page);
  } else if (is("TCheckListBox") && event == "OnClickCheck") {
    check_list_checks(page, c);
  } else if (is("TComboBox") && (event == "OnChange" || (event == "OnClick" && !variable_of(c).empty()))) {
    write_binding(c, window_text(c.hwnd()), event == "OnChange" ? "ComboBox1Change" : "ComboBox1Click");
    evaluate_rules(page);
  } else if (is("TTreeView") && event == "OnChange") {
    tree_selection_changed(page, c);
  } else if (is("TTreeView") && event == "OnMouseUp") {
    tree_mouse_up(page, c);
  } else {
    folder_control_event(page, c, event);
  }
}

}  // namespace qel::wizard::binding::detail
