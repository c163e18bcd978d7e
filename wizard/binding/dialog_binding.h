// Binding of a wizard page's controls to script variables: run when a page is
// displayed, undone when the next page is displayed. Controls are matched by
// class, Hint (binding variable), Tag (role) and Name (translation key).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "wizard/binding/component_choices.h"
#include "wizard/dialog_host.h"

namespace qel::wizard::binding {

// What binding needs from the rest of the engine. Every member may stay empty.
struct BindingServices {
  // The active language name; "" when none.
  std::function<std::string()> active_language;
  // The translation of a control, by dialog file name and control name.
  std::function<std::optional<std::string>(std::string_view dialog_file_name, std::string_view control_name)>
      translate_control;
  // The component table shown by component trees and lists; nullptr: none.
  ComponentTableAccess* components = nullptr;
  // Free bytes on the drive of a folder; nullopt when it cannot be read.
  std::function<std::optional<int64_t>(const std::string& folder)> free_space;
};

BindingServices& binding_services();

// Plugs binding into the dialog host: bind/unbind on "Display Dialog", every
// control event, rules after navigation, the target-folder browse result and
// the refresh after a custom folder was chosen, the target recorded on show.
void install_binding(DialogHost& host);

void bind_dialog(TPoolTemplate& page);
void unbind_dialog(TPoolTemplate& page);

// Evaluates the page's control rules (its ".qelf" text).
void evaluate_rules(TPoolTemplate& page);
// Status texts: static texts and glow labels with Tag 2 to 6.
void refresh_status_texts(TPoolTemplate& page);
// Controls with Tag 100 set again from their binding variables.
void refresh_tag100(TPoolTemplate& page);
// Re-applies the text table to labels, panels, buttons, tab sheets and static
// texts (the progress display calls this on every tick).
void refresh_captions(TPoolTemplate& page);

// Records TARGETDIR and its missing tail (on every show of a page).
void record_target_folder(TPoolTemplate& page);
// The browse rule for the target folder: every TEdit with Tag 2 gets the result.
void browse_target_folder(TPoolTemplate& page, const std::string& chosen_folder);

// Per-page binding state kept beside the page.
bool is_bound(const TPoolTemplate& page);
// The name of the watched read-only memo or rich edit ("" when none).
std::string watched_control(const TPoolTemplate& page);

}  // namespace qel::wizard::binding
