#include "native/components/selection_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/bitness.h"
#include "native/components/component_statements.h"
#include "native/tests/native_fixture.h"

namespace qel::native {
namespace {

ComponentTable SampleTable() {
  ComponentTable t;
  t.Define("OXLE-PREDEF-COMPONENT", true, "");
  t.Define("Main", true, "main files");
  t.Define("Extras", false, "extras");
  t.Define("Docs", true, "docs");
  t.SetSize("Main", "1000");
  t.SetSize("Docs", "50");
  t.Delete("Docs");
  t.SetVisible("Extras", false);
  t.SetChoosable("Main", false);
  t.AddSavedVariable("COMPANY");
  return t;
}

SelectionValues SampleValues() {
  SelectionValues v;
  v.target_dir = "C:\\Program Files\\Demo";
  v.all_users = "TRUE";
  v.start_menu = "Demo";
  v.saved = {{"COMPANY", "Fern\r\nmoor"}};
  v.bitness = "x64";
  v.override_cache = "C:\\Cache";
  v.native_engine = "TRUE";
  return v;
}

TEST(SelectionFileTest, WritesTheExactLayout) {
  const std::string expected =
      "OXLE-PREDEF-COMPONENT\r\nMain\r\nExtras\r\nDocs\r\n$\r\n"
      "TRUE\r\nTRUE\r\nFALSE\r\nTRUE\r\n$\r\n"
      "Docs\r\n$\r\nExtras\r\n$\r\nMain\r\n$\r\n"
      "OXLE-PREDEF-COMPONENT\r\n0\r\nMain\r\n1000\r\nExtras\r\n0\r\nDocs\r\n50\r\n$\r\n"
      "C:\\Program Files\\Demo\r\nTRUE\r\nDemo\r\n\r\n"
      "COMPANY\r\nFern$NEWLINE$moor\r\n"
      "OXLE64WOW\r\nx64\r\nOVERRIDECACHE\r\nC:\\Cache\r\nNATIVE_ENGINE\r\nTRUE\r\n";
  EXPECT_EQ(WriteFeatureSelections(SampleTable(), SampleValues()), expected);
}

TEST(SelectionFileTest, ReadsBackWhatWasWritten) {
  SelectionValues values = SampleValues();
  values.data_folder = "D:\\setup\\data\\";
  FeatureSelections f = ParseFeatureSelections(WriteFeatureSelections(SampleTable(), values));
  ComponentTable t = SampleTable();
  EXPECT_EQ(f.names, t.names);
  EXPECT_EQ(f.states, t.states);
  EXPECT_EQ(f.deleted, t.deleted);
  EXPECT_EQ(f.hidden, t.hidden);
  EXPECT_EQ(f.fixed, t.fixed);
  EXPECT_EQ(f.sizes, t.sizes);
  EXPECT_EQ(f.target_dir, values.target_dir);
  EXPECT_EQ(f.data_folder, "D:\\setup\\data\\");
  const std::vector<std::pair<std::string, std::string>> vars = {
      {"COMPANY", "Fern$NEWLINE$moor"}, {"OXLE64WOW", "x64"}, {"OVERRIDECACHE", "C:\\Cache"}, {"NATIVE_ENGINE", "TRUE"}};
  EXPECT_EQ(f.variables, vars);
  EXPECT_EQ(SelectedSize(f), 1000) << "Docs is deleted, Extras not selected";
}

TEST(SelectionFileTest, FullReadReplacesTableAndSetsVariablesBitnessAndDataFolder) {
  TVariableManager vars;
  ComponentTable table;
  table.Define("Old", true, "");
  SelectionValues values = SampleValues();
  values.data_folder = "E:\\src\\";
  std::string bitness, data_folder;
  ApplyHooks hooks{[&](const std::string& b) { bitness = b; }, [&](const std::string& d) { data_folder = d; }};
  ApplyFeatureSelections(ParseFeatureSelections(WriteFeatureSelections(SampleTable(), values)), false, table, vars,
                         hooks);
  EXPECT_EQ(table.names, SampleTable().names);
  EXPECT_EQ(table.descriptions.size(), table.names.size());
  EXPECT_EQ(vars.Get("TARGETDIR"), "C:\\Program Files\\Demo");
  EXPECT_EQ(vars.Get("COMPANY"), "Fern$NEWLINE$moor");
  EXPECT_EQ(vars.Get("NATIVE_ENGINE"), "TRUE");
  EXPECT_FALSE(vars.Exists("OXLE64WOW"));
  EXPECT_EQ(bitness, "x64");
  EXPECT_EQ(data_folder, "E:\\src\\");
  EXPECT_EQ(table.saved_variables(), std::vector<std::string>{"COMPANY"});
}

TEST(SelectionFileTest, MergeTakesStatesOfKnownComponentsOnly) {
  TVariableManager vars;
  ComponentTable table;
  table.Define("main", false, "mine");
  table.Define("Extras", true, "");
  table.SetVisible("main", false);
  bool data_folder_set = false;
  ApplyHooks hooks{nullptr, [&](const std::string&) { data_folder_set = true; }};
  ApplyFeatureSelections(ParseFeatureSelections(WriteFeatureSelections(SampleTable(), SampleValues())), true, table,
                         vars, hooks);
  EXPECT_EQ(table.names, (std::vector<std::string>{"main", "Extras"})) << "undefined file components are ignored";
  EXPECT_EQ(table.states, (std::vector<std::string>{"TRUE", "FALSE"}));
  EXPECT_EQ(table.descriptions[0], "mine");
  EXPECT_EQ(table.hidden, std::vector<std::string>{"Extras"});
  EXPECT_EQ(table.fixed, std::vector<std::string>{"Main"});
  EXPECT_EQ(table.deleted, std::vector<std::string>{"Docs"});
  EXPECT_EQ(table.sizes, (std::vector<std::string>{"main", "0", "Extras", "0"}));
  EXPECT_FALSE(data_folder_set);
  EXPECT_EQ(vars.Get("STARTMENU"), "Demo");
}

TEST(SelectionFileTest, ShortAndOddFilesReadSafely) {
  const char* texts[] = {"", "A\r\n", "A\nB\n$\nTRUE\n$\n$\n$\n$\nA\n", "$\n$\n$\n$\n$\nA\n5\nB\n$\nT\nF\nS\n\nNAME"};
  for (const char* text : texts) {
    FeatureSelections f = ParseFeatureSelections(text);
    EXPECT_EQ(f.sizes.size() % 2, 0u) << text;
    TVariableManager vars;
    ComponentTable table;
    ApplyFeatureSelections(f, false, table, vars, {});
    EXPECT_EQ(table.states.size(), table.names.size()) << text;
    table.Define("X", true, "");  // the lists stay usable
    EXPECT_TRUE(table.IsSelected("X")) << text;
  }
  FeatureSelections f = ParseFeatureSelections("$\n$\n$\n$\n$\nA\n5\nB\n$\nT\nF\nS\n\nNAME");
  EXPECT_EQ(f.sizes, (std::vector<std::string>{"A", "5"}));
  ASSERT_EQ(f.variables.size(), 1u);
  EXPECT_EQ(f.variables[0], (std::pair<std::string, std::string>{"NAME", ""}));
}

TEST(SelectionFileTest, SaveAndLoadStatementsThroughAFile) {
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / "qel_selection_test.dat";
  component_table().Clear();
  TVariableManager& vars = variables();
  vars.Define("TARGETDIR", "C:\\T");
  commands::SetBitnessMode("x64");
  component_table().Define("Main", true, "");
  component_table().Define("Opt", false, "");
  SaveFeatureSelectionsStatement(testing::Params(vars, "Save Feature Selections", {file.string()}));
  std::stringstream text;
  {
    std::ifstream in(file, std::ios::binary);
    text << in.rdbuf();
  }
  EXPECT_NE(text.str().find("OXLE64WOW\r\nx64\r\n"), std::string::npos);

  component_table().SetState("Main", false);
  component_table().Define("Late", true, "");
  commands::SetBitnessMode("Win32");
  vars.Define("TARGETDIR", "changed");
  LoadFeatureSelectionsStatement(testing::Params(vars, "Load Feature Selections", {file.string()}));
  EXPECT_EQ(component_table().states, (std::vector<std::string>{"TRUE", "FALSE", "TRUE"}));
  EXPECT_EQ(commands::BitnessMode(), "x64");
  EXPECT_EQ(vars.Get("TARGETDIR"), "C:\\T");
  // A missing file changes nothing.
  component_table().SetState("Main", false);
  LoadFeatureSelectionsStatement(testing::Params(vars, "Load Feature Selections", {file.string() + ".none"}));
  EXPECT_EQ(component_table().states[0], "FALSE");
  fs::remove(file);
  commands::SetBitnessMode("Win32");
  component_table().Clear();
}

}  // namespace
}  // namespace qel::native
