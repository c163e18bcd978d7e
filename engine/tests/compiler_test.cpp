#include "engine/compiler.h"

#include <gtest/gtest.h>

#include "engine/tests/script_builder.h"
#include "engine/variables.h"

namespace qel {
namespace {

using testing::Bare;
using testing::Commented;
using testing::If;
using testing::Set;
using testing::Stmt;
using testing::TestScript;
using testing::While;

CompileOutput Compile(const std::vector<Stmt>& statements, TVariableManager& vars) {
  TestScript script(statements);
  return compile_script(script.lists(), vars);
}

Stmt Label(std::string name) { return {"Label", {std::move(name)}}; }
Stmt GoTo(std::string name) { return {"GoTo Label", {std::move(name)}}; }
Stmt Dialog(std::string name, std::string result = "WIZARD", std::string p4 = "") {
  return {"Display Dialog", {std::move(name), std::move(result), "TRUE", std::move(p4), "TRUE", "FALSE"}};
}

struct ErrorCase {
  const char* what;
  std::vector<Stmt> statements;
  int32_t code;
  std::string message;
};

class CompileErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CompileErrors, ReportsTheStatementAndExactMessage) {
  const ErrorCase& c = GetParam();
  TVariableManager vars;
  CompileOutput out = Compile(c.statements, vars);
  EXPECT_EQ(out.result.code, c.code) << c.what;
  EXPECT_EQ(out.result.message, c.message) << c.what;
  EXPECT_EQ(out.ok(), c.code == kCompileSuccess);
  EXPECT_EQ(out.errors().size(), c.code == kCompileSuccess ? 0u : 1u);
}

const std::string kOk(kCompileSuccessMessage);
const std::string kInstallFilesMessage =
    "A target folder must be specified for files that are being installed.\r"
    "The value $TARGETDIR$ represents the destination folder chosen by the user.";
const std::string kExpressionMessage =
    "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct syntax.";

INSTANTIATE_TEST_SUITE_P(
    Blocks, CompileErrors,
    ::testing::Values(
        ErrorCase{"balanced blocks", {If("TITLE", "0", "x"), While("TITLE", "0", "y"), Bare("Wend"), Bare("End")},
                  kCompileSuccess, kOk},
        ErrorCase{"If without End", {If("TITLE", "0", "x")}, kCompileUnbalanced, "Insufficient END statements"},
        ErrorCase{"commented End does not count", {If("TITLE", "0", "x"), Commented(Bare("End"))},
                  kCompileUnbalanced, "Insufficient END statements"},
        ErrorCase{"End alone", {Bare("End")}, kCompileUnbalanced, "Too many END statements"},
        ErrorCase{"While alone", {While("TITLE", "0", "x")}, kCompileUnbalanced, "Insufficient WEND statements"},
        ErrorCase{"Wend alone", {Bare("Wend")}, kCompileUnbalanced, "Too many WEND statements"},
        ErrorCase{"Repeat alone", {Bare("Repeat")}, kCompileUnbalanced, "Insufficient UNTIL statements"},
        ErrorCase{"Until alone", {testing::Until("TITLE", "0", "x")}, kCompileUnbalanced,
                  "Too many UNTIL statements"},
        ErrorCase{"End counts are checked before loop counts", {Bare("Repeat"), If("TITLE", "0", "")},
                  kCompileUnbalanced, "Insufficient END statements"},
        ErrorCase{"If closed while a While is open",
                  {If("TITLE", "0", "x"), While("TITLE", "0", "x"), Bare("End"), Bare("Wend")}, 2,
                  "IF conditional closed outside of LOOP scope"},
        ErrorCase{"While closed inside an If",
                  {While("TITLE", "0", "x"), If("TITLE", "0", "x"), Bare("Wend"), Bare("End")}, 2,
                  "WHILE loop closed outside of CONDITIONAL or REPEAT loop scope"},
        ErrorCase{"Until closed inside a While",
                  {Bare("Repeat"), While("TITLE", "0", "x"), testing::Until("TITLE", "0", "x"), Bare("Wend")}, 2,
                  "REPEAT loop closed outside of CONDITIONAL or WHILE loop scope"},
        ErrorCase{"Break after the loop closed", {While("TITLE", "0", "x"), Bare("Wend"), Bare("Break")}, 2,
                  "Break not allowed outside of LOOP scope"},
        ErrorCase{"Continue outside any loop", {Bare("Continue")}, 0, "Continue not allowed outside of LOOP scope"},
        ErrorCase{"Break inside an If inside a While",
                  {While("TITLE", "0", "x"), If("TITLE", "0", "x"), Bare("Break"), Bare("End"), Bare("Wend")},
                  kCompileSuccess, kOk},
        ErrorCase{"commented Break outside loops is ignored", {Commented(Bare("Break"))}, kCompileSuccess, kOk},
        ErrorCase{"Label inside an If", {If("TITLE", "0", "x"), Label("A"), Bare("End")}, 1,
                  "LABEL statements cannot be nested inside loops/conditionals"},
        ErrorCase{"Label inside a Repeat", {Bare("Repeat"), Label("A"), testing::Until("TITLE", "0", "")}, 1,
                  "LABEL statements cannot be nested inside loops/conditionals"},
        ErrorCase{"Wizard Loop with a comment and a dialog",
                  {Bare("Wizard Loop"), Bare("Comment"), Dialog("welcome"), Bare("End")}, kCompileSuccess, kOk},
        ErrorCase{"Wizard Loop holding a Set Variable",
                  {Bare("Wizard Loop"), Dialog("welcome"), Set("A", "1"), Bare("End")}, 2,
                  "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"},
        ErrorCase{"a commented statement inside a Wizard Loop is allowed",
                  {Bare("Wizard Loop"), Commented(Set("A", "1")), Dialog("welcome"), Bare("End")}, kCompileSuccess,
                  kOk}));

INSTANTIATE_TEST_SUITE_P(
    Labels, CompileErrors,
    ::testing::Values(
        ErrorCase{"labels differing in case", {Label("Main"), Label("MAIN")}, 1, "LABEL re-defined: MAIN"},
        ErrorCase{"a commented label is still defined", {Commented(Label("Main")), Label("main")}, 1,
                  "LABEL re-defined: main"},
        ErrorCase{"GoTo in another case", {GoTo("main"), Label("Main")}, kCompileSuccess, kOk},
        ErrorCase{"GoTo a commented label", {Commented(Label("Main")), GoTo("MAIN")}, kCompileSuccess, kOk},
        ErrorCase{"GoTo nowhere", {Label("Main"), GoTo("Nowhere")}, 1, "LABEL undefined: Nowhere"},
        ErrorCase{"block errors come before label errors", {Label("A"), Label("a"), Bare("End")},
                  kCompileUnbalanced, "Too many END statements"}));

INSTANTIATE_TEST_SUITE_P(
    Variables, CompileErrors,
    ::testing::Values(
        ErrorCase{"If on a variable set later", {If("LATER", "0", "x"), Bare("End"), Set("LATER", "1")}, 0,
                  "Variable not defined: LATER"},
        ErrorCase{"remembered variables are declared early",
                  {If("LATER", "0", "x"), Bare("End"), Set("LATER$OXLE$OXLE$TRUE", "1")}, kCompileSuccess, kOk},
        ErrorCase{"a remember flag other than TRUE declares nothing early",
                  {If("LATER", "0", "x"), Bare("End"), Set("LATER$OXLE$OXLE$true", "1")}, 0,
                  "Variable not defined: LATER"},
        ErrorCase{"operator 5 only tests existence", {If("LATER", "5", ""), Bare("End")}, kCompileSuccess, kOk},
        ErrorCase{"If after the Set Variable", {Set("EARLY", "1"), If("$early$", "0", "x"), Bare("End")},
                  kCompileSuccess, kOk},
        ErrorCase{"start-up spelling of a built-in", {If("OXLE_DISABLE_ROLLBACK", "0", "x"), Bare("End")}, 0,
                  "Variable not defined: OXLE_DISABLE_ROLLBACK"},
        ErrorCase{"compiler spelling of a built-in", {If("OXLE_DISABLEROLLBACK", "0", "x"), Bare("End")},
                  kCompileSuccess, kOk},
        ErrorCase{"compared value referring to an unknown variable", {If("TITLE", "0", "$NOPE$"), Bare("End")}, 0,
                  "Variable not defined: $NOPE$"},
        ErrorCase{"both unknown: the value is reported", {If("A", "0", "$B$"), Bare("End")}, 0,
                  "Variable not defined: $B$"},
        ErrorCase{"plain compared text needs no variable", {If("TITLE", "0", "B"), Bare("End")}, kCompileSuccess,
                  kOk},
        ErrorCase{"If without a variable", {If("", "0", "B"), Bare("End")}, 0, "Variable required"},
        ErrorCase{"Set Variable without a target", {Set("$OXLE$OXLE$TRUE", "1")}, 0, "Variable required"},
        ErrorCase{"result variable declared for later tests",
                  {{"Read Registry", {"REGVALUE", "HKLM"}}, If("RegValue", "0", "x"), Bare("End")}, kCompileSuccess,
                  kOk},
        ErrorCase{"missing result variable", {{"Read Registry", {"", "HKLM"}}}, 0, "Variable required"},
        ErrorCase{"result variable in parameter 2", {{"Get File Version", {"C:\\a.dll", ""}}}, 0,
                  "Variable required"},
        ErrorCase{"Mathematics without a result", {{"Mathematics", {"1", "2", "0", ""}}}, 0, "Variable required"},
        ErrorCase{"Mathematics seeding needs no result", {{"Mathematics", {"1", "2", "13", ""}}}, kCompileSuccess,
                  kOk},
        ErrorCase{"Parse String with no result", {{"Parse String", {"a,b", ",", "", ""}}}, 0, "Variable required"},
        ErrorCase{"Convert Path on an unknown variable", {{"Convert Path", {"SOMEPATH", "1"}}}, 0,
                  "Variable not defined: SOMEPATH"},
        ErrorCase{"Convert Path on a known variable", {Set("SOMEPATH", "x"), {"Convert Path", {"SOMEPATH", "1"}}},
                  kCompileSuccess, kOk},
        ErrorCase{"Evaluate Expression with bad syntax", {{"Evaluate Expression", {"$A$ ==", "RES"}}}, 0,
                  kExpressionMessage},
        ErrorCase{"Evaluate Expression with good syntax", {{"Evaluate Expression", {"$A$ = \"x\"", "RES"}}},
                  kCompileSuccess, kOk},
        ErrorCase{"System Restore asking for a result", {{"System Restore", {"TRUE", "desc", ""}}}, 0,
                  "Variable required"},
        ErrorCase{"System Restore without a result", {{"System Restore", {"FALSE", "desc", ""}}}, kCompileSuccess,
                  kOk}));

INSTANTIATE_TEST_SUITE_P(
    Commands, CompileErrors,
    ::testing::Values(
        ErrorCase{"Web Media Block with a pipe", {{"Web Media Block", {"a|b", "http://x/"}}}, 0,
                  "Web Media Block name must be a legal file name"},
        ErrorCase{"Web Media Block path with a clean last part", {{"Web Media Block", {"C:\\a|b\\clean", "u"}}},
                  kCompileSuccess, kOk},
        ErrorCase{"Web Media Block without URL", {{"Web Media Block", {"block1", ""}}}, 0,
                  "Web Media Block must have at least one download URL"},
        ErrorCase{"Display Dialog without a name", {Dialog("")}, 0, "Dialog name not specified"},
        ErrorCase{"Display Dialog option naming an unknown variable", {Dialog("welcome", "WIZARD", "$PAGEVAR$")}, 0,
                  "Variable not defined: $PAGEVAR$"},
        ErrorCase{"Delete Files without a mode", {{"Delete Files", {"C:\\x", "*.*", "FALSE", "FALSE"}}}, 0,
                  "At least one delete mode must be selected"},
        ErrorCase{"Delete Files with a mode", {{"Delete Files", {"C:\\x", "*.*", "FALSE", "TRUE"}}}, kCompileSuccess,
                  kOk},
        ErrorCase{"Install Files without a target", {{"Install Files", {"src", "*.*", ""}}}, 0,
                  kInstallFilesMessage},
        ErrorCase{"commented statements are not checked", {Commented({"Install Files", {"src", "*.*", ""}})},
                  kCompileSuccess, kOk},
        ErrorCase{"Comment statements are not checked", {{"Comment", {"$X$"}}}, kCompileSuccess, kOk},
        ErrorCase{"unknown names pass", {{"Frobnicate", {""}}}, kCompileSuccess, kOk}));

TEST(Compiler, DeclaresBuiltinsAfterEmptyingTheStore) {
  TVariableManager vars;
  vars.Define("LEFTOVER", "1");
  CompileOutput out = Compile({Set("MINE", "x")}, vars);
  ASSERT_TRUE(out.ok());
  EXPECT_FALSE(vars.Exists("LEFTOVER"));
  EXPECT_EQ(vars.Get("NATIVE_ERROR"), "PROMPT");
  EXPECT_EQ(vars.Get("NATIVE_ROLLBACK"), "TRUE");
  EXPECT_EQ(vars.Get("SETUPPATH"), "FALSE");
  EXPECT_TRUE(vars.Exists("SAVEDATA"));
  EXPECT_TRUE(vars.Exists("MINE"));
  EXPECT_EQ(vars.Get("MINE"), "");
}

TEST(Compiler, ResultVariableWrittenAsReferenceDeclaresItsName) {
  TVariableManager vars;
  CompileOutput out = Compile({{"Read Registry", {"$regvalue$"}}, If("REGVALUE", "0", "x"), Bare("End")}, vars);
  EXPECT_TRUE(out.ok()) << out.result.message;
  EXPECT_TRUE(vars.Exists("REGVALUE"));
}

TEST(Compiler, FillsLabelsAndActionStates) {
  TVariableManager vars;
  CompileOutput out = Compile({Label("Start"), {"Install Files", {"s", "*", "$TARGETDIR$"}}, Commented(Label("Old")),
                               {"Write Registry", {"HKLM"}}, Commented({"Create Folder", {"x"}}), Set("A", "1")},
                              vars);
  ASSERT_TRUE(out.ok()) << out.result.message;
  EXPECT_EQ(out.labels, (std::vector<std::string>{"START", "OLD"}));
  EXPECT_EQ(out.action_states, (std::vector<std::string>{"SKIP", "FALSE", "SKIP", "FALSE", "SKIP", "SKIP"}));
}

TEST(Compiler, WithoutFlagsTheBlockCheckIsSkipped) {
  TestScript script({If("TITLE", "0", "x")});
  ScriptLists lists = script.lists();
  lists.flags = nullptr;
  TVariableManager vars;
  EXPECT_TRUE(compile_script(lists, vars).ok());
}

TEST(Compiler, LegalFileNames) {
  struct Case {
    const char* name;
    bool legal;
  };
  const Case cases[] = {{"block1", true},     {"", true},         {"a|b", false},     {"C:\\dir\\x?", false},
                        {"C:\\a*b\\ok", true}, {"a:b<", false},     {"x:clean", true},  {"a/b", false},
                        {"quote\"", false},    {"less>", false}};
  for (const Case& c : cases) EXPECT_EQ(is_legal_file_name(c.name), c.legal) << c.name;
}

TEST(BlockMap, SkipTargetsFollowNesting) {
  // 0 If / 1 If / 2 Else / 3 End / 4 Else If / 5 Wizard Loop / 6 End / 7 Else / 8 End / 9 Comment
  TestScript script({If("A", "0", ""), If("B", "0", ""), Bare("Else"), Bare("End"), testing::ElseIf("C", "0", ""),
                     Bare("Wizard Loop"), Bare("End"), Commented(Bare("Else")), Bare("End"), Bare("Comment")});
  BlockMap map;
  map.build(script.lists());
  constexpr size_t none = BlockMap::npos;
  EXPECT_EQ(map.next_branch[0], 4u);  // the outer block's Else If: inner block and its Else passed
  EXPECT_EQ(map.block_end[0], 8u);
  EXPECT_EQ(map.next_branch[1], 2u);
  EXPECT_EQ(map.block_end[2], 3u);
  EXPECT_EQ(map.next_branch[4], 8u);  // Wizard Loop counted, commented Else passed
  EXPECT_EQ(map.next_branch[8], none);
}

TEST(BlockMap, LoopPartnersAndEnclosingLoops) {
  // 0 While / 1 Repeat / 2 Break / 3 Until / 4 Commented Wend / 5 Continue / 6 Wend
  TestScript script({While("A", "0", ""), Bare("Repeat"), Bare("Break"), testing::Until("A", "0", ""),
                     Commented(Bare("Wend")), Bare("Continue"), Bare("Wend")});
  BlockMap map;
  map.build(script.lists());
  EXPECT_EQ(map.loop_partner[0], 6u);
  EXPECT_EQ(map.loop_partner[6], 0u);
  EXPECT_EQ(map.loop_partner[1], 3u);
  EXPECT_EQ(map.loop_partner[4], BlockMap::npos);
  EXPECT_EQ(map.enclosing_loop[2], 1u);
  EXPECT_EQ(map.enclosing_loop[5], 0u);
  EXPECT_EQ(map.enclosing_loop[0], BlockMap::npos);
}

}  // namespace
}  // namespace qel
