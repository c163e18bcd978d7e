// Shared between the Win32 files of control binding.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/binding/dialog_binding.h"
#include "wizard/binding/scroll_rules.h"
#include "wizard/binding/target_folder.h"
#include "wizard/dialog_host.h"
#include "wizard/form_runtime.h"

namespace qel::wizard::binding::detail {

struct PageState {
  bool bound = false;
  TargetFolder target;
  Component* watched_memo = nullptr;
  Component* watched_rich = nullptr;
  std::vector<Component*> trees;  // component trees handled by the last bind
  std::vector<Component*> lists;  // component lists handled by the last bind
  std::vector<Component*> subclassed;
};

PageState& state_of(const TPoolTemplate& page);

// Suspends the change handlers for a scope, and restores the previous state
// also when binding throws (a track bar without an integer).
class EventsSuspended {
 public:
  EventsSuspended() : was_(dialog_host().events_suspended) { dialog_host().events_suspended = true; }
  ~EventsSuspended() { dialog_host().events_suspended = was_; }
  EventsSuspended(const EventsSuspended&) = delete;
  EventsSuspended& operator=(const EventsSuspended&) = delete;

 private:
  bool was_;
};

bool is_class(const Component& c, std::string_view class_name);
std::string hint_of(const Component& c);
// The upper-cased binding variable name; "" when the control is not bound.
std::string variable_of(const Component& c);
// The binding variable's value with variables expanded; nullopt when the
// control is not bound or the variable does not exist.
std::optional<std::string> read_binding(const Component& c);
// Writes the binding variable with the handler's name as context.
void write_binding(const Component& c, std::string_view value, std::string_view handler);

std::string dialog_file_name(TPoolTemplate& page);
// The text-table entry of a control, entered from design_text the first time.
std::string table_entry(TPoolTemplate& page, const Component& c, std::string_view design_text);
// The translation when a language is active and one exists.
std::optional<std::string> translation(TPoolTemplate& page, const Component& c);
// Table entry or translation, variables expanded.
std::string displayed_text(TPoolTemplate& page, const Component& c, std::string_view design_text);

bool folder_exists(const std::string& path);
bool file_exists(const std::string& path);
std::string read_file(const std::string& path, bool& ok);
std::string support_folder();

std::string window_text(HWND h);
// Sets a property without letting the control's own notifications through.
void set_quiet(Component& c, std::string_view property, std::string_view value);

// Binding of one control (bind_controls.cpp).
void bind_control(TPoolTemplate& page, Component& c);
void bind_form(TPoolTemplate& page);
// Change handlers (change_handlers.cpp).
void handle_event(TPoolTemplate& page, Component& c, std::string_view event);
void install_key_watch(TPoolTemplate& page, Component& c);
void remove_key_watch(Component& c);
// Folder controls: set their location, read their current value.
void set_folder_control(Component& c, const std::string& value, bool as_file_path);
// Component tree and list (component_controls.cpp).
void fill_component_tree(TPoolTemplate& page, Component& tree);
void fill_component_list(TPoolTemplate& page, Component& list);
void tree_selection_changed(TPoolTemplate& page, Component& tree);
void tree_mouse_up(TPoolTemplate& page, Component& tree);
void tree_context_key(TPoolTemplate& page, Component& tree);
void list_item_clicked(TPoolTemplate& page, Component& list);
void list_check_changed(TPoolTemplate& page, Component& list);
std::string tree_node_text(Component& tree);
// Memos and rich edits (memo_watch.cpp).
void load_support_document(TPoolTemplate& page, Component& c, int tag);
void apply_automatic_scroll_bars(Component& memo);
void set_scroll_bars(Component& c, ScrollBars bars);
ScrollBars scroll_bars_of(const Component& c);
void start_scroll_watch(TPoolTemplate& page, Component& c);
void stop_scroll_watch(TPoolTemplate& page);

}  // namespace qel::wizard::binding::detail
