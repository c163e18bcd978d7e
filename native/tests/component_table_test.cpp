#include "native/components/component_table.h"

#include <gtest/gtest.h>

#include "native/components/component_statements.h"
#include "native/tests/native_fixture.h"

namespace qel::native {
namespace {

using testing::Params;

class ComponentStatementsTest : public ::testing::Test {
 protected:
  void SetUp() override { component_table().Clear(); }
  void TearDown() override { component_table().Clear(); }
  void Run(void (*statement)(const commands::CommandParams&), const std::string& name,
           std::vector<std::string> lines) {
    statement(Params(vars, name, std::move(lines)));
  }
  std::string GetState(const std::string& component) {
    Run(GetComponentStateStatement, "Get Component State", {component, "$Result$"});
    return vars.Get("RESULT");
  }
  TVariableManager vars;
};

TEST_F(ComponentStatementsTest, DeletedComponentReadsFalse) {
  Run(DefineComponentStatement, "Define Component", {"Main", "TRUE", "Main files"});
  EXPECT_EQ(GetState("main"), "TRUE");
  Run(DeleteComponentStatement, "Delete Component", {"MAIN"});
  EXPECT_EQ(GetState("Main"), "FALSE");
  EXPECT_EQ(GetState("Unknown"), "FALSE");
  Run(DefineComponentStatement, "Define Component", {"Main", "FALSE", ""});
  EXPECT_EQ(GetState("Main"), "TRUE") << "defining again restores it and keeps its state";
}

TEST_F(ComponentStatementsTest, DefineKeepsExistingStateAndUpdatesDescription) {
  Run(DefineComponentStatement, "Define Component", {"Docs", "FALSE", "first"});
  Run(DefineComponentStatement, "Define Component", {"docs", "TRUE", "second"});
  ASSERT_EQ(component_table().names.size(), 1u);
  EXPECT_EQ(component_table().states[0], "FALSE");
  EXPECT_EQ(component_table().descriptions[0], "second");
  EXPECT_EQ(component_table().sizes, (std::vector<std::string>{"Docs", "0"}));
  // An empty stored state (a short loaded file) is filled.
  component_table().states[0] = "";
  Run(DefineComponentStatement, "Define Component", {"Docs", "TRUE", ""});
  EXPECT_EQ(component_table().states[0], "TRUE");
}

TEST_F(ComponentStatementsTest, SpaceOnlyForNumbersAndKnownComponents) {
  Run(DefineComponentStatement, "Define Component", {"A", "TRUE", ""});
  Run(DefineComponentStatement, "Define Component", {"B", "FALSE", ""});
  Run(DefineComponentStatement, "Define Component", {"C", "TRUE", ""});
  const struct {
    const char* name;
    const char* size;
  } sets[] = {{"A", "5000000000"}, {"B", "300"}, {"C", "70"}, {"A", "12abc"}, {"A", ""}, {"A", "1e3"},
              {"Nope", "5"}};
  for (const auto& s : sets) Run(SetComponentSpaceStatement, "Set Component Space", {s.name, s.size});
  EXPECT_EQ(component_table().Size("A"), 5000000000);
  EXPECT_FALSE(component_table().Exists("Nope"));
  EXPECT_EQ(component_table().sizes.size(), 6u) << "no pair for an undefined name";

  Run(GetComponentSpaceStatement, "Get Component Space", {"b", "space"});
  EXPECT_EQ(vars.Get("SPACE"), "300");
  Run(GetComponentSpaceStatement, "Get Component Space", {"", "space"});
  EXPECT_EQ(vars.Get("SPACE"), "5000000070") << "selected and not deleted";
  Run(DeleteComponentStatement, "Delete Component", {"C"});
  component_table().set_installed_baseline(1000000000);
  Run(GetComponentSpaceStatement, "Get Component Space", {"", "space"});
  EXPECT_EQ(vars.Get("SPACE"), "4000000000");
  Run(GetComponentSpaceStatement, "Get Component Space", {"Unknown", "space"});
  EXPECT_EQ(vars.Get("SPACE"), "0");
}

TEST_F(ComponentStatementsTest, VisibilityChoiceAndStateLists) {
  Run(DefineComponentStatement, "Define Component", {"Tools\\Debug", "FALSE", "debugging"});
  for (int i = 0; i < 2; ++i) {
    Run(SetComponentVisibilityStatement, "Set Component Visibility", {"tools\\debug", "FALSE"});
    Run(SetComponentChoiceStatement, "Set Component Choice", {"Tools\\Debug", "FALSE"});
  }
  Run(SetComponentVisibilityStatement, "Set Component Visibility", {"Ghost", "FALSE"});
  Run(SetComponentStateStatement, "Set Component State", {"Ghost", "TRUE"});
  Run(SetComponentStateStatement, "Set Component State", {"TOOLS\\DEBUG", "TRUE"});
  EXPECT_EQ(component_table().hidden, std::vector<std::string>{"tools\\debug"});
  EXPECT_EQ(component_table().fixed, std::vector<std::string>{"Tools\\Debug"});
  EXPECT_EQ(component_table().names.size(), 1u);

  std::optional<ComponentInfo> info = component_table().Find("tools\\debug");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->parent, "Tools");
  EXPECT_EQ(info->leaf, "Debug");
  EXPECT_EQ(info->description, "debugging");
  EXPECT_TRUE(info->selected);
  EXPECT_FALSE(info->visible);
  EXPECT_TRUE(info->fixed);

  Run(SetComponentVisibilityStatement, "Set Component Visibility", {"Tools\\Debug", "TRUE"});
  Run(SetComponentChoiceStatement, "Set Component Choice", {"Tools\\Debug", "-1"});
  EXPECT_TRUE(component_table().hidden.empty());
  EXPECT_TRUE(component_table().fixed.empty());
}

TEST_F(ComponentStatementsTest, PredefinedComponentIsSelectedAndNeverShown) {
  DefinePredefinedComponent();
  std::optional<ComponentInfo> info = component_table().Find("OXLE-PREDEF-COMPONENT");
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->selected);
  EXPECT_FALSE(info->visible);
}

TEST_F(ComponentStatementsTest, TranslatedNameTakesTheUntranslatedSize) {
  Run(DefineComponentStatement, "Define Component", {"Program", "TRUE", ""});
  component_table().SetSize("Program", "4096");
  testing::SlotTranslator translator({{1, "Programm"}});
  testing::TranslatorScope scope(&translator);
  Run(DefineComponentStatement, "Define Component", {"Program", "TRUE", ""});
  EXPECT_EQ(component_table().Size("Programm"), 4096);
  EXPECT_TRUE(component_table().Exists("Programm"));
}

}  // namespace
}  // namespace qel::native
