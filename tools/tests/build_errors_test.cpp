// Errors found while building: the engine's own script check at the lines of
// the statements, and content that the payload cannot carry.
#include <gtest/gtest.h>

#include "tools/qelbuild/diagnostics.h"
#include "tools/qelbuild/setup_writer.h"
#include "tools/tests/builder_fixture.h"

namespace qel::build {
namespace {
using testing::build_script;
using testing::minimal_header;
using testing::ScratchFolder;

struct ErrorCase {
  std::string label;
  std::string script;  // after the header and "[Script]" (line 6 is the first script line)
  std::string expected;
};

std::vector<Diagnostic> errors_of(const std::string& script_body, const std::string& extra_files = {}) {
  ScratchFolder scratch;
  if (!extra_files.empty()) scratch.write(extra_files, "x");
  try {
    build_script(scratch, minimal_header() + "[Script]\n" + script_body);
  } catch (const BuildFailed& e) {
    std::vector<Diagnostic> out = e.diagnostics();
    for (Diagnostic& d : out) d.file = std::filesystem::path(d.file).filename().string();
    return out;
  }
  return {};
}

class BuildErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(BuildErrorTest, ReportsFileLineAndMessage) {
  const auto errors = errors_of(GetParam().script);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Compiler, BuildErrorTest,
    ::testing::Values(
        ErrorCase{"unbalanced_if", "Comment\nIf\n  | SILENT\n  | 4\n  | TRUE\n  | FALSE\n",
                  // No statement to blame: reported where the script ends.
                  "setup.qel:11: error: Insufficient END statements"},
        ErrorCase{"duplicate_label", "Label\n  | Main\nComment\nLabel\n  | MAIN\n",
                  "setup.qel:9: error: LABEL re-defined: MAIN"},
        ErrorCase{"missing_result_variable", "Comment\nGet Environment\n  | PATH\n  |\n",
                  "setup.qel:7: error: Variable required"},
        ErrorCase{"undefined_variable", "If\n  | NOT_SET\n  | 0\n  | x\n  | FALSE\nEnd\n",
                  "setup.qel:6: error: Variable not defined: NOT_SET"},
        ErrorCase{"install_files_without_target", "Install Files\n  | \n  |\n  |\n",
                  "setup.qel:6: error: A target folder must be specified for files that are being installed.\r"
                  "The value $TARGETDIR$ represents the destination folder chosen by the user."},
        ErrorCase{"goto_unknown_label", "GoTo Label\n  | nowhere\n", "setup.qel:6: error: LABEL undefined: nowhere"}),
    [](const auto& info) { return info.param.label; });

INSTANTIATE_TEST_SUITE_P(
    Format, BuildErrorTest,
    ::testing::Values(
        ErrorCase{"dollar_statement_name", "$\n", "setup.qel:6: error: a statement named \"$\" cannot be stored"},
        ErrorCase{"files_on_other_statement", "Write Registry\n  | 0\n  + a.txt\n",
                  "setup.qel:6: error: \"Write Registry\" does not carry files; only \"Install Files\", "
                  "\"Install Assembly\", \"Install Service\" and \"Install ODBC Driver\" do"},
        ErrorCase{"missing_file", "Install Files\n  |\n  |\n  | $TARGETDIR$\n  + missing.txt\n",
                  "setup.qel:10: error: file not found: missing.txt"},
        ErrorCase{"carriage_return_in_parameter", "Comment\n  | one\rtwo\n",
                  "setup.qel:6: error: a parameter holds a line break; write $NEWLINE$ instead"}),
    [](const auto& info) { return info.param.label; });

TEST(BuildErrors, CommentedStatementsAreNotChecked) {
  EXPECT_TRUE(errors_of("# Get Environment\n  | PATH\n  |\n# If\n").empty());
}

TEST(BuildErrors, DuplicateInstalledFile) {
  ScratchFolder scratch;
  scratch.write("a/x.txt", "1");
  scratch.write("b/x.txt", "2");
  try {
    build_script(scratch, minimal_header() + "[Script]\nInstall Files\n  |\n  |\n  | $TARGETDIR$\n  + a\n  + b\n");
    FAIL();
  } catch (const BuildFailed& e) {
    ASSERT_EQ(e.diagnostics().size(), 1u);
    EXPECT_EQ(e.diagnostics()[0].line, 11);
    EXPECT_NE(e.diagnostics()[0].message.find("two files install to the same place: x.txt"), std::string::npos);
  }
}

TEST(BuildErrors, StubWithAppendedDataIsRefused) {
  ScratchFolder scratch;
  const auto dist = testing::make_distribution(scratch);
  scratch.write("dist/qelstub.exe", testing::read_bytes(dist / "qelstub.exe") + "old payload");
  BuildOptions options;
  options.script = scratch.write("setup.qel", minimal_header() + "[Script]\nComment\n");
  options.output_dir = scratch.path() / "o";
  options.distribution = dist;
  try {
    build_setup(options);
    FAIL() << "a stub with appended data was accepted";
  } catch (const BuildFailed& e) {
    EXPECT_NE(e.diagnostics()[0].message.find("data after its image"), std::string::npos);
  }
}

}  // namespace
}  // namespace qel::build
