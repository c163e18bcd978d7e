// Binding state, the hooks into the dialog host, control rules, status texts,
// Tag-100 refresh, captions and the target folder.
#include "wizard/binding/dialog_binding.h"

#include <unordered_map>

#include "engine/ascii.h"
#include "engine/variables.h"
#include "wizard/binding/binding_internal.h"
#include "wizard/binding/binding_text.h"
#include "wizard/binding/native_component_access.h"
#include "wizard/binding/size_format.h"
#include "wizard/binding/text_table.h"
#include "wizard/control_classes.h"
#include "wizard/rules/control_rules.h"

namespace qel::wizard::binding {

using namespace detail;

namespace detail {

namespace {
std::unordered_map<const TPoolTemplate*, PageState>& page_states() {
  static std::unordered_map<const TPoolTemplate*, PageState> states;
  return states;
}
}  // namespace

PageState& state_of(const TPoolTemplate& page) { return page_states()[&page]; }

bool is_class(const Component& c, std::string_view class_name) { return EqualsNoCase(c.class_name(), class_name); }

std::string hint_of(const Component& c) { return get_property(c, "Hint").value_or(""); }

std::string variable_of(const Component& c) { return BindingVariableName(hint_of(c)); }

std::optional<std::string> read_binding(const Component& c) {
  std::string name = variable_of(c);
  if (name.empty()) return std::nullopt;
  std::string value;
  if (!variables().TryGet(name, value)) return std::nullopt;
  return variables().Expand(value);
}

void write_binding(const Component& c, std::string_view value, std::string_view handler) {
  std::string name = variable_of(c);
  if (!name.empty()) variables().Assign(name, value, handler);
}

std::string dialog_file_name(TPoolTemplate& page) { return get_property(page.form().root(), "Hint").value_or(""); }

std::string table_entry(TPoolTemplate& page, const Component& c, std::string_view design_text) {
  return text_table().Entry(TextTable::Key(dialog_file_name(page), c.name()), design_text);
}

std::optional<std::string> translation(TPoolTemplate& page, const Component& c) {
  BindingServices& s = binding_services();
  if (!s.active_language || s.active_language().empty() || !s.translate_control) return std::nullopt;
  return s.translate_control(dialog_file_name(page), c.name());
}

std::string displayed_text(TPoolTemplate& page, const Component& c, std::string_view design_text) {
  std::string text = table_entry(page, c, design_text);
  if (auto t = translation(page, c)) text = *t;
  return variables().Expand(text);
}

bool folder_exists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string read_file(const std::string& path, bool& ok) {
  ok = false;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string data;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
  CloseHandle(f);
  ok = true;
  return data;
}

std::string support_folder() {
  std::string s = dialog_host().dialog_folder();
  if (s.empty()) s = variables().Get("SUPPORTDIR");
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

std::string window_text(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(h, s.data(), n + 1);
  s.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return s;
}

void set_quiet(Component& c, std::string_view property, std::string_view value) {
  EventsSuspended suspended;
  set_property(c, property, value);
}

}  // namespace detail

BindingServices& binding_services() {
  static BindingServices services;
  return services;
}

bool is_bound(const TPoolTemplate& page) { return state_of(page).bound; }

std::string watched_control(const TPoolTemplate& page) {
  const PageState& s = state_of(page);
  if (s.watched_memo) return s.watched_memo->name();
  if (s.watched_rich) return s.watched_rich->name();
  return {};
}

namespace {

// The page's components through the property interface, for the rules.
class FormPropertyAccess : public rules::PropertyAccess {
 public:
  explicit FormPropertyAccess(Form& form) : form_(form) {}
  std::optional<std::string> Read(std::string_view component, std::string_view property) override {
    Component* c = find(component);
    if (!c) return std::nullopt;
    return get_property(*c, property);
  }
  void Write(std::string_view component, std::string_view property, std::string_view value) override {
    if (Component* c = find(component)) set_property(*c, property, value);
  }

 private:
  Component* find(std::string_view name) {
    if (name.empty()) return nullptr;
    for (Component* c : form_.components())
      if (EqualsNoCase(c->name(), name) && !EqualsNoCase(c->name(), "cmpFormDesigner")) return c;
    if (EqualsNoCase(form_.root().name(), name)) return &form_.root();
    return nullptr;
  }
  Form& form_;
};

std::optional<int64_t> drive_free_space(const std::string& folder) {
  BindingServices& s = binding_services();
  if (s.free_space) return s.free_space(folder);
  std::string root = folder.size() >= 2 && folder[1] == ':' ? folder.substr(0, 2) + "\\" : folder;
  ULARGE_INTEGER free_to_caller;
  if (!GetDiskFreeSpaceExA(root.c_str(), &free_to_caller, nullptr, nullptr)) return std::nullopt;
  return static_cast<int64_t>(free_to_caller.QuadPart);
}

std::optional<std::string> status_text(TPoolTemplate& page, int tag) {
  ComponentTableAccess* table = binding_services().components;
  auto free_space = [&]() -> std::optional<int64_t> {
    std::string target = variables().ExpandNormalized(variables().Get("TARGETDIR"));
    if (target.empty()) return -1;
    return drive_free_space(target);
  };
  switch (tag) {
    case 2:
      if (!table) return std::string();
      return FromNewlineTokens(table->Description(page.selected_component));
    case 3:
      if (!table) return std::nullopt;
      return FormatSize(table->Size(page.selected_component));
    case 4:
      if (!table) return std::nullopt;
      return FormatSize(RequiredSpace(*table));
    case 5: {
      auto f = free_space();
      if (!f) return std::nullopt;
      return FormatSize(*f);
    }
    case 6: {
      auto f = free_space();
      if (!f || !table) return std::nullopt;
      return FormatSize(*f - RequiredSpace(*table));
    }
    default:
      return std::nullopt;
  }
}

bool captioned_for_refresh(const Component& c) {
  switch (c.info->kind) {
    case Kind::Label: case Kind::Panel: case Kind::Button: case Kind::TabSheet: case Kind::StaticText:
    case Kind::GroupBox:
      return true;
    default:
      return false;
  }
}

}  // namespace

void evaluate_rules(TPoolTemplate& page) {
  if (page.rules_text.empty()) return;
  FormPropertyAccess access(page.form());
  rules::EvaluateRules(page.rules_text, access);
}

void refresh_status_texts(TPoolTemplate& page) {
  for (Component* c : page.form().components()) {
    bool status_class = is_class(*c, "TStaticText") || is_class(*c, "TGlowLabel");
    int tag = c->tag();
    if (!status_class || tag < 2 || tag > 6) continue;
    // A computation that fails leaves the text empty.
    std::string text;
    try {
      text = status_text(page, tag).value_or("");
    } catch (const std::exception&) {
      text.clear();
    }
    set_quiet(*c, "Caption", text);
  }
}

void refresh_tag100(TPoolTemplate& page) {
  EventsSuspended suspended;
  for (Component* c : page.form().components()) {
    if (c->tag() != 100) continue;
    auto value = read_binding(*c);
    if (!value) continue;
    try {
      if (is_class(*c, "TEdit") || is_class(*c, "TMaskEdit")) {
        // The edit being typed in keeps its caret: only other texts change.
        if (get_property(*c, "Text").value_or("") != *value) set_property(*c, "Text", *value);
      } else if (is_class(*c, "TFileListBox")) {
        if (file_exists(*value)) set_folder_control(*c, *value, true);
        else if (folder_exists(*value)) set_folder_control(*c, *value, false);
      } else if (is_class(*c, "TDirectoryListBox") || is_class(*c, "TPTShellTree") || is_class(*c, "TPTShellList")) {
        if (folder_exists(*value)) set_folder_control(*c, *value, false);
      } else if (is_class(*c, "TDriveComboBox")) {
        if (!value->empty() && folder_exists(value->substr(0, 1) + ":\\")) set_folder_control(*c, value->substr(0, 1), false);
      } else if (is_class(*c, "TPTShellCombo")) {
        std::string folder = NormalizeBackslashes(*value);
        if (folder_exists(folder)) set_folder_control(*c, folder, false);
      }
    } catch (const std::exception&) {
      // A control that cannot take the value keeps what it shows.
    }
  }
}

void refresh_captions(TPoolTemplate& page) {
  for (Component* c : page.form().components()) {
    if (!captioned_for_refresh(*c)) continue;
    if ((is_class(*c, "TStaticText") || is_class(*c, "TGlowLabel")) && c->tag() >= 1 && c->tag() <= 6) continue;
    std::string key = TextTable::Key(dialog_file_name(page), c->name());
    if (!text_table().Contains(key)) continue;
    std::string text = displayed_text(page, *c, "");
    if (get_property(*c, "Caption").value_or("") != text) set_quiet(*c, "Caption", text);
  }
}

void record_target_folder(TPoolTemplate& page) {
  std::string target = variables().ExpandNormalized(variables().Get("TARGETDIR"));
  state_of(page).target = RecordTargetFolder(target, folder_exists);
}

void browse_target_folder(TPoolTemplate& page, const std::string& chosen_folder) {
  std::string result = BrowseResult(state_of(page).target, chosen_folder);
  for (Component* c : page.form().components()) {
    if (!is_class(*c, "TEdit") || c->tag() != 2) continue;
    set_quiet(*c, "Text", result);
    handle_event(page, *c, "OnChange");
  }
  refresh_status_texts(page);
  evaluate_rules(page);
}

void bind_dialog(TPoolTemplate& page) {
  DialogHost& host = dialog_host();
  if (host.silent()) return;
  PageState& state = state_of(page);
  state.trees.clear();
  state.lists.clear();
  // Binding happens before the page is shown; the folder controls need the target now.
  record_target_folder(page);
  {
    EventsSuspended suspended;
    for (Component* c : page.form().components()) {
      if (EqualsNoCase(c->name(), "cmpFormDesigner")) continue;
      bind_control(page, *c);
    }
    bind_form(page);
    refresh_status_texts(page);
    evaluate_rules(page);
    state.bound = true;
  }
  for (Component* tree : state.trees) tree_selection_changed(page, *tree);
  for (Component* list : state.lists) {
    list_item_clicked(page, *list);
    if (list->tag() == 1 || !hint_of(*list).empty()) list_check_changed(page, *list);
  }
}

void unbind_dialog(TPoolTemplate& page) {
  DialogHost& host = dialog_host();
  host.last_unbound_window = page.hwnd();
  EventsSuspended suspended;
  PageState& state = state_of(page);
  state.bound = false;
  for (Component* c : state.subclassed) remove_key_watch(*c);
  state.subclassed.clear();
  stop_scroll_watch(page);
  refresh_status_texts(page);
  evaluate_rules(page);
}

void install_binding(DialogHost& host) {
  if (!binding_services().components) binding_services().components = &native_components();
  DialogHooks& h = host.hooks;
  h.bind = [](const std::string&, TPoolTemplate& page) { bind_dialog(page); };
  h.unbind = [](const std::string&, TPoolTemplate& page) { unbind_dialog(page); };
  h.event = [](TPoolTemplate& page, Component& c, std::string_view event) {
    if (state_of(page).bound) handle_event(page, c, event);
  };
  h.evaluate_rules = [](TPoolTemplate& page) { evaluate_rules(page); };
  h.browse_target_folder = [](TPoolTemplate& page, const std::string& folder) { browse_target_folder(page, folder); };
  h.refresh = [](TPoolTemplate& page) {
    refresh_status_texts(page);
    refresh_tag100(page);
  };
  h.shown = [](TPoolTemplate& page) { record_target_folder(page); };
  h.unloaded = [] {
    text_table().Clear();
    page_states().clear();
  };
}

}  // namespace qel::wizard::binding
