#include "engine/payload.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace qel {
namespace {

Payload sample() {
  Payload p;
  p.names = {"Set Variable", "If", "Comment", "End"};
  p.keys = {"{A0000000-0000-0000-0000-000000000001}", "{A0000000-0000-0000-0000-000000000002}",
            "{A0000000-0000-0000-0000-000000000003}", "{A0000000-0000-0000-0000-000000000004}"};
  p.params = {p.keys[0], "TARGETDIR$OXLE$OXLE$FALSE", "$PROGRAMFILES$\\$TITLE$",
              p.keys[1], "X", "0", "", "FALSE",
              p.keys[2], "$"};
  p.flags = {"", "", "C", ""};
  p.product_code = "{11111111-2222-3333-4444-555555555555}";
  p.title = "Demo Product";
  p.plugin_names = {"Call DLL Function"};
  p.company = "Fernmoor";
  p.version = "1.2.3";
  p.media_blocks = {"", "", "", "Disk1\\"};
  p.build_mode = 2;
  p.component_sizes = {"OXLE-PREDEF-COMPONENT", "0", "MAIN", "123456789012"};
  p.revision_code = "{99999999-2222-3333-4444-555555555555}";
  p.ask_language = true;
  p.default_language = "English";
  p.command_headers = {"0000ABCD", "3"};
  p.compiler_variables = {"SINGLEINSTANCE", "TRUE"};
  p.code_page = 1250;
  p.source_lines = {"C:\\x\\Demo Setup.qel*0", "C:\\x\\Demo Setup.qel*1", "C:\\x\\Demo Setup.qel*2",
                    "C:\\x\\Demo Setup.qel*41"};
  p.native_progress_total = 5000000000LL;
  p.native_files = {"0000ABCD", "NEWHEADER", "bin\\a.exe", "x"};
  return p;
}

void expect_same(const Payload& a, const Payload& b) {
  EXPECT_EQ(a.names, b.names);
  EXPECT_EQ(a.keys, b.keys);
  EXPECT_EQ(a.params, b.params);
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_EQ(a.product_code, b.product_code);
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.plugin_names, b.plugin_names);
  EXPECT_EQ(a.company, b.company);
  EXPECT_EQ(a.contact, b.contact);
  EXPECT_EQ(a.version, b.version);
  EXPECT_EQ(a.media_passwords, b.media_passwords);
  EXPECT_EQ(a.media_blocks, b.media_blocks);
  EXPECT_EQ(a.build_mode, b.build_mode);
  EXPECT_EQ(a.component_sizes, b.component_sizes);
  EXPECT_EQ(a.revision_code, b.revision_code);
  EXPECT_EQ(a.media_relocations, b.media_relocations);
  EXPECT_EQ(a.ask_language, b.ask_language);
  EXPECT_EQ(a.default_language, b.default_language);
  EXPECT_EQ(a.command_headers, b.command_headers);
  EXPECT_EQ(a.compiler_variables, b.compiler_variables);
  EXPECT_EQ(a.code_page, b.code_page);
  EXPECT_EQ(a.source_lines, b.source_lines);
  EXPECT_EQ(a.native_progress_total, b.native_progress_total);
  EXPECT_EQ(a.native_files, b.native_files);
}

TEST(Payload, RoundTripKeepsEveryItem) {
  Payload p = sample();
  std::string text = write_payload(p);
  expect_same(p, read_payload(text));
  // The parameter "$" travels escaped, never as a bare block terminator.
  EXPECT_NE(text.find("\r\n$DOLLAR$\r\n"), std::string::npos);
}

TEST(Payload, EmptyScriptIsTwentySevenItems) {
  Payload empty;
  std::string text = write_payload(empty);
  Payload back = read_payload(text);
  expect_same(empty, back);
  EXPECT_TRUE(text.starts_with("$\r\n$\r\n$\r\n$\r\n"));  // names, keys, params, flags
  EXPECT_TRUE(text.ends_with("0\r\n$\r\n"));                // progress total, empty file table
}

TEST(Payload, DollarTokensUnescapeOnlyAsWholeLinesInAnyCase) {
  struct Case {
    const char* line;
    const char* expected;
  } cases[] = {
      {"$DOLLAR$", "$"},          {"$dollar$", "$"},           {"$Wild_Dollar$", "$"},
      {"$WILD_DOLLAR$", "$"},     {"x$DOLLAR$", "x$DOLLAR$"},  {"$DOLLAR$ ", "$DOLLAR$ "},
      {"$TITLE$", "$TITLE$"},     {"$", "$"},
  };
  for (const Case& c : cases) {
    Payload p;
    p.names = {"Comment"};
    p.keys = {"{K}"};
    p.params = {"{K}", c.line};
    p.flags = {""};
    Payload back = read_payload(write_payload(p));
    ASSERT_EQ(back.params.size(), 2u) << c.line;
    EXPECT_EQ(back.params[1], c.expected) << c.line;
  }
}

TEST(Payload, OnlyUpperCaseTrueAsksForLanguage) {
  for (auto [line, expected] : {std::pair{"TRUE", true}, {"true", false}, {"True", false}, {"", false}}) {
    Payload p;
    std::string text = write_payload(p);
    size_t at = text.find("\r\nFALSE\r\n");
    ASSERT_NE(at, std::string::npos);
    text.replace(at + 2, 5, line);
    EXPECT_EQ(read_payload(text).ask_language, expected) << line;
  }
}

TEST(Payload, ShortPayloadLeavesLaterItemsEmpty) {
  std::string text = write_payload(sample());
  std::string cut = text.substr(0, text.find("Demo Product"));  // stops inside item 6
  Payload p = read_payload(cut);
  EXPECT_EQ(p.names.size(), 4u);
  EXPECT_EQ(p.product_code, "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(p.title, "");
  EXPECT_TRUE(p.native_files.empty());
  EXPECT_EQ(p.native_progress_total, 0);
}

TEST(Payload, ReadsBareLineFeeds) {
  std::string text = write_payload(sample());
  std::string lf;
  for (char c : text)
    if (c != '\r') lf += c;
  expect_same(sample(), read_payload(lf));
}

TEST(Payload, WriterRefusesWhatTheFormatCannotCarry) {
  Payload bad_name;
  bad_name.names = {"Set\r\nVariable"};
  EXPECT_THROW(write_payload(bad_name), std::invalid_argument);
  Payload dollar_line;
  dollar_line.plugin_names = {"$"};
  EXPECT_THROW(write_payload(dollar_line), std::invalid_argument);
  Payload multi_line_param;
  multi_line_param.params = {"{K}", "a\nb"};
  EXPECT_THROW(write_payload(multi_line_param), std::invalid_argument);
}

TEST(ParameterLists, LooksUpByKeyInAnyCase) {
  Payload p = sample();
  ParameterLists lists(&p.params);
  EXPECT_EQ(lists.parameter("{a0000000-0000-0000-0000-000000000001}", 1), "TARGETDIR$OXLE$OXLE$FALSE");
  EXPECT_EQ(lists.parameter(p.keys[0], 2), "$PROGRAMFILES$\\$TITLE$");
  EXPECT_EQ(lists.parameter(p.keys[1], 3), "");
  EXPECT_EQ(lists.parameter(p.keys[1], 4), "FALSE");
  EXPECT_EQ(lists.parameter(p.keys[3], 1), "") << "a statement without a block";
  EXPECT_FALSE(lists.has_key(p.keys[3]));
  EXPECT_EQ(lists.parameter(p.keys[2], 5), "") << "beyond the end of the list";
}

TEST(ParameterLists, FirstListHoldingTheKeyWins) {
  StringList first = {"{K1}", "one"};
  StringList second = {"{K1}", "shadowed", "{K2}", "two"};
  ParameterLists lists;
  lists.add(&first);
  lists.add(&second);
  EXPECT_EQ(lists.parameter("{k1}", 1), "one");
  EXPECT_EQ(lists.parameter("{K2}", 1), "two");
}

TEST(SourceLine, NamesTheScriptWithoutFolderAndCountsFromOne) {
  Payload p = sample();
  SourceLine s = source_line(p, 3);
  EXPECT_EQ(s.file, "Demo Setup");
  EXPECT_EQ(s.line, 42);
  p.source_lines[0] = "/home/a/b.c/script*9";
  EXPECT_EQ(source_line(p, 0).file, "script");
  EXPECT_EQ(source_line(p, 0).line, 10);
  EXPECT_EQ(source_line(p, 99).line, 0);
}

}  // namespace
}  // namespace qel
