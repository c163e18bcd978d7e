#include "wizard/form_parser.h"

#include <gtest/gtest.h>

#include "wizard/tests/fixture_file.h"

namespace qel::wizard {
namespace {

using testing::read_fixture;

const Value& prop(const FormObject& o, std::string_view name) {
  const Property* p = o.find(name);
  if (!p) throw std::runtime_error("property missing: " + std::string(name));
  return p->value;
}

class AllValues : public ::testing::Test {
 protected:
  void SetUp() override { form = parse_form(read_fixture("all_values.dfm")); }
  FormObject form;
};

TEST_F(AllValues, RootHeaderAndScalarKinds) {
  EXPECT_EQ(form.kind, ObjectKind::Object);
  EXPECT_EQ(form.name, "WelcomePage");
  EXPECT_EQ(form.class_name, "TForm");
  EXPECT_EQ(form.line, 1);
  EXPECT_EQ(prop(form, "Left").integer, -8);
  EXPECT_EQ(prop(form, "clientwidth").integer, 497);  // names ignore case
  EXPECT_EQ(prop(form, "HexMask").integer, 255);
  EXPECT_EQ(prop(form, "Scale").kind, ValueKind::Float);
  EXPECT_DOUBLE_EQ(prop(form, "Scale").number, 1.25);
  EXPECT_DOUBLE_EQ(prop(form, "Ratio").number, -0.0025);
  EXPECT_EQ(prop(form, "Color").kind, ValueKind::Identifier);
  EXPECT_EQ(prop(form, "Color").identifier, "clBtnFace");
  EXPECT_EQ(prop(form, "OnClick").identifier, "Button1Click");
  EXPECT_EQ(prop(form, "Caption").text, u"Welcome to 'Setup'");
  EXPECT_EQ(form.find("Font.Name")->line, 13);
}

TEST_F(AllValues, Sets) {
  EXPECT_EQ(prop(form, "BorderIcons").set, (std::vector<std::string>{"biSystemMenu", "biMinimize"}));
  EXPECT_EQ(prop(form, "Font.Style").set, (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_EQ(prop(form, "Anchors").kind, ValueKind::Set);
  EXPECT_TRUE(prop(form, "Anchors").set.empty());
}

TEST_F(AllValues, StringWithCodesAndContinuationOnNextLine) {
  const FormObject& label = form.children.at(0);
  EXPECT_EQ(label.name, "lblTitle");
  EXPECT_EQ(prop(label, "Caption").text,
            u"Caf\u00e9 \u20ac and a line that is long enough to be continued on the next line");
  EXPECT_EQ(prop(label, "Parent.Ref").identifier, "WelcomePage.lblTitle");
  EXPECT_EQ(value_as_text(prop(label, "Caption"), windows1252_codec()),
            "Caf\xe9 \x80 and a line that is long enough to be continued on the next line");
}

TEST_F(AllValues, ListsOfStringsAndMixedValues) {
  const FormObject& memo = form.children.at(1);
  const Value& lines = prop(memo, "Lines.Strings");
  ASSERT_EQ(lines.kind, ValueKind::List);
  std::vector<std::u16string> texts;
  for (const Value& v : lines.list) texts.push_back(v.text);
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"First line", u"Second 'quoted' part", u"", u"ABC"}));
  EXPECT_EQ(value_as_text(lines, windows1252_codec()), "First line\r\nSecond 'quoted' part\r\n\r\nABC");
  const Value& numbers = prop(memo, "Numbers");
  ASSERT_EQ(numbers.list.size(), 3u);
  EXPECT_EQ(numbers.list[0].kind, ValueKind::Integer);
  EXPECT_EQ(numbers.list[1].kind, ValueKind::Float);
  EXPECT_EQ(numbers.list[2].identifier, "ident");
}

TEST_F(AllValues, Collections) {
  const FormObject& view = form.children.at(2);
  const Value& columns = prop(view, "Columns");
  ASSERT_EQ(columns.kind, ValueKind::Collection);
  ASSERT_EQ(columns.items.size(), 2u);
  EXPECT_FALSE(columns.items[0].order.has_value());
  ASSERT_EQ(columns.items[0].properties.size(), 2u);
  EXPECT_EQ(columns.items[0].properties[0].name, "Caption");
  EXPECT_EQ(columns.items[0].properties[1].value.integer, 120);
  EXPECT_EQ(columns.items[1].order, 1);
  EXPECT_EQ(columns.items[1].properties[0].value.text, u"Size");
  EXPECT_TRUE(prop(view, "Empty").items.empty());
  EXPECT_EQ(prop(view, "TabOrder").integer, 1);  // parsing resumes after the collection
}

TEST_F(AllValues, NestedNamelessAndPositionedObjects) {
  ASSERT_EQ(form.children.size(), 4u);
  const FormObject& panel = form.children[3];
  EXPECT_EQ(panel.position, 2);
  ASSERT_EQ(panel.children.size(), 2u);
  EXPECT_EQ(panel.children[0].name, "");
  EXPECT_EQ(panel.children[0].class_name, "TButton");
  EXPECT_EQ(prop(panel.children[0], "Caption").text, u"Nameless");
  EXPECT_EQ(panel.children[1].name, "btnNext");
  EXPECT_EQ(prop(panel.children[1], "Tag").integer, 1);
}

TEST(FormParser, InheritedAndInlineWithKeywordsInAnyCase) {
  FormObject form = parse_form(read_fixture("inherited.dfm"));
  EXPECT_EQ(form.kind, ObjectKind::Inherited);
  EXPECT_EQ(form.class_name, "TChildPage");
  ASSERT_EQ(form.children.size(), 2u);
  EXPECT_EQ(form.children[0].kind, ObjectKind::Inherited);
  EXPECT_EQ(form.children[0].children.at(0).name, "Extra");
  EXPECT_EQ(form.children[1].kind, ObjectKind::Inline);
  EXPECT_EQ(form.children[1].position, 1);
}

TEST(FormParser, Encodings) {
  struct Case {
    const char* file;
    SourceEncoding encoding;
    std::u16string caption;
  };
  const Case cases[] = {
      {"utf8_bom.dfm", SourceEncoding::Utf8, u"Gr\u00fc\u00dfe \u20ac"},
      {"utf8_plain.dfm", SourceEncoding::Utf8, u"Gr\u00fc\u00dfe"},
      {"ansi.dfm", SourceEncoding::Ansi, u"Gr\u00fc\u00dfe \u20ac"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string bytes = read_fixture(c.file);
    EXPECT_EQ(detect_encoding(bytes), c.encoding);
    EXPECT_EQ(prop(parse_form(bytes), "Caption").text, c.caption);
  }
}

TEST(FormParser, ValueOnTheLineAfterTheEqualsSign) {
  FormObject f = parse_form("object A: TForm\n  Width =\n    42\n  Caption =\n    'x'\nend\n");
  EXPECT_EQ(prop(f, "Width").integer, 42);
  EXPECT_EQ(prop(f, "Caption").text, u"x");
}

TEST(FormParser, HexCharacterCodesAndSurrogatePairs) {
  FormObject f = parse_form("object A: TForm\n  Caption = #$41#55357#56832'z'\nend\n");
  EXPECT_EQ(prop(f, "Caption").text, u"A\U0001F600z");
}

TEST(FormParser, BinaryValueAcrossLines) {
  FormObject f = parse_form("object A: TForm\n  Data = {\n    0A0b\n    FF}\n  Tag = 3\nend\n");
  EXPECT_EQ(prop(f, "Data").bytes, (std::vector<uint8_t>{0x0A, 0x0B, 0xFF}));
  EXPECT_EQ(prop(f, "Tag").integer, 3);
}

TEST(FormParser, MalformedInputReportsTheLine) {
  struct Case {
    const char* text;
    int line;
    const char* message_part;
  };
  const Case cases[] = {
      {"object A: TForm\n  Caption = 'open\nend\n", 2, "not closed"},
      {"object A: TForm\n  Width 5\nend\n", 2, "'=' expected"},
      {"object A: TForm\n  Width = 5\n", 1, "not closed with 'end'"},
      {"object A: TForm\n  S = [a, b\n  Tag = 1\nend\n", 3, "',' or ']'"},
      {"object A: TForm\n  L = (\n 'a'\n", 2, "list not closed"},
      {"object A: TForm\n  D = {\n  0G\n}\nend\n", 3, "invalid character"},
      {"object A: TForm\n  D = {ABC}\nend\n", 2, "odd number"},
      {"object A: TForm\n  C = <\n  foo\n  end>\nend\n", 3, "'item' expected"},
      {"object A: TForm\n  X = 'a' +\n  5\nend\n", 3, "string expected after '+'"},
      {"object A: TForm\n  X = #\nend\n", 2, "character code"},
      {"object A: TForm\n  X = #70000\nend\n", 2, "above 65535"},
      {"object A: TForm\nend\nobject B: TForm\nend\n", 3, "after the final"},
      {"  \n\nfoo A: TForm\nend\n", 3, "'object' expected"},
      {"object A: TForm\n  W = 12ab\nend\n", 2, "invalid number"},
      {"object A: TForm\n  W = 99999999999999999999\nend\n", 2, "out of range"},
      {"object A: TForm\n  W = )\nend\n", 2, "value expected"},
      {"object A: [1]\nend\n", 1, "class name expected"},
      {"object [1]\nend\n", 1, "object name or class"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      parse_form(c.text);
      ADD_FAILURE() << "no error";
    } catch (const FormParseError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos) << e.what();
    }
  }
}

TEST(FormParser, BinaryAndUtf16FormFilesAreRefused) {
  for (const std::string& bytes : {read_fixture("binary_form.dfm"), std::string("\xFF\xFEo\0b\0", 6)}) {
    try {
      parse_form(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const FormParseError& e) {
      EXPECT_EQ(e.line(), 0);
      EXPECT_NE(std::string(e.what()).find("not supported"), std::string::npos);
    }
  }
}

TEST(ValueText, KindsAsPropertyText) {
  FormObject f = parse_form(
      "object A: TForm\n  I = -3\n  B = True\n  S = [akLeft, akTop]\n  E = []\n  D = {00FF}\n  F = 0.5\nend\n");
  const TextCodec codec = windows1252_codec();
  EXPECT_EQ(value_as_text(prop(f, "I"), codec), "-3");
  EXPECT_EQ(value_as_text(prop(f, "B"), codec), "True");
  EXPECT_EQ(value_as_text(prop(f, "S"), codec), "[akLeft,akTop]");
  EXPECT_EQ(value_as_text(prop(f, "E"), codec), "[]");
  EXPECT_EQ(value_as_text(prop(f, "D"), codec), "00FF");
  EXPECT_EQ(value_as_text(prop(f, "F"), codec), "0.5");
}

TEST(TextCodec, Windows1252RoundTripAndUnmappable) {
  const TextCodec codec = windows1252_codec();
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(codec.to_ansi(codec.to_utf16(all)), all);
  EXPECT_EQ(codec.to_ansi(u"\u4e2d"), "?");
}

}  // namespace
}  // namespace qel::wizard
