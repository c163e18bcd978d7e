// The dialog host: one wizard page form per "Display Dialog" statement, loaded
// from the support folder before the script runs, shown and hidden by the two
// dialog commands, with the navigation by Tag of clickable controls.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wizard/form_runtime.h"

namespace qel::wizard {

// Outcomes of a page.
inline constexpr int kOutcomePending = -1;
inline constexpr int kOutcomeFinished = 1;
inline constexpr int kOutcomeCancel = 2;
inline constexpr int kOutcomeNext = 6;
inline constexpr int kOutcomeBack = 7;
inline constexpr int kOutcomeNamed = 8;

// One wizard page: the form read from a dialog file, with its per-page state.
class TPoolTemplate {
 public:
  TPoolTemplate(std::unique_ptr<Form> form, std::string dialog_file_name);
  Form& form() { return *form_; }
  HWND hwnd() const { return form_->hwnd(); }

  int outcome = kOutcomeNext;
  std::string outcome_name;
  std::string rules_text;       // the rules file as comma text
  bool non_modal = false;
  bool may_hide = false;
  bool worker_dialog = false;
  bool worker_started = false;
  bool skip_tick = false;
  bool glass_applied = false;
  bool glass_fallback = false;  // the glass band is painted by the page itself
  std::string selected_component;
  int separator_top = 0;           // glass fallback: the line under the glass band
  COLORREF separator_color = 0;
  UINT_PTR meta_timer = 0;      // created disabled (0 = not running)

  // The navigation action of a clickable control, by its Tag.
  void navigate(Component& control, bool pass_empty_browse);

 private:
  std::unique_ptr<Form> form_;
  std::optional<LRESULT> on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void on_event(Component& c, std::string_view event);
  void on_show();
};

// What other parts of the wizard plug in. Every hook may stay empty.
struct DialogHooks {
  std::function<void(const std::string& key, TPoolTemplate& page)> bind;
  std::function<void(const std::string& key, TPoolTemplate& page)> unbind;
  // Every event of every control, after the navigation of clickable ones.
  std::function<void(TPoolTemplate& page, Component& c, std::string_view event)> event;
  std::function<void(TPoolTemplate& page)> evaluate_rules;
  // Browse result for the target folder (navigation tag 4).
  std::function<void(TPoolTemplate& page, const std::string& folder)> browse_target_folder;
  // Refresh of status texts and variable-driven controls (after tag 6).
  std::function<void(TPoolTemplate& page)> refresh;
  std::function<std::string()> setup_caption;
  std::function<std::string()> cancel_question;
  std::function<void(bool paused)> taskbar_paused;
  // Folder chooser; "" when cancelled. Default: the shell's folder dialog.
  std::function<std::string(HWND owner)> browse_folder;
  // Starts the Windows Installer worker and waits for it (silent mode).
  std::function<void()> run_worker;
  std::function<bool()> silent;  // default: the variable store's silent flag
  // Each time a page becomes visible (FormShow), and after all pages were unloaded.
  std::function<void(TPoolTemplate& page)> shown;
  std::function<void()> unloaded;
};

class DialogHost {
 public:
  DialogHooks hooks;

  // Once, before any dialog is loaded.
  void prepare(const std::string& support_folder);
  // Reads support folder + name + ".dfm" (and its ".qelf" rules file) into a
  // page keyed by the statement index; returns the page's window. Throws
  // FormError / FormParseError when either file cannot be read.
  HWND load_dialog(const std::string& key, const std::string& dialog_file_path);
  TPoolTemplate* dialog(const std::string& key);
  size_t dialog_count() const { return table_.size(); }

  // Modal: the outcome; non-modal: the page's window handle. Silent: 6.
  intptr_t show_dialog(const std::string& key, std::string& outcome_name, bool modal, bool drive_worker);
  void hide_current();
  void unload_all();

  bool events_suspended = false;
  const std::string& dialog_folder() const { return folder_; }
  TPoolTemplate* current() const { return current_; }
  HWND last_unbound_window = nullptr;
  bool silent() const;

 private:
  struct Entry {
    std::string key;  // upper-cased
    std::unique_ptr<TPoolTemplate> page;
  };
  Entry* find(const std::string& key);
  void make_visible(TPoolTemplate& page);

  std::vector<Entry> table_;
  std::string folder_;  // with trailing backslash
  std::string shown_key_;
  TPoolTemplate* current_ = nullptr;
  HWND current_window_ = nullptr;
  RECT last_place_{0, 0, 0, 0};
  bool recenter_next_ = true;
};

DialogHost& dialog_host();

// --- the two commands ---
// What the executor keeps between dialog statements.
struct DialogCommandState {
  std::string last_displayed_key;
  std::string awaiting_unbind_key;
  HWND non_modal_window = nullptr;
};

struct DisplayDialogResult {
  bool skipped = false;
  int outcome = 0;             // 0 for a non-modal page
  int loop_direction = 0;      // inside a Wizard Loop: +1 next, -1 back, 0 stop (cancel)
  bool direction_set = false;  // whether loop_direction applies
};

// parameters: the statement's raw parameter lines (1: dialog name, 2: result
// variable, 3: modal, 4: condition variable, 5: unused, 6: condition value).
DisplayDialogResult run_display_dialog(size_t statement_index, const std::vector<std::string>& parameters,
                                       bool in_wizard_loop, DialogCommandState& state);
void run_hide_dialog(DialogCommandState& state);

}  // namespace qel::wizard
