#include "commands/catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/variables.h"

namespace qel::commands {
namespace {

TEST(CommandCatalogue, NamesAreUniqueAndOwned) {
  std::set<std::string_view> names;
  for (const CatalogueEntry& entry : CommandCatalogue()) {
    EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
    EXPECT_FALSE(entry.owner.empty()) << entry.name;
  }
  EXPECT_EQ(CommandOwner("Get System Settings"), kOwnerQueries);
  EXPECT_EQ(CommandOwner("If"), kOwnerEngine);
  EXPECT_EQ(CommandOwner("Code Folding Region"), "");
  EXPECT_EQ(CommandOwner("parse string"), "");  // exact names only
}

TEST(RegisterCatalogue, HandsOverEveryNonEngineNameOnce) {
  AddPortableCommandHandlers();
  std::set<std::string> registered;
  bool ran = false;
  AddCommandHandler("MessageBox", [&](const CommandParams&) { ran = true; });
  RegisterCatalogue([&](std::string_view name, std::string_view owner, CommandHandler handler) {
    EXPECT_NE(owner, kOwnerEngine);
    EXPECT_TRUE(handler) << name;
    EXPECT_TRUE(registered.insert(std::string(name)).second);
    if (name == "MessageBox") {
      TVariableManager vars;
      handler(CommandParams(vars, name, "{K}", nullptr));
    }
  });
  EXPECT_TRUE(registered.count("Parse String"));
  EXPECT_TRUE(registered.count("Run Program"));
  EXPECT_FALSE(registered.count("Set Variable"));
  EXPECT_FALSE(registered.count("Terminate with Exit Code"));

  const auto pending = PendingCommandNames();
  std::set<std::string_view> pending_set(pending.begin(), pending.end());
  EXPECT_FALSE(pending_set.count("Parse String"));
  EXPECT_FALSE(pending_set.count("MessageBox"));
  EXPECT_TRUE(pending_set.count("Run Program"));
  EXPECT_TRUE(ran);  // the handler added last is the one handed over
}

}  // namespace
}  // namespace qel::commands
