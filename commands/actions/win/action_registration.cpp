#include <string_view>

#include "commands/actions/win/action_commands.h"
#include "commands/catalogue.h"
#include "commands/plugin/win/plugin_runner.h"
#include "engine/dispatch.h"
#include "engine/executor.h"

namespace qel::commands::actions {

namespace {

struct NamedAction {
  std::string_view name;
  ActionHandler handler;
};

constexpr NamedAction kActions[] = {
    {"Run Program", RunProgramCommand},
    {"Run Program As", RunProgramAsCommand},
    {"Terminate Process", TerminateProcessCommand},
    {"Terminate Program", TerminateProgramCommand},
    {"Delete Registry", DeleteRegistryCommand},
    {"Find All Files", FindAllFilesCommand},
    {"Delete Files Recursive", DeleteFilesRecursiveCommand},
    {"Register Library", RegisterLibraryCommand},
    {"MessageBox", MessageBoxCommand},
    {"MessageBalloon", MessageBalloonCommand},
    {"System Tray", SystemTrayCommand},
    {"Reboot Computer", RebootComputerCommand},
    {"Reboot and Resume", RebootAndResumeCommand},
    {"Reboot and Login", RebootAndLoginCommand},
};

}  // namespace

// These commands may end the script, which needs the executor: they go into the
// executor's table directly, with the statement at hand.
void AddActionCommands() {
  for (const NamedAction& action : kActions) {
    register_command(
        action.name,
        [handler = action.handler](Statement& statement) {
          CommandParams params(statement.vars(), statement.name(), statement.key(),
                               [&statement](int n) { return statement.parameter(n); });
          Executor& executor = statement.executor();
          ActionFrame frame{params, executor.silent(), [&executor] { executor.stop(); }};
          handler(frame);
        },
        kOwnerActions);
  }
  plugin::InstallPluginRunner();
}

}  // namespace qel::commands::actions
