#include "commands/engine_binding.h"

#include <gtest/gtest.h>

#include "commands/catalogue.h"
#include "engine/dispatch.h"

namespace qel::commands {
namespace {

TEST(EngineBinding, EveryCatalogueNameReachesTheTableWithoutReplacingExistingHandlers) {
  // A family registered before the library must keep its handler for a name the
  // library has no handler for yet.
  AddPortableCommandHandlers();
  std::string pending_name(PendingCommandNames().front());
  register_command(pending_name, [](Statement&) {}, "test");
  BindCommandsToEngine();
  for (const CatalogueEntry& entry : CommandCatalogue()) {
    if (entry.owner == kOwnerEngine) continue;
    EXPECT_TRUE(command_table().contains(entry.name)) << entry.name;
  }
  EXPECT_EQ(command_table().find(pending_name)->owner, "test");
}

}  // namespace
}  // namespace qel::commands
