// The script text format: verbatim parameter values, statement forms, header
// settings and the format errors with their lines.
#include <gtest/gtest.h>

#include "tools/qelbuild/diagnostics.h"
#include "tools/qelbuild/script_parser.h"
#include "tools/tests/builder_fixture.h"

namespace qel::build {
namespace {
using testing::minimal_header;

ScriptDocument parse(const std::string& text) { return parse_script(text, "t.qel"); }

TEST(ScriptParser, ParameterValuesAreTakenVerbatim) {
  struct Case {
    std::string line;
    std::string value;
  };
  const Case cases[] = {
      {"  | plain", "plain"},
      {"  |", ""},
      {"  | ", ""},
      {"|tight", "tight"},
      {"  |  two leading", " two leading"},
      {"  | trailing blanks   ", "trailing blanks   "},
      {"\t| C:\\Program Files\\\\x\\", "C:\\Program Files\\\\x\\"},
      {"  | $TITLE$ and $", "$TITLE$ and $"},
      {"  | $", "$"},
      {"  | a|b||c", "a|b||c"},
      {"  | one, two,,three", "one, two,,three"},
      {"  | ;; not a comment", ";; not a comment"},
      {"  | # not commented", "# not commented"},
      {"  | + not a file", "+ not a file"},
      {"  | [Setup]", "[Setup]"},
      {"  | \"quoted\" 'x'", "\"quoted\" 'x'"},
      {"  | \t tab", "\t tab"},
  };
  for (const Case& c : cases) {
    const ScriptDocument d = parse(minimal_header() + "[Script]\nSet Variable\n" + c.line + "\n");
    ASSERT_EQ(d.statements.size(), 1u) << c.line;
    ASSERT_EQ(d.statements[0].parameters.size(), 1u) << c.line;
    EXPECT_EQ(d.statements[0].parameters[0], c.value) << c.line;
  }
}

TEST(ScriptParser, StatementsFlagsLinesAndFiles) {
  const std::string text = minimal_header() +
                           "[Script]\r\n"
                           ";; author comment\r\n"
                           "Else\r\n"
                           "   # Write Registry  \r\n"
                           "  | 0\r\n"
                           "\r\n"
                           "#Comment\r\n"
                           "Install Files\r\n"
                           "  | \r\n"
                           "  + bin\\app.exe\r\n"
                           "  + docs => help\\en\r\n";
  const ScriptDocument d = parse(text);
  ASSERT_EQ(d.statements.size(), 4u);
  const int first = 7;  // four header lines, [Script], the comment
  struct Expect {
    std::string name;
    bool commented;
    bool block;
    int line;
  };
  const Expect expected[] = {{"Else", false, false, first},
                             {"Write Registry", true, true, first + 1},
                             {"Comment", true, false, first + 4},
                             {"Install Files", false, true, first + 5}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(d.statements[i].name, expected[i].name);
    EXPECT_EQ(d.statements[i].commented, expected[i].commented) << i;
    EXPECT_EQ(d.statements[i].has_parameter_block, expected[i].block) << i;
    EXPECT_EQ(d.statements[i].line, expected[i].line) << i;
  }
  const auto& files = d.statements[3].files;
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].source, "bin\\app.exe");
  EXPECT_EQ(files[0].destination, "");
  EXPECT_EQ(files[1].source, "docs");
  EXPECT_EQ(files[1].destination, "help\\en");
  EXPECT_EQ(files[1].line, first + 8);
}

TEST(ScriptParser, HeaderSettings) {
  const ScriptDocument d = parse(
      "[setup]\n"
      "Title =  Demo Product \n"
      "productcode = {abcdef01-2345-6789-abcd-ef0123456789}\n"
      "RevisionCode = {00000000-0000-0000-0000-000000000001}\n"
      "AskLanguage = true\n"
      "BuildMode = 2\n"
      "CodePage = 1250\n"
      "StubName = install.exe\n"
      "DefaultLanguage = German\n"
      "[Compiler Variables]\n"
      "singleinstance = TRUE\n"
      "UAC = \n"
      "[Plug-ins]\n"
      "  Call DLL Function  \n"
      "[Resources]\n"
      "dialogs\n"
      "art\\logo.png => oakhollow.png\n");
  EXPECT_EQ(d.header.title, "Demo Product");
  EXPECT_EQ(d.header.product_code, "{ABCDEF01-2345-6789-ABCD-EF0123456789}");
  EXPECT_EQ(d.header.revision_code, "{00000000-0000-0000-0000-000000000001}");
  EXPECT_TRUE(d.header.ask_language);
  EXPECT_EQ(d.header.build_mode, 2);
  EXPECT_EQ(d.header.code_page, 1250);
  EXPECT_EQ(d.header.stub_name, "install.exe");
  EXPECT_EQ(d.header.default_language, "German");
  const std::vector<std::pair<std::string, std::string>> vars = {{"SINGLEINSTANCE", "TRUE"}, {"UAC", ""}};
  EXPECT_EQ(d.compiler_variables, vars);
  EXPECT_EQ(d.plugin_commands, std::vector<std::string>{"Call DLL Function"});
  ASSERT_EQ(d.resources.size(), 2u);
  EXPECT_EQ(d.resources[1].source, "art\\logo.png");
  EXPECT_EQ(d.resources[1].destination, "oakhollow.png");
}

TEST(ScriptParser, FormatErrorsNameTheirLines) {
  struct Case {
    std::string text;
    int line;
    std::string message_part;
  };
  const std::string h = minimal_header();  // four lines
  const Case cases[] = {
      {h + "[Script]\n  | orphan\n", 6, "parameter line before the first statement"},
      {h + "[Script]\n  + file.txt\n", 6, "file line before the first statement"},
      {h + "[Script]\n#\n", 6, "statement without a name"},
      {h + "[Scripts]\nIf\n", 5, "unknown section [Scripts]"},
      {h + "Colour = blue\n", 5, "unknown setting 'Colour'"},
      {h + "BuildMode = 4\n", 5, "BuildMode must be a number from 1 to 3"},
      {h + "CodePage = 12x\n", 5, "CodePage must be a number"},
      {h + "AskLanguage = yes\n", 5, "AskLanguage must be TRUE or FALSE"},
      {h + "RevisionCode = 1234\n", 5, "RevisionCode must be a GUID"},
      {h + "no equals sign\n", 5, "expected 'Name = value'"},
      {"Title = x\n", 1, "text outside a section"},
      {"[Setup]\nTitle = x\n", 1, "ProductCode is required"},
      {"[Setup]\nProductCode = {11111111-2222-3333-4444-555555555555}\n", 1, "Title is required"},
      {"[Script]\nEnd\n", 0, "no [Setup] section"},
  };
  for (const Case& c : cases) {
    try {
      parse(c.text);
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const BuildFailed& e) {
      ASSERT_FALSE(e.diagnostics().empty());
      const Diagnostic& d = e.diagnostics().front();
      EXPECT_EQ(d.line, c.line) << c.text;
      EXPECT_NE(d.message.find(c.message_part), std::string::npos) << d.message;
      EXPECT_EQ(d.file, "t.qel");
    }
  }
}

TEST(ScriptParser, ReportsEveryErrorNotOnlyTheFirst) {
  try {
    parse(minimal_header() + "Colour = blue\nSize = 3\n[Script]\n  | orphan\n");
    FAIL();
  } catch (const BuildFailed& e) {
    ASSERT_EQ(e.diagnostics().size(), 3u);
    EXPECT_EQ(e.diagnostics()[2].text(), "t.qel:8: error: parameter line before the first statement");
  }
}

}  // namespace
}  // namespace qel::build
