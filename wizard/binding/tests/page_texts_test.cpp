// The text table, support document names and the scroll decisions.
#include <gtest/gtest.h>

#include "wizard/binding/scroll_rules.h"
#include "wizard/binding/support_documents.h"
#include "wizard/binding/text_table.h"

namespace qel::wizard::binding {
namespace {

TEST(TextTable, KeepsTheFirstTextOfEachControl) {
  TextTable t;
  std::string key = TextTable::Key("welcome.dfm", "lblTitle");
  EXPECT_EQ(t.Entry(key, "Install $PRODUCT$"), "Install $PRODUCT$");
  // A later bind offers the expanded text the control shows: the entry stays.
  EXPECT_EQ(t.Entry(key, "Install Tool"), "Install $PRODUCT$");
  EXPECT_EQ(TextTable::Key("WELCOME.DFM", "LBLTITLE"), key);
  EXPECT_EQ(t.Entry(TextTable::Key("other.dfm", "lblTitle"), "x"), "x");
  EXPECT_EQ(t.Size(), 2u);
  t.Clear();
  EXPECT_FALSE(t.Contains(key));
}

TEST(SupportDocuments, CandidatesInOrder) {
  using V = std::vector<std::string>;
  EXPECT_EQ(DocumentCandidates("S\\", Document::Readme, Viewer::Memo, "German"),
            (V{"S\\readme.German.txt", "S\\readme.txt"}));
  EXPECT_EQ(DocumentCandidates("S\\", Document::Licence, Viewer::RichEdit, "French"),
            (V{"S\\license.French.rtf", "S\\license.rtf", "S\\license.French.txt", "S\\license.txt"}));
  EXPECT_EQ(DocumentCandidates("S\\", Document::Licence, Viewer::Memo, ""), (V{"S\\license..txt", "S\\license.txt"}));
  EXPECT_EQ(DocumentCandidates("S\\", Document::Index, Viewer::Html, "German"), (V{"S\\index.German.htm", "S\\index.htm"}));
  EXPECT_EQ(DocumentCandidates("S\\", Document::Movie, Viewer::Flash, ""), (V{"S\\movie..swf", "S\\movie.swf"}));
}

TEST(SupportDocuments, Notices) {
  EXPECT_EQ(MissingDocumentNotice(Document::Readme, Viewer::Memo, "German"),
            "Add a readme.German.txt or readme.txt file to your project as a support file/creative to display it here.");
  EXPECT_EQ(MissingDocumentNotice(Document::Licence, Viewer::RichEdit, ""),
            "Add a license..rtf or license.rtf, or license..txt or license.txt file to your project as a support "
            "file/creative to display it here.");
  EXPECT_EQ(MissingDocumentNotice(Document::Movie, Viewer::Flash, ""),
            "Add a movie.swf file to your project to display it here.");
}

TEST(ScrollRules, EndVisible) {
  struct Case {
    int max, pos;
    unsigned page;
    bool end;
  };
  const Case cases[] = {
      {99, 0, 15, false}, {99, 84, 15, true}, {99, 83, 15, false}, {2, 0, 15, true}, {0, 5, 0, true}, {10, 10, 0, true},
  };
  for (const Case& c : cases) EXPECT_EQ(EndVisible(c.max, c.pos, c.page), c.end) << c.max << "/" << c.pos << "/" << c.page;
}

TEST(ScrollRules, AutomaticScrollBars) {
  struct Case {
    ScrollBars current;
    MemoMeasure m;
    ScrollBars expected;
  };
  // 40 lines of 13 px need 521 px: more than a 200 px client.
  const MemoMeasure tall{10, 40, 6, 13, 300, 200, true};
  const MemoMeasure wide{100, 2, 6, 13, 300, 200, false};  // 601 px lines
  const MemoMeasure small{10, 2, 6, 13, 300, 200, false};
  const MemoMeasure wide_wrapped{100, 2, 6, 13, 300, 200, true};
  const Case cases[] = {
      {ScrollBars::None, tall, ScrollBars::Vertical},        {ScrollBars::Horizontal, tall, ScrollBars::Both},
      {ScrollBars::None, wide, ScrollBars::Horizontal},      {ScrollBars::Vertical, wide, ScrollBars::Both},
      {ScrollBars::None, small, ScrollBars::None},           {ScrollBars::Vertical, small, ScrollBars::Vertical},
      {ScrollBars::None, wide_wrapped, ScrollBars::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AutomaticScrollBars(c.current, c.m), c.expected) << static_cast<int>(c.current);
}

}  // namespace
}  // namespace qel::wizard::binding
