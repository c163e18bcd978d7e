#include "wizard/binding/component_choices.h"

#include <gtest/gtest.h>

namespace qel::wizard::binding {
namespace {

using Row = MemoryComponentTable::Row;

MemoryComponentTable Sample() {
  MemoryComponentTable t;
  t.rows = {
      {"OXLE-PREDEF-COMPONENT", true, "", 0},
      {"App", true, "The program", 1000},
      {"App\\Help", true, "Help files", 200},
      {"App\\Help\\German", false, "", 50},
      {"Application", true, "Another top-level", 10},
      {"Extras", false, "", 400},
      {"Extras\\Secret", false, "", 7},
      {"Gone", true, "", 5000},
      {"Tools", true, "", 30},
  };
  t.rows[7].deleted = true;
  t.rows[5].hidden = true;  // Extras and, through it, Extras\Secret
  return t;
}

std::vector<bool> States(const MemoryComponentTable& t) {
  std::vector<bool> out;
  for (const Row& r : t.rows) out.push_back(r.state);
  return out;
}

TEST(ComponentChoices, TreeAndListSkipReservedDeletedAndHidden) {
  MemoryComponentTable t = Sample();
  EXPECT_EQ(TreeComponents(t),
            (std::vector<std::string>{"App", "App\\Help", "App\\Help\\German", "Application", "Tools"}));
  EXPECT_EQ(ListComponents(t), (std::vector<std::string>{"App", "Application", "Tools"}));
}

TEST(ComponentChoices, ListItemChangesEveryComponentStartingWithIt) {
  MemoryComponentTable t = Sample();
  // Only "App" is in the item list: unchecking it reaches its sub-components
  // and, by the start of the name, "Application" too.
  ApplyListChecks(t, {"App"}, {false});
  EXPECT_FALSE(t.State("App"));
  EXPECT_FALSE(t.State("App\\Help"));
  EXPECT_FALSE(t.State("App\\Help\\German"));
  EXPECT_FALSE(t.State("Application"));
  EXPECT_TRUE(t.State("Tools"));
  // With "Application" as a later item of its own, its own check wins.
  ApplyListChecks(t, {"app", "Application"}, {true, false});
  EXPECT_TRUE(t.State("App\\Help\\German"));
  EXPECT_FALSE(t.State("Application"));
}

TEST(ComponentChoices, FixedComponentsAndTheirChildrenKeepTheirState) {
  MemoryComponentTable t = Sample();
  t.rows[2].fixed = true;  // App\Help
  ApplyListChecks(t, {"App"}, {false});
  EXPECT_FALSE(t.State("App"));
  EXPECT_TRUE(t.State("App\\Help"));
  EXPECT_FALSE(t.State("App\\Help\\German"));  // was FALSE and is fixed through its parent
  t.rows[3].state = true;
  ApplyListChecks(t, {"App"}, {false});
  EXPECT_TRUE(t.State("App\\Help\\German"));
  EXPECT_TRUE(FixedWithAncestors(t, "App\\Help\\German"));
  EXPECT_FALSE(FixedWithAncestors(t, "App"));
}

TEST(ComponentChoices, MenuActions) {
  struct Case {
    const char* name;
    MenuAction action;
    std::vector<bool> expected;  // in Sample() row order
  };
  // Rows: predef, App, App\Help, App\Help\German, Application, Extras, Extras\Secret, Gone, Tools
  const Case cases[] = {
      {"App\\Help\\German", MenuAction::InstallOnly, {true, true, true, true, true, false, false, true, true}},
      {"App", MenuAction::InstallWithChildren, {true, true, true, true, true, false, false, true, true}},
      {"App", MenuAction::Unavailable, {true, false, false, false, true, false, false, true, true}},
      {"App", MenuAction::DoNotInstallOnly, {true, false, true, false, true, false, false, true, true}},
      {"Extras\\Secret", MenuAction::InstallOnly, {true, true, true, false, true, true, true, true, true}},
  };
  for (const Case& c : cases) {
    MemoryComponentTable t = Sample();
    ApplyMenuAction(t, c.name, c.action);
    EXPECT_EQ(States(t), c.expected) << c.name << " action " << static_cast<int>(c.action);
  }
}

TEST(ComponentChoices, InstallWithChildrenSkipsFixedDescendants) {
  MemoryComponentTable t = Sample();
  t.rows[1].state = false;
  t.rows[2].state = false;
  t.rows[2].fixed = true;
  ApplyMenuAction(t, "App", MenuAction::InstallWithChildren);
  EXPECT_TRUE(t.State("App"));
  EXPECT_FALSE(t.State("App\\Help"));
  EXPECT_FALSE(t.State("App\\Help\\German"));
  // "Application" is not below "App" in the tree.
  t.rows[4].state = false;
  ApplyMenuAction(t, "App", MenuAction::InstallWithChildren);
  EXPECT_FALSE(t.State("Application"));
}

TEST(ComponentChoices, RequiredSpaceCountsSelectedNotDeletedMinusBaseline) {
  MemoryComponentTable t = Sample();
  // App 1000 + App\Help 200 + Application 10 + Tools 30; Gone is deleted.
  EXPECT_EQ(RequiredSpace(t), 1240);
  t.baseline = 1500;
  EXPECT_EQ(RequiredSpace(t), -260);
}

}  // namespace
}  // namespace qel::wizard::binding
