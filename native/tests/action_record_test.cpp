#include "native/model/action_record.h"

#include <gtest/gtest.h>

#include "native/model/action_spool.h"

namespace qel::native {
namespace {

TEST(ActionKindTest, NamesMapBothWaysAndExactly) {
  ASSERT_EQ(DeferredActionKinds().size(), 16u);
  for (ActionKind kind : DeferredActionKinds()) {
    EXPECT_NE(kind, ActionKind::kNone);
    EXPECT_EQ(ActionKindOf(ActionName(kind)), kind) << ActionName(kind);
  }
  for (std::string_view other : {"install files", "INSTALL FILES", "DELAYEDINSTALL", "ROLLBACK", "", "Edit XML File"})
    EXPECT_EQ(ActionKindOf(other), ActionKind::kNone) << other;
  int with_header = 0;
  for (ActionKind kind : DeferredActionKinds()) with_header += UsesCommandHeader(kind);
  EXPECT_EQ(with_header, 4);
}

TEST(ActionRecordTest, CommaTextKeepsAwkwardFields) {
  const std::vector<std::vector<std::string>> cases = {
      {"plain", "with blank", "comma,inside", "quote\"inside", "", "trailing"},
      {"", "", ""},
      {"C:\\Program Files\\App", "\"\"", " lead", "tail "},
      {"single"},
      {""},
  };
  for (const auto& fields : cases) {
    ActionRecord record{fields};
    EXPECT_EQ(ActionRecord::FromText(record.ToText()), record) << record.ToText();
  }
  EXPECT_EQ((ActionRecord{{"a b", "c"}}).ToText(), "\"a b\",c");
  EXPECT_EQ((ActionRecord{{"say \"hi\""}}).ToText(), "\"say \"\"hi\"\"\"");
  EXPECT_TRUE(ActionRecord::FromText("").fields.empty());
  EXPECT_EQ(ActionRecord{}.field(3), "");
}

TEST(ActionRecordTest, TypedViewsReadShortRecordsAsEmpty) {
  ActionRecord shortened{{"TRUE", "2"}};
  WriteRegistryFields f = WriteRegistryFields::From(shortened);
  EXPECT_EQ(f.keep, "TRUE");
  EXPECT_EQ(f.root, "2");
  EXPECT_EQ(f.key, "");
  EXPECT_EQ(f.kind, "");
  EXPECT_EQ(f.ToRecord().fields.size(), 6u);
  InstallServiceFields s;
  s.arguments = "-x \"quoted\"";
  s.folder = "C:\\a b";
  EXPECT_EQ(InstallServiceFields::From(ActionRecord::FromText(s.ToRecord().ToText())), s);
}

TEST(ActionSpoolTest, AppendsInOrderWithWeightsAndLines) {
  ActionSpool spool;
  spool.Append({"Write Registry", 3, ActionRecord{{"FALSE", "2", "Key with blank"}}, "x64"}, 512);
  spool.Append({"Create Folder", 7, ActionRecord{{"C:\\X"}}, "Win32"}, 1024);
  EXPECT_EQ(spool.queued_weight(), 1536);
  ASSERT_EQ(spool.size(), 2u);
  EXPECT_EQ(spool.entries()[0].bitness, "x64");
  const std::vector<std::string> lines = spool.ToLines();
  const std::vector<std::string> expected = {"Write Registry", "3", "FALSE,2,\"Key with blank\"", "x64",
                                             "Create Folder",  "7", "C:\\X",                     "Win32"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(ActionSpool::EntriesFromLines(lines), spool.entries());

  std::vector<std::string> broken = lines;
  broken[1] = "3x";
  broken.pop_back();  // incomplete second group
  std::vector<SpoolEntry> read = ActionSpool::EntriesFromLines(broken);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].statement_number, 0);
}

}  // namespace
}  // namespace qel::native
