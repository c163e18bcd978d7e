// The start-up steps that other parts of the engine fill in later: the product
// identity (bootstrap), the language choice, the predefined component and the
// activation of deferred statements. Until they are installed the defaults below
// run.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/payload.h"

namespace qel {

class TVariableManager;

struct StartupHooks {
  // Identity, engine cache, maintenance detection, default target folder. Also
  // run again when a cache override is applied.
  std::function<void(TVariableManager&, const Payload&)> bootstrap;
  // Chooses the setup language (may show a dialog unless silent). Returns false
  // when the user cancelled; language receives the choice.
  std::function<bool(TVariableManager&, const Payload&, bool silent, std::string& language)> choose_language;
  std::function<void()> define_predefined_component;
  std::function<void()> activate_deferred_statements;
  // Loads the translation files of a language from the support folder; false
  // when a file failed to load.
  std::function<bool(const std::string& language)> load_translations;
  // The translated text of a statement's parameter (slot from 1); false when
  // there is none.
  std::function<bool(std::string_view key, int slot, std::string& text)> translate;
  // The engine cache root (trailing backslash) for all users or the current user.
  std::function<std::string(TVariableManager&, bool all_users)> cache_root;
  // Clean-up of other parts at the end of the script (open text file, dialogs,
  // tray icon), run by ExitScript in this order.
  std::vector<std::function<void()>> exit_script_actions;
};

// The process-wide hooks; members left empty run the defaults.
StartupHooks& startup_hooks();

// Until the identity part exists: PRODUCTCODE and REVISIONCODE from the payload,
// MAINTENANCE "FALSE" (context "Initialization").
void default_bootstrap(TVariableManager& vars, const Payload& payload);

// Until the language part exists: the payload's default language, never cancelled.
bool default_language_choice(TVariableManager& vars, const Payload& payload, bool silent, std::string& language);

// Calls the installed hook or the default.
void run_bootstrap(TVariableManager& vars, const Payload& payload);
bool run_language_choice(TVariableManager& vars, const Payload& payload, bool silent, std::string& language);

}  // namespace qel
