#include "commands/actions/action_hooks.h"

namespace qel::commands::actions {

ActionHooks& action_hooks() {
  static ActionHooks hooks;
  return hooks;
}

}  // namespace qel::commands::actions
