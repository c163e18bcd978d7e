#include "native/model/installer_lists.h"

#include <gtest/gtest.h>

#include "native/tests/native_fixture.h"

namespace qel::native {
namespace {

using testing::Params;
using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(ShortcutDisplayNameTest, ShortAndLongNameForm) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"Documentation", "Docume~1|Documentation"},
      {"Readme", "Readme~1|Readme"},
      {"App", "App~1|App"},
      {"My App Manual", "My App~1|My App Manual"},
      {"Ab  cdefgh", "Ab  cd~1|Ab  cdefgh"},
      {"Go    there", "Go~1|Go    there"},
      {"", "~1|"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortcutDisplayName(c.name), c.expected) << c.name;
}

TEST(InstallerListsTest, PropertiesGoToListAndJournalWithNewlinesEncoded) {
  InstallerPathLists lists;
  lists.AddProperty("P1", "line1\r\nline2\nkeep\r");
  lists.AddProperty("P1", "again");
  EXPECT_EQ(lists.property_names(), (std::vector<std::string>{"P1", "P1"}));
  EXPECT_EQ(lists.property_values(), (std::vector<std::string>{"line1$NEWLINE$line2\nkeep\r", "again"}));
  EXPECT_EQ(lists.journal(), (std::vector<std::string>{"P1", "line1$NEWLINE$line2\nkeep\r", "P1", "again"}));
  Pairs taken = lists.TakeProperties();
  EXPECT_EQ(taken.size(), 2u);
  EXPECT_TRUE(lists.property_names().empty());
  lists.AddProperty("P2", "x");
  EXPECT_EQ(lists.property_names(), std::vector<std::string>{"P2"});
  EXPECT_EQ(lists.journal().size(), 6u) << "the journal grows for the whole run";
}

TEST(InstallerListsTest, StartUpActivationInStatementOrderSkippingStatementsWithoutHeader) {
  Payload payload;
  payload.names = {"Install Files", "Set Variable", "Write Registry", "Create Folder"};
  payload.keys = {"{A}", "{B}", "{C}", "{D}"};
  payload.command_headers = {"0000000D", "3", "0000000A", "0", "0000000C", "2", "BAD", "x"};
  InstallerPathLists lists;
  ActivateDeferredStatements(payload, lists);
  EXPECT_EQ(lists.journal(),
            (std::vector<std::string>{"A0000000A", "FALSE", "A0000000C", "FALSE", "A0000000D", "FALSE"}));
}

struct PropertyCase {
  std::string name;
  std::vector<std::string> lines;
  Pairs expected;
};

TEST(InstallerListsTest, ParameterPropertiesPerStatement) {
  TVariableManager vars;
  vars.Define("APP", "C:\\Apps\\Demo");
  const std::vector<PropertyCase> cases = {
      {"Write Registry", {"0", "2", "Soft\\$APP$", "Name", "Plain"}, {{"PH_1", "Soft\\C:\\Apps\\Demo"}}},
      {"Write Registry", {"0", "2", "K", "$APP$", "$APP$"}, {{"PH_2", "C:\\Apps\\Demo"}, {"PH_3", "C:\\Apps\\Demo"}}},
      {"Install Files", {"", "", "$APP$"}, {{"PH_1", "C:\\Apps\\Demo"}}},
      {"Install Assembly", {"", "", "$APP$\\\\gac"}, {{"PH_1", "C:\\Apps\\Demo\\gac"}}},
      {"Install Service", {"", "$APP$"}, {{"PH_1", "C:\\Apps\\Demo"}}},
      {"Install ODBC Driver", {"", "", "", "$APP$"}, {{"PH_1", "C:\\Apps\\Demo"}}},
      {"Control Service", {"svc", "$APP$"}, {{"PH_1", "svc"}, {"PH_2", "C:\\Apps\\Demo"}}},
      {"Create Folder", {"$APP$"}, {{"PH_1", "C:\\Apps\\Demo"}}},
      {"Create File Type", {"c", "p", "d", "i", "0"},
       {{"PH_1", "c"}, {"PH_2", "p"}, {"PH_3", "d"}, {"PH_4", "i"}, {"PH_5", "0"}}},
      {"Create Shortcut", {"target", "name", "folder", "desc", "args", "work"},
       {{"PH_1", "folder"}, {"PH_2", "target"}, {"PH_3", "args"}, {"PH_4", "work"}}},
      {"Copy/Move Local Files", {"src", "*", "dst"}, {{"PH_1", "src"}, {"PH_2", "dst"}}},
      {"Delete Files", {"$APP$", "*"}, {{"PH_1", "C:\\Apps\\Demo"}}},
      {"Edit INI File", {"f", "n", "op", "s", "k", "v"}, {{"PH_1", "f"}, {"PH_2", "s"}, {"PH_3", "k"}, {"PH_4", "v"}}},
      {"Set Environment", {"PATH", "$APP$"}, {{"PH_1", "C:\\Apps\\Demo"}}},
      {"Create ODBC DSN", {"dsn", "drv", "TRUE", "a"}, {}},
  };
  for (const PropertyCase& c : cases)
    EXPECT_EQ(InstallerParameterProperties(Params(vars, c.name, c.lines), "H"), c.expected) << c.name;
}

TEST(InstallerListsTest, ShortcutStatementsAddTheirRenameEntry) {
  TVariableManager vars;
  InstallerPathLists lists;
  RecordForInstaller(Params(vars, "Create Shortcut", {"t", "Documentation", "f", "The docs"}), 5, "00C0FFEE", lists);
  RecordForInstaller(Params(vars, "Advertised Shortcut", {"t", "Readme", "f", "Read me"}), 6, "00BEEF00", lists);
  RecordForInstaller(Params(vars, "Advertised File Type", {"$X$.Doc", "p", "Desc"}), 7, "00ABCDEF", lists);
  ASSERT_EQ(lists.shortcut_renames().size(), 2u);
  EXPECT_EQ(lists.shortcut_renames()[0], (ShortcutRename{"P00C0FFEE_1", "Docume~1|Documentation", "The docs"}));
  EXPECT_EQ(lists.shortcut_renames()[1], (ShortcutRename{"P00BEEF00_1", "Readme~1|Readme", "Read me"}));
  ASSERT_EQ(lists.file_types().size(), 1u);
  EXPECT_EQ(lists.file_types()[0], (FileTypeEntry{"$X$.Doc", "$X$.Doc", "Desc"}));
  EXPECT_TRUE(lists.IsActivated(5));
  EXPECT_TRUE(lists.IsActivated(7));
  EXPECT_FALSE(lists.IsActivated(4));
  EXPECT_EQ(lists.journal()[0], "A00C0FFEE");
  EXPECT_EQ(lists.journal()[1], "TRUE");
}

}  // namespace
}  // namespace qel::native
