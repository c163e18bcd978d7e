#include "native/model/record_builders.h"

#include <gtest/gtest.h>

#include "native/model/action_spool.h"
#include "native/tests/native_fixture.h"

namespace qel::native {
namespace {

using testing::Params;

struct RecordCase {
  const char* label;
  std::string name;
  std::vector<std::string> lines;
  std::string header;
  std::vector<std::string> expected;
};

class RecordBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vars.Define("APP", "C:\\Apps\\Demo");
    vars.Define("NAME", "Demo");
    vars.Define("ALLUSERS", "TRUE");
  }
  TVariableManager vars;
};

TEST_F(RecordBuilderTest, EveryStatementKindRecordsItsFields) {
  const std::vector<RecordCase> cases = {
      {"registry keep, kind from P7 text", "Write Registry",
       {"10", "2", "Software\\$NAME$", "Path", "$APP$", "FALSE", "EXPANDSTRING"}, "",
       {"TRUE", "2", "Software\\Demo", "Path", "C:\\Apps\\Demo", "EXPANDSTRING"}},
      {"registry string flag wins", "Write Registry", {"0", "1", "K", "V", "D", "TRUE", "TRUE"}, "",
       {"FALSE", "1", "K", "V", "D", "STRING"}},
      {"registry integer flag", "Write Registry", {"0", "3", "K", "V", "7", "false", "-1"}, "",
       {"FALSE", "3", "K", "V", "7", "INTEGER"}},
      {"install files", "Install Files",
       {"x", "x", "$APP$\\\\bin", "r", "h", "s", "q", "x", "g", "sh", "pm", "ab"}, "0A1B2C3D",
       {"0A1B2C3D", "C:\\Apps\\Demo\\bin", "r", "h", "s", "q", "g", "sh", "pm", "ab"}},
      {"install assembly", "Install Assembly", {"x", "TRUE", "$APP$"}, "11112222",
       {"11112222", "C:\\Apps\\Demo", "TRUE"}},
      {"install service", "Install Service",
       {"x", "$APP$", "x", "svc$NAME$", "Disp", "Desc", "0", "FALSE", "p9", "dep", "2", "1", "acct", "pw",
        "-a $NAME$"},
       "ABCDEF01",
       {"ABCDEF01", "svcDemo", "Disp", "Desc", "p9", "dep", "C:\\Apps\\Demo", "0", "FALSE", "2", "1", "acct", "pw",
        "-a Demo"}},
      {"control service", "Control Service", {"svc$NAME$", "$APP$", "START", "TRUE"}, "",
       {"svcDemo", "C:\\Apps\\Demo", "START", "TRUE"}},
      {"odbc driver brackets", "Install ODBC Driver",
       {"Drv $NAME$", "x", "x", "$APP$", "x", "Path=[APP];Name=[NAME]"}, "22223333",
       {"22223333", "Drv Demo", "C:\\Apps\\Demo", "Path=C:\\Apps\\Demo;Name=Demo"}},
      {"odbc dsn brackets", "Create ODBC DSN", {"Dsn", "Drv", "TRUE", "DB=[NAME]"}, "",
       {"Dsn", "Drv", "TRUE", "DB=Demo"}},
      {"create folder", "Create Folder", {"$APP$\\\\data"}, "", {"C:\\Apps\\Demo\\data"}},
      {"shortcut bar parts", "Create Shortcut",
       {"$APP$\\app.exe", "$NAME$ App", "$APP$\\menu", "Runs $NAME$", "-x", "$APP$", "$APP$\\i.ico|TRUE",
        "3|Demo.App", "1|7X"},
       "",
       {"Demo App", "Runs Demo", "C:\\Apps\\Demo\\menu", "C:\\Apps\\Demo\\app.exe", "-x", "C:\\Apps\\Demo",
        "C:\\Apps\\Demo\\i.ico", "3", "1"}},
      {"file type", "Create File Type", {"Demo.File", "$APP$\\a.exe", "Demo file", "$APP$\\f.ico", "0", ".dmo",
                                          "open"},
       "", {"Demo.File", "C:\\Apps\\Demo\\a.exe", "Demo file", "C:\\Apps\\Demo\\f.ico", "0", ".dmo", "open"}},
      {"copy/move with subfolders", "Copy/Move Local Files", {"$APP$", "*.txt", "D:\\t", "new.txt", "TRUE", "x|TRUE"},
       "", {"C:\\Apps\\Demo", "*.txt", "D:\\t", "TRUE", "TRUE", "new.txt"}},
      {"copy/move empty option", "Copy/Move Local Files", {"S", "*", "T", "", "FALSE", "x"}, "",
       {"S", "*", "T", "FALSE", "FALSE", ""}},
      {"delete files", "Delete Files", {"$APP$", "*.log"}, "", {"C:\\Apps\\Demo", "*.log"}},
      {"ini adds backslash", "Edit INI File", {"$APP$", "demo.ini", "WRITE", "Main", "Key", "$NAME$"}, "",
       {"C:\\Apps\\Demo\\demo.ini", "Main", "Key", "Demo", "WRITE"}},
      {"ini keeps one backslash", "Edit INI File", {"C:\\cfg\\", "a.ini", "DELETE", "S", "K", ""}, "",
       {"C:\\cfg\\a.ini", "S", "K", "", "DELETE"}},
      {"environment", "Set Environment", {"PATH", "$APP$", "1", "2", "TRUE", "FALSE"}, "",
       {"PATH", "C:\\Apps\\Demo", "1", "2", "TRUE", "FALSE"}},
      {"advertised shortcut has none", "Advertised Shortcut", {"a", "b", "c"}, "", {}},
      {"advertised file type has none", "Advertised File Type", {"a", "b", "c"}, "", {}},
      {"other name has none", "Set Variable", {"a"}, "", {}},
  };
  for (const RecordCase& c : cases) {
    ActionRecord record = BuildActionRecord(Params(vars, c.name, c.lines), c.header);
    EXPECT_EQ(record.fields, c.expected) << c.label;
    // What the worker receives survives the comma-text form.
    EXPECT_EQ(ActionRecord::FromText(record.ToText()).fields, c.expected) << c.label;
  }
}

TEST_F(RecordBuilderTest, RootFourFollowsAllUsersAtRecordTime) {
  const struct {
    const char* all_users;
    const char* root;
    const char* expected;
  } cases[] = {
      {"TRUE", "4", "2"}, {"true", "4", "2"}, {"-1", "4", "2"}, {"FALSE", "4", "1"}, {"", "4", "1"},
      {"TRUE", "0", "0"}, {"TRUE", "3", "3"}, {"FALSE", "2", "2"},
  };
  for (const auto& c : cases) {
    vars.Define("ALLUSERS", c.all_users);
    ActionRecord record = BuildActionRecord(Params(vars, "Write Registry", {"0", c.root, "K"}), "");
    EXPECT_EQ(record.field(1), c.expected) << c.all_users << " " << c.root;
  }
  vars.Define("ALLUSERS", "TRUE");
  ActionRecord recorded = BuildActionRecord(Params(vars, "Write Registry", {"0", "4", "K"}), "");
  vars.Define("ALLUSERS", "FALSE");
  EXPECT_EQ(recorded.field(1), "2") << "the record keeps the root chosen when it was built";
}

TEST_F(RecordBuilderTest, LocalizedFieldsUseTheirTranslationSlots) {
  // Shortcut: P2 slot 1, P4 slot 2. Service: P4,5,6,9,10 slots 1..5. File type: P1, P3 slots 1, 2.
  testing::SlotTranslator translator({{1, "Name-$NAME$"}, {2, "Second"}, {3, "Third"}, {4, "Fourth"}, {5, "Fifth"}});
  testing::TranslatorScope scope(&translator);

  CreateShortcutFields shortcut = CreateShortcutFields::From(BuildActionRecord(
      Params(vars, "Create Shortcut", {"t", "raw name", "f", "raw desc", "", "", "", "", ""}), ""));
  EXPECT_EQ(shortcut.name, "Name-Demo");
  EXPECT_EQ(shortcut.description, "Second");

  InstallServiceFields service = InstallServiceFields::From(BuildActionRecord(
      Params(vars, "Install Service", {"", "", "", "a", "b", "c", "0", "", "d", "e"}), "H"));
  EXPECT_EQ(service.service_name, "Name-Demo");
  EXPECT_EQ(service.display_name, "Second");
  EXPECT_EQ(service.description, "Third");
  EXPECT_EQ(service.parameter9, "Fourth");
  EXPECT_EQ(service.dependencies, "Fifth");

  CreateFileTypeFields file_type = CreateFileTypeFields::From(
      BuildActionRecord(Params(vars, "Create File Type", {"a\\\\b", "p", "d", "", "", "", ""}), ""));
  EXPECT_EQ(file_type.class_key, "Name-Demo");
  EXPECT_EQ(file_type.description, "Second");
}

TEST(RecordTextTest, BarPartsAndBrackets) {
  const struct {
    const char* text;
    const char* left;
    const char* right;
  } bars[] = {{"a|b", "a", "b"}, {"a", "a", ""}, {"|b", "", "b"}, {"a|b|c", "a", "b|c"}, {"", "", ""}};
  for (const auto& c : bars) {
    EXPECT_EQ(LeftOfBar(c.text), c.left) << c.text;
    EXPECT_EQ(RightOfBar(c.text), c.right) << c.text;
  }
  EXPECT_EQ(BracketsToDollars("A=[X];B=[[Y]]"), "A=$X$;B=$$Y$$");
}

TEST(QueueWeightTest, FixedWeightsAndNoneForHeaderStatements) {
  const struct {
    std::string_view name;
    int64_t weight;
  } cases[] = {
      {kWriteRegistry, 512},       {kCreateFolder, 1024},     {kSetEnvironment, 1024},
      {kCreateFileType, 5120},     {kCreateOdbcDsn, 5120},    {kCreateShortcut, 10240},
      {kEditIniFile, 10240},       {kDeleteFiles, 102400},    {kControlService, 2097152},
      {kInstallFiles, 0},          {kInstallAssembly, 0},     {kInstallService, 0},
      {kInstallOdbcDriver, 0},     {kAdvertisedShortcut, 0},  {kAdvertisedFileType, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QueueWeight(ActionKindOf(c.name), ActionRecord{}, PortableFolderLister()), c.weight) << c.name;
}

}  // namespace
}  // namespace qel::native
