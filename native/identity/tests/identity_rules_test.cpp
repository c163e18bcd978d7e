#include "native/identity/identity_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace qel::identity {
namespace {

TEST(InstanceFile, WritesThreeCrLfLinesAndReadsThemBack) {
  const InstanceIdentity identity{"{P}", "{R}", "My Product"};
  const std::string text = format_instance_file(identity);
  EXPECT_EQ(text, "{P}\r\n{R}\r\nMy Product\r\n");
  const auto read = parse_instance_file(text);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->product_code, "{P}");
  EXPECT_EQ(read->revision_code, "{R}");
  EXPECT_EQ(read->instance_name, "My Product");
}

TEST(InstanceFile, AcceptsOrRefusesByContent) {
  struct Case {
    const char* text;
    bool accepted;
    const char* name;
  };
  const Case cases[] = {
      {"{P}\n{R}\nName\n", true, "Name"},   // LF only
      {"{P}\r\n{R}\r\nName", true, "Name"},  // no final line end
      {"{P}\r\n{R}\r\n\r\n", true, ""},      // empty instance name
      {"{P}\r\n{R}\r\n", false, ""},         // two lines
      {"\r\n{R}\r\nName\r\n", false, ""},    // no product code
      {"{P}\r\n\r\nName\r\n", false, ""},    // no revision code
      {"", false, ""},
  };
  for (const Case& c : cases) {
    const auto read = parse_instance_file(c.text);
    EXPECT_EQ(read.has_value(), c.accepted) << c.text;
    if (read) {
      EXPECT_EQ(read->instance_name, c.name) << c.text;
    }
  }
}

TEST(VersionNumbers, FirstAndSecondNumbers) {
  struct Case {
    const char* version;
    uint32_t major, minor;
  };
  const Case cases[] = {
      {"5", 5, 0},          {"2.10.3", 2, 10}, {"", 0, 0},           {"1.2beta", 1, 2},
      {"x.7", 0, 7},        {"3.", 3, 0},      {".4", 0, 4},         {"99999999999.1", 0xFFFFFFFFu, 1},
      {"4294967295.0", 0xFFFFFFFFu, 0},        {"007.08", 7, 8},
  };
  for (const Case& c : cases) {
    const VersionNumbers n = split_version(c.version);
    EXPECT_EQ(n.major, c.major) << c.version;
    EXPECT_EQ(n.minor, c.minor) << c.version;
  }
}

TEST(CacheEntry, GivesTheParentOnlyForTheRevisionFolder) {
  struct Case {
    const char* entry;
    const char* revision;
    const char* root;
  };
  const Case cases[] = {
      {"C:\\ProgramData\\{R1}\\", "{R1}", "C:\\ProgramData\\"},
      {"C:\\ProgramData\\{R1}", "{R1}", "C:\\ProgramData\\"},
      {"C:\\ProgramData\\{r1}\\", "{R1}", "C:\\ProgramData\\"},  // GUID text in another case
      {"C:\\ProgramData\\{R0}\\", "{R1}", ""},
      {"C:\\ProgramData\\{R1}x\\", "{R1}", ""},
      {"", "{R1}", ""},
      {"{R1}", "{R1}", ""},  // no parent
      {"C:\\x\\{R1}\\", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cache_root_from_entry(c.entry, c.revision), c.root) << c.entry;
}

TEST(CacheRoot, OverrideThenEntriesThenShellFolder) {
  const std::set<std::string> existing = {"D:\\m\\{R}\\", "D:\\u\\{R}\\", "D:\\m\\{OLD}\\"};
  const auto exists = [&](const std::string& f) { return existing.count(f) != 0; };
  struct Case {
    const char* what;
    const char* override_folder;
    std::optional<std::string> machine;
    std::optional<std::string> user;
    const char* root;
  };
  const Case cases[] = {
      {"override without backslash", "E:\\over", "D:\\m\\{R}\\", std::nullopt, "E:\\over\\"},
      {"machine entry", "", "D:\\m\\{R}\\", "D:\\u\\{R}\\", "D:\\m\\"},
      {"machine entry of another build", "", "D:\\m\\{OLD}\\", "D:\\u\\{R}\\", "S:\\shell\\"},
      {"machine entry missing", "", std::nullopt, "D:\\u\\{R}\\", "D:\\u\\"},
      {"machine folder gone", "", "D:\\gone\\{R}\\", "D:\\u\\{R}\\", "D:\\u\\"},
      {"machine folder gone, no user entry", "", "D:\\gone\\{R}\\", std::nullopt, "S:\\shell\\"},
      {"user entry of another build", "", std::nullopt, "D:\\u\\{OLD}\\", "S:\\shell\\"},
      {"no entries", "", std::nullopt, std::nullopt, "S:\\shell\\"},
  };
  for (const Case& c : cases) {
    CacheRootInputs in{c.override_folder, c.machine, c.user, "{R}", "S:\\shell"};
    EXPECT_EQ(choose_cache_root(in, exists), c.root) << c.what;
  }
}

TEST(UninstallString, ProgramAndRevisionOfTheInstalledBuild) {
  struct Case {
    const char* value;
    const char* program;
    const char* revision;
  };
  const Case cases[] = {
      {"\"C:\\PD\\{R9}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE", "C:\\PD\\{R9}\\setup.exe", "{R9}"},
      {"C:\\PD\\{R8}\\setup.exe", "C:\\PD\\{R8}\\setup.exe", "{R8}"},
      {"setup.exe", "setup.exe", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(uninstall_program_of(c.value), c.program) << c.value;
    EXPECT_EQ(revision_of_uninstall_string(c.value), c.revision) << c.value;
  }
  EXPECT_EQ(removal_command_line("C:\\PD\\{R}\\", "setup.exe"), "\"C:\\PD\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE");
  EXPECT_EQ(uninstall_program_of(removal_command_line("C:\\PD\\{R}\\", "a b.exe")), "C:\\PD\\{R}\\a b.exe");
}

TEST(FolderNames, LastComponentParentAndFreeSibling) {
  EXPECT_EQ(last_folder_component("C:\\a\\b\\"), "b");
  EXPECT_EQ(last_folder_component("C:\\a\\b"), "b");
  EXPECT_EQ(parent_folder("C:\\a\\b\\"), "C:\\a\\");
  EXPECT_EQ(parent_folder("b"), "");
  const std::set<std::string> taken = {"C:\\PD\\~0", "C:\\PD\\~1"};
  EXPECT_EQ(first_free_sibling("C:\\PD\\{R}\\", [&](const std::string& p) { return taken.count(p) != 0; }),
            "C:\\PD\\~2");
  EXPECT_EQ(first_free_sibling("C:\\PD\\{R}", [](const std::string&) { return false; }), "C:\\PD\\~0");
  EXPECT_EQ(first_free_sibling("C:\\PD\\{R}", [](const std::string&) { return true; }), "");
  EXPECT_EQ(first_free_sibling("{R}", [](const std::string&) { return false; }), "");
}

TEST(SelectionFile, OnlyDatOrTheOneWithAFullSetup) {
  struct Case {
    const char* what;
    std::vector<std::string> files;
    const char* chosen;
  };
  const Case cases[] = {
      {"single", {"instance.dat", "setup.dat", "setup.exe"}, "setup.dat"},
      {"upper case", {"INSTANCE.DAT", "Setup.DAT"}, "Setup.DAT"},
      {"none", {"instance.dat", "setup.exe"}, ""},
      {"several, one complete",
       {"a.dat", "b.dat", "b.exe", "b.res", "b.msi", "b.par", "a.exe"},
       "b.dat"},
      {"several, first complete wins",
       {"a.dat", "b.dat", "a.exe", "a.res", "a.msi", "a.par", "b.exe", "b.res", "b.msi", "b.par"},
       "a.dat"},
      {"several, none complete", {"a.dat", "b.dat", "a.exe", "a.res", "a.msi"}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(choose_selection_file(c.files), c.chosen) << c.what;
}

TEST(RegistryValues, UninstallEntryCarriesEveryValue) {
  const ProductInfo info{"Demo", "Pub", "Con", "Help", "Upd", "Com", "5"};
  const auto values = uninstall_entry_values(info, "C:\\PD\\{R}\\", "setup.exe", "C:\\Program Files\\Demo\\");
  std::map<std::string, std::string> by_name;
  for (const auto& v : values) by_name[v.name] = v.is_number ? "#" + std::to_string(v.number) : v.text;
  const std::map<std::string, std::string> expected = {
      {"DisplayIcon", "C:\\PD\\{R}\\setup.exe"},
      {"DisplayName", "Demo"},
      {"UninstallString", "\"C:\\PD\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE"},
      {"ModifyPath", "C:\\PD\\{R}\\setup.exe"},
      {"Publisher", "Pub"},
      {"Contact", "Con"},
      {"HelpLink", "Help"},
      {"URLUpdateInfo", "Upd"},
      {"Comments", "Com"},
      {"DisplayVersion", "5"},
      {"VersionMajor", "#5"},
      {"VersionMinor", "#0"},
      {"InstallLocation", "C:\\Program Files\\Demo\\"},
  };
  EXPECT_EQ(by_name, expected);

  std::map<std::string, std::string> cache;
  for (const auto& v : cache_entry_values("3.4", "C:\\PD\\{R}\\"))
    cache[v.name] = v.is_number ? "#" + std::to_string(v.number) : v.text;
  const std::map<std::string, std::string> expected_cache = {
      {"", "C:\\PD\\{R}\\"}, {"VersionMajor", "#3"}, {"VersionMinor", "#4"}};
  EXPECT_EQ(cache, expected_cache);
}

TEST(SingleLevelName, RefusesWhatWouldNameAnotherKeyOrFolder) {
  struct Case {
    const char* name;
    bool ok;
  };
  const Case cases[] = {{"Demo App", true}, {"{R}", true}, {"", false},   {"  ", false},
                        {"..", false},      {".", false},  {"a\\b", false}, {"\\", false},
                        {"a/b", false},     {"v1.0", true}};
  for (const Case& c : cases) EXPECT_EQ(is_single_level_name(c.name), c.ok) << c.name;
}

TEST(FileNames, BaseNameAndExtension) {
  EXPECT_EQ(base_name_of("C:\\m\\setup.exe"), "setup");
  EXPECT_EQ(base_name_of("my.setup.exe"), "my.setup");
  EXPECT_EQ(with_extension("C:\\t\\setup.msi", ".msp"), "C:\\t\\setup.msp");
  EXPECT_EQ(with_extension("C:\\t.d\\setup", ".msp"), "C:\\t.d\\setup.msp");
}

}  // namespace
}  // namespace qel::identity
