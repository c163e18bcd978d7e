// A script built by the builder and read back by the engine's payload reader:
// statements, verbatim parameters, flags and every computed table.
#include <gtest/gtest.h>

#include <set>

#include "archive/sevenzip/archive_reader.h"
#include "tools/tests/builder_fixture.h"

namespace qel::build {
namespace {
namespace fs = std::filesystem;
using testing::build_script;
using testing::read_built_payload;
using testing::ScratchFolder;

bool is_upper_hex(std::string_view s, size_t n) {
  return s.size() == n && s.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

// "{8-4-4-4-12}" in upper-case hexadecimal.
bool is_upper_guid(const std::string& s) {
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  const size_t groups[] = {8, 4, 4, 4, 12};
  size_t at = 1;
  for (size_t i = 0; i < 5; ++i) {
    if (!is_upper_hex(std::string_view(s).substr(at, groups[i]), groups[i])) return false;
    at += groups[i];
    if (s[at] != (i < 4 ? '-' : '}')) return false;
    ++at;
  }
  return true;
}

const std::vector<std::string> kEdgeValues = {
    "C:\\Program Files\\Demo\\",  "\\\\server\\share\\\\x", "$", "$TITLE$ costs $5", "a|b|",
    "one,two, three",             "  leading",              "trailing  ", "", " ", "\"quoted, text\"",
    "$NEWLINE$ is a line break",  "#NOTCOMPILERVAR#",       "[section]"};

std::string edge_script() {
  std::string s =
      "[Setup]\n"
      "Title = Round Trip\n"
      "ProductCode = {0A0B0C0D-1111-2222-3333-444455556666}\n"
      "Version = 2.5.1\n"
      "Company = Fernmoor\n"
      "Contact = help desk\n"
      "HelpLink = https://example.invalid/h\n"
      "UpdateLink = https://example.invalid/u\n"
      "Comments = a comment, with commas\n"
      "DefaultLanguage = French\n"
      "AskLanguage = TRUE\n"
      "BuildMode = 3\n"
      "CodePage = 1250\n"
      "[Compiler Variables]\n"
      "SINGLEINSTANCE = TRUE\n"
      "TITLE = Pinned Title\n"
      "[Plug-ins]\n"
      "Call DLL Function\n"
      "[Resources]\n"
      "res\n"
      "[Script]\n"
      "Comment\n";
  for (const std::string& v : kEdgeValues) s += "  | " + v + "\n";
  s += "# Set Variable\n  | X\n  | 1\n"
       "Define Component\n  | Core\n  | TRUE\n  |\n"
       "Define Component\n  | Extras\n  | FALSE\n  |\n"
       "Install Files\n  | core\n  |\n  | $TARGETDIR$\n  + files => bin\n"
       "Install Files\n  | Extras\n  |\n  | $TARGETDIR$\\x\n  + single.txt\n"
       "Write Registry\n  | 0\n  | 1\n  | Software\\X\n  | V\n  | D\n  | TRUE\n  | FALSE\n"
       "# Write Registry\n  | 0\n"
       "Create Shortcut\n  | t\n  | n\n  | f\n"
       "Hide Dialog\n"
       "Terminate Install\n";
  return s;
}

class RoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch.write("files/a.txt", std::string(100, 'a'));
    scratch.write("files/sub/b.txt", std::string(50, 'b'));
    scratch.write("single.txt", std::string(7, 's'));
    scratch.write("res/welcome.dfm", "object W: TForm\nend\n");
    scratch.write("res/lang/german.txt", "Hallo");
    setup = build_script(scratch, edge_script());
    payload = read_built_payload(setup);
  }
  ScratchFolder scratch;
  fs::path setup;
  Payload payload;
};

TEST_F(RoundTripTest, StatementsFlagsAndVerbatimParameters) {
  const StringList names = {"Comment",       "Set Variable",   "Define Component", "Define Component",
                            "Install Files", "Install Files",  "Write Registry",   "Write Registry",
                            "Create Shortcut", "Hide Dialog",  "Terminate Install"};
  EXPECT_EQ(payload.names, names);
  const StringList flags = {"", "C", "", "", "", "", "", "C", "", "", ""};
  EXPECT_EQ(payload.flags, flags);
  ASSERT_EQ(payload.keys.size(), names.size());
  EXPECT_EQ(payload.media_blocks, StringList(names.size()));

  ParameterLists lists(&payload.params);
  for (size_t i = 0; i < kEdgeValues.size(); ++i)
    EXPECT_EQ(lists.parameter(payload.keys[0], static_cast<int>(i) + 1), kEdgeValues[i]) << i;
  EXPECT_EQ(lists.parameter(payload.keys[1], 1), "X");
  EXPECT_EQ(lists.parameter(payload.keys[6], 3), "Software\\X");
  // Statements without a block have no key line in the parameter list.
  EXPECT_FALSE(lists.has_key(payload.keys[9]));
  EXPECT_FALSE(lists.has_key(payload.keys[10]));
}

TEST_F(RoundTripTest, KeysAreUniqueUpperCaseGuids) {
  std::set<std::string> seen;
  for (const std::string& k : payload.keys) {
    EXPECT_TRUE(is_upper_guid(k)) << k;
    EXPECT_TRUE(seen.insert(k).second) << k;
  }
  EXPECT_TRUE(is_upper_guid(payload.revision_code));
  EXPECT_EQ(seen.count(payload.revision_code), 0u);
}

TEST_F(RoundTripTest, HeaderItems) {
  EXPECT_EQ(payload.product_code, "{0A0B0C0D-1111-2222-3333-444455556666}");
  EXPECT_EQ(payload.title, "Round Trip");
  EXPECT_EQ(payload.company, "Fernmoor");
  EXPECT_EQ(payload.contact, "help desk");
  EXPECT_EQ(payload.help_link, "https://example.invalid/h");
  EXPECT_EQ(payload.update_link, "https://example.invalid/u");
  EXPECT_EQ(payload.comments, "a comment, with commas");
  EXPECT_EQ(payload.version, "2.5.1");
  EXPECT_EQ(payload.build_mode, 3);
  EXPECT_TRUE(payload.ask_language);
  EXPECT_EQ(payload.default_language, "French");
  EXPECT_EQ(payload.code_page, 1250);
  EXPECT_EQ(payload.plugin_names, StringList{"Call DLL Function"});
  // The author's TITLE wins; LANGUAGE and CODEPAGE are filled in.
  const StringList vars = {"SINGLEINSTANCE", "TRUE", "TITLE", "Pinned Title", "LANGUAGE", "French", "CODEPAGE", "1250"};
  EXPECT_EQ(payload.compiler_variables, vars);
  EXPECT_TRUE(payload.media_passwords.empty());
  EXPECT_TRUE(payload.media_relocations.empty());
}

TEST_F(RoundTripTest, CommandHeadersCoverActiveDeferredStatements) {
  // Install Files x2, the active Write Registry and Create Shortcut.
  ASSERT_EQ(payload.command_headers.size(), 8u);
  std::set<std::string> ids;
  StringList indices;
  for (size_t i = 0; i < payload.command_headers.size(); i += 2) {
    EXPECT_TRUE(is_upper_hex(payload.command_headers[i], 8));
    EXPECT_TRUE(ids.insert(payload.command_headers[i]).second);
    indices.push_back(payload.command_headers[i + 1]);
  }
  EXPECT_EQ(indices, (StringList{"4", "5", "6", "8"}));
}

TEST_F(RoundTripTest, NativeFileTableAndDataFolder) {
  const std::string h4 = payload.command_headers[0], h5 = payload.command_headers[2];
  const StringList expected = {h4, "NEWHEADER",
                               h4 + "\\bin\\a.txt", "bin",
                               h4 + "\\bin\\sub\\b.txt", "bin\\sub",
                               h5, "NEWHEADER",
                               h5 + "\\single.txt", ""};
  EXPECT_EQ(payload.native_files, expected);
  const fs::path data = setup.parent_path() / "data";
  EXPECT_EQ(testing::read_bytes(data / h4 / "bin" / "a.txt"), std::string(100, 'a'));
  EXPECT_EQ(testing::read_bytes(data / h4 / "bin" / "sub" / "b.txt"), std::string(50, 'b'));
  EXPECT_EQ(testing::read_bytes(data / h5 / "single.txt"), std::string(7, 's'));
  EXPECT_TRUE(fs::exists(data / payload.product_code)) << "source marker";
}

TEST_F(RoundTripTest, ComponentSizesAndProgressTotal) {
  // Components by name without regard to case; the predefined one first.
  const StringList sizes = {"OXLE-PREDEF-COMPONENT", "0", "CORE", "150", "EXTRAS", "7"};
  EXPECT_EQ(payload.component_sizes, sizes);
  // File bytes plus Write Registry (512) and Create Shortcut (10240).
  EXPECT_EQ(payload.native_progress_total, 157 + 512 + 10240);
}

TEST_F(RoundTripTest, SourceLineMapPointsAtStatementLines) {
  ASSERT_EQ(payload.source_lines.size(), payload.names.size());
  const int comment_line0 = 21;  // 0-based line of "Comment"
  EXPECT_EQ(payload.source_lines[0], "setup.qel*" + std::to_string(comment_line0));
  EXPECT_EQ(payload.source_lines[1], "setup.qel*" + std::to_string(comment_line0 + 1 + int(kEdgeValues.size())));
  const SourceLine shown = source_line(payload, 1);
  EXPECT_EQ(shown.file, "setup");
  EXPECT_EQ(shown.line, comment_line0 + 2 + int(kEdgeValues.size()));
}

TEST_F(RoundTripTest, SetupFolderLayout) {
  const fs::path out = setup.parent_path();
  EXPECT_EQ(setup.filename(), "setup.exe");
  EXPECT_EQ(testing::read_bytes(out / "qel.lib"), testing::read_bytes(scratch.path() / "dist" / "qel.lib"));
  EXPECT_EQ(testing::read_bytes(setup).substr(0, testing::fake_stub_size()),
            testing::read_bytes(scratch.path() / "dist" / "qelstub.exe"));
  auto archive = archive::SevenZipArchive::open(out / "setup.res");
  std::set<std::string> names;
  for (const auto& e : archive->entries()) names.insert(e.name);
  EXPECT_EQ(names, (std::set<std::string>{"lang", "lang/german.txt", "welcome.dfm"}));
}

TEST(RoundTrip, KeysNeverEqualAParameterLine) {
  // Parameters that look like GUIDs must not hijack another statement's lookup.
  ScratchFolder scratch;
  const std::string base = testing::minimal_header() + "[Script]\nComment\n  | a\n";
  const Payload first = read_built_payload(build_script(scratch, base, "o1"));
  const std::string script = testing::minimal_header() + "[Script]\nComment\n  | a\nComment\n  | " + first.keys[0] + "\n";
  // The second script holds the key the first statement would get as a parameter.
  const Payload p = read_built_payload(build_script(scratch, script, "o2"));
  ParameterLists lists(&p.params);
  for (size_t i = 0; i < p.keys.size(); ++i) EXPECT_NE(p.keys[i], first.keys[0]) << i;
  EXPECT_EQ(lists.parameter(p.keys[0], 1), "a");
  EXPECT_EQ(lists.parameter(p.keys[1], 1), first.keys[0]);
}

}  // namespace
}  // namespace qel::build
