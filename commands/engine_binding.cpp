#include "commands/engine_binding.h"

#include <algorithm>
#include <string>

#include "commands/catalogue.h"
#include "engine/dispatch.h"

namespace qel::commands {

void BindCommandsToEngine() {
  const std::vector<std::string_view> pending = PendingCommandNames();
  RegisterCatalogue([&](std::string_view name, std::string_view owner, CommandHandler handler) {
    bool is_pending = std::find(pending.begin(), pending.end(), name) != pending.end();
    if (is_pending && command_table().contains(name)) return;
    register_command(
        name,
        [handler = std::move(handler)](Statement& statement) {
          CommandParams params(statement.vars(), statement.name(), statement.key(),
                               [&statement](int n) { return statement.parameter(n); });
          handler(params);
        },
        owner);
  });
}

}  // namespace qel::commands
