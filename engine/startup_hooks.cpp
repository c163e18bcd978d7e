#include "engine/startup_hooks.h"

#include "engine/variables.h"

namespace qel {

StartupHooks& startup_hooks() {
  static StartupHooks hooks;
  return hooks;
}

void default_bootstrap(TVariableManager& vars, const Payload& payload) {
  vars.DeclareOrAssign("PRODUCTCODE", payload.product_code, kContextInitialization);
  vars.DeclareOrAssign("REVISIONCODE", payload.revision_code, kContextInitialization);
  vars.DeclareOrAssign("MAINTENANCE", "FALSE", kContextInitialization);
}

bool default_language_choice(TVariableManager&, const Payload& payload, bool, std::string& language) {
  language = payload.default_language;
  return true;
}

void run_bootstrap(TVariableManager& vars, const Payload& payload) {
  if (startup_hooks().bootstrap)
    startup_hooks().bootstrap(vars, payload);
  else
    default_bootstrap(vars, payload);
}

bool run_language_choice(TVariableManager& vars, const Payload& payload, bool silent, std::string& language) {
  if (startup_hooks().choose_language) return startup_hooks().choose_language(vars, payload, silent, language);
  return default_language_choice(vars, payload, silent, language);
}

}  // namespace qel
