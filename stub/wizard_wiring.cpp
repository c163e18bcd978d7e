#include "stub/wizard_wiring.h"

#include <vector>

#include "commands/actions/action_hooks.h"
#include "commands/worker_wait.h"
#include "engine/ascii.h"
#include "engine/dispatch.h"
#include "engine/executor.h"
#include "engine/setup_caption.h"
#include "engine/startup_hooks.h"
#include "lang/language_strings.h"
#include "stub/dialog_preloader.h"
#include "wizard/binding/dialog_binding.h"
#include "wizard/dialog_host.h"
#include "wizard/progress/progress_display.h"
#include "wizard/tray/image_list_pool.h"
#include "wizard/tray/taskbar.h"
#include "wizard/tray/tray.h"

namespace qel::stub {

namespace {

constexpr int kCancelQuestionString = 40;
constexpr int kDisplayDialogParameters = 6;

wizard::DialogCommandState& command_state() {
  static wizard::DialogCommandState state;
  return state;
}

void prepare_host(const std::string& support_folder) {
  wizard::dialog_host().prepare(support_folder);
  wizard::create_image_list_pool();
}

void load_page(const std::string& dfm_path, const std::string& key) {
  wizard::DialogHost& host = wizard::dialog_host();
  host.load_dialog(key, dfm_path);
  if (wizard::TPoolTemplate* page = host.dialog(key)) wizard::progress::attach_page(*page);
}

void display_dialog(Statement& statement) {
  std::vector<std::string> parameters;
  for (int n = 1; n <= kDisplayDialogParameters; ++n) parameters.push_back(statement.parameter(n));
  const bool in_loop = inside_wizard_loop(statement.executor().script(), statement.index());
  wizard::DisplayDialogResult r = wizard::run_display_dialog(statement.index(), parameters, in_loop, command_state());
  if (r.skipped) return;
  std::string name;
  if (wizard::TPoolTemplate* page = wizard::dialog_host().dialog(std::to_string(statement.index())))
    name = page->outcome_name;
  statement.executor().set_dialog_outcome(outcome_word(r.outcome, name));
}

void hide_dialog(Statement&) { wizard::run_hide_dialog(command_state()); }

void end_of_script() {
  wizard::dialog_host().unload_all();
  wizard::tray::shutdown();
  wizard::free_image_list_pool();
  command_state() = {};
}

}  // namespace

bool inside_wizard_loop(const ScriptLists& script, size_t index) {
  for (size_t k = index; k-- > 0;) {
    if (script.inactive(k)) continue;
    const std::string& name = script.name(k);
    if (name == "Wizard Loop") return true;
    if (name == "End") return false;
  }
  return false;
}

std::string outcome_word(int outcome, const std::string& outcome_name) {
  switch (outcome) {
    case 0: return "NOTMODAL";
    case wizard::kOutcomeCancel: return "CANCEL";
    case wizard::kOutcomeNext: return "NEXT";
    case wizard::kOutcomeBack: return "BACK";
    case wizard::kOutcomeNamed: return ToUpperAscii(outcome_name);
    case wizard::kOutcomeFinished: return "FINISHED";
    default: return "";
  }
}

void install_wizard() {
  set_dialog_preloader(&prepare_host, &load_page);
  register_command("Display Dialog", &display_dialog, "wizard");
  register_command("Hide Dialog", &hide_dialog, "wizard");

  wizard::DialogHooks& hooks = wizard::dialog_host().hooks;
  if (!hooks.taskbar_paused) hooks.taskbar_paused = [](bool paused) { wizard::taskbar::pause_error(paused, false); };
  if (!hooks.setup_caption) hooks.setup_caption = [] { return setup_caption(); };
  if (!hooks.cancel_question)
    hooks.cancel_question = [] {
      // Without lang.loc the string is empty; a blank Yes/No question would leave the user guessing.
      const std::string& text = lang_string(kCancelQuestionString);
      return text.empty() ? std::string("Are you sure you want to cancel the setup?") : text;
    };

  wizard::binding::install_binding(wizard::dialog_host());

  wizard::progress::DisplayHooks& progress = wizard::progress::display_hooks();
  if (!progress.worker_running) progress.worker_running = [] { return commands::WorkerRunning(); };
  if (!progress.refresh_captions) progress.refresh_captions = &wizard::binding::refresh_captions;

  // The immediate actions reach the tray form and the taskbar through these.
  commands::actions::ActionHooks& actions = commands::actions::action_hooks();
  if (!actions.taskbar_request)
    actions.taskbar_request = [](bool on, bool error) { wizard::taskbar::pause_error(on, error); };
  if (!actions.show_balloon)
    actions.show_balloon = [](const commands::actions::BalloonRequest& r) {
      wizard::tray::show_balloon(r.title, r.text, static_cast<wizard::tray::BalloonIcon>(r.icon),
                                 wizard::tray::balloon_seconds(r.timeout_ms / 1000));
    };
  if (!actions.system_tray)
    actions.system_tray = [](const commands::actions::TrayRequest& r) {
      if (!r.silent) wizard::tray::system_tray(r.minimize_to_tray, r.show_icon, r.restore_window, r.remove_icon);
    };

  startup_hooks().exit_script_actions.push_back(&end_of_script);
}

}  // namespace qel::stub
