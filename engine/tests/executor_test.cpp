#include "engine/executor.h"

#include <gtest/gtest.h>

#include <thread>

#include <deque>
#include <map>
#include <stdexcept>

#include "engine/tests/script_builder.h"
#include "engine/variables.h"

namespace qel {
namespace {

using testing::Bare;
using testing::Commented;
using testing::ElseIf;
using testing::If;
using testing::Inc;
using testing::Set;
using testing::Stmt;
using testing::TestScript;
using testing::Until;
using testing::While;

Stmt Log(std::string text) { return {"Log", {std::move(text)}}; }
Stmt Label(std::string name) { return {"Label", {std::move(name)}}; }
Stmt GoTo(std::string name) { return {"GoTo Label", {std::move(name)}}; }
Stmt Dialog(std::string name) { return {"Display Dialog", {std::move(name), "WIZARD", "TRUE", "", "TRUE", "FALSE"}}; }
// While/Until on "N <= limit".
Stmt WhileAtMost(const std::string& var, const std::string& limit) {
  return {"While", {var, "2", limit, "TRUE"}};
}
Stmt UntilAbove(const std::string& var, const std::string& limit) { return {"Until", {var, "2", limit, "FALSE"}}; }

class RecordingHost : public ExecutorHost {
 public:
  void report_exception(Executor&, size_t index, const std::string& text) override {
    reported_index = index;
    reported_text = text;
    ++reports;
  }
  void exit_script(Executor&) override { ++exit_scripts; }
  bool translate(std::string_view key, int slot, std::string& text) override {
    auto it = translations.find(std::string(key) + "#" + std::to_string(slot));
    if (it == translations.end()) return false;
    text = it->second;
    return true;
  }
  void native_logging_changing(std::string_view value) override { native_logging.emplace_back(value); }
  void progress_changed() override { ++progress_updates; }
  uint64_t tick_count() override { return ticks += 100; }
  void pump_messages() override { ++pumps; }

  size_t reported_index = 0;
  std::string reported_text;
  int reports = 0;
  int exit_scripts = 0;
  int progress_updates = 0;
  int pumps = 0;
  uint64_t ticks = 0;
  std::map<std::string, std::string> translations;
  std::vector<std::string> native_logging;
};

struct RunResult {
  RunEnd end = RunEnd::Finished;
  std::string log;
  int exit_code = 0;
  std::vector<std::string> remembered;
  std::vector<std::string> loop_stack;
  int download_timeout = 0;
  size_t statements_run = 0;
};

class ExecutorTest : public ::testing::Test {
 protected:
  ExecutorTest() : table_(command_table()) {
    table_.register_command("Log", [this](Statement& s) {
      if (!log_.empty()) log_ += ",";
      log_ += s.vars().Expand(s.parameter(1));
    });
  }

  // Dialogs log their name and answer with the next queued outcome.
  void ScriptedDialogs(std::deque<std::string> outcomes) {
    outcomes_ = std::move(outcomes);
    table_.register_command("Display Dialog", [this](Statement& s) {
      if (!log_.empty()) log_ += ",";
      log_ += s.parameter(1);
      std::string outcome = outcomes_.empty() ? "NEXT" : outcomes_.front();
      if (!outcomes_.empty()) outcomes_.pop_front();
      s.executor().set_dialog_outcome(outcome);
    });
  }

  RunResult Run(const std::vector<Stmt>& statements, const std::vector<std::pair<std::string, std::string>>& initial = {},
                std::vector<std::string> plugins = {}) {
    TestScript script(statements, std::move(plugins));
    CompileOutput compiled = compile_script(script.lists(), vars_);
    // The scripts test variables that the tests define before the run, which the
    // check cannot know about; every other error is a broken test script.
    EXPECT_TRUE(compiled.ok() || compiled.result.message.rfind("Variable not defined: ", 0) == 0)
        << compiled.result.code << ": " << compiled.result.message;
    vars_.Clear();
    for (const auto& [name, value] : initial) vars_.Define(name, value);
    Executor executor(script.lists(), vars_, host_, table_);
    executor.set_payload(&script.payload());
    executor.prepare();
    executor.action_states() = compiled.action_states;
    if (callback_) executor.set_callback(callback_);
    RunResult r;
    log_.clear();
    r.end = executor.run();
    r.log = log_;
    r.exit_code = executor.exit_code();
    r.remembered = executor.remembered_variables();
    r.loop_stack = executor.loop_stack();
    r.download_timeout = executor.download_timeout();
    r.statements_run = executor.statements_run();
    return r;
  }

  TVariableManager vars_;
  CommandTable table_;
  RecordingHost host_;
  std::string log_;
  std::deque<std::string> outcomes_;
  Executor::StatementCallback callback_;
};

struct FlowCase {
  const char* what;
  std::vector<Stmt> statements;
  std::vector<std::pair<std::string, std::string>> vars;
  std::string log;
};

class ControlFlow : public ExecutorTest, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(ControlFlow, RunsTheExpectedStatements) {
  const FlowCase& c = GetParam();
  RunResult r = Run(c.statements, c.vars);
  EXPECT_EQ(r.end, RunEnd::Finished) << c.what;
  EXPECT_EQ(r.log, c.log) << c.what;
}

const std::vector<std::pair<std::string, std::string>> kAB = {{"A", "yes"}, {"B", "yes"}};

INSTANTIATE_TEST_SUITE_P(
    Conditionals, ControlFlow,
    ::testing::Values(
        FlowCase{"false If runs its Else",
                 {If("A", "0", "no"), Log("Y"), Bare("Else"), Log("X"), Bare("End"), Log("after")}, kAB,
                 "X,after"},
        FlowCase{"true If skips its Else",
                 {If("A", "0", "yes"), Log("Y"), Bare("Else"), Log("X"), Bare("End"), Log("after")}, kAB,
                 "Y,after"},
        FlowCase{"false If without Else",
                 {If("A", "0", "no"), Log("Y"), Bare("End"), Log("after")}, kAB, "after"},
        FlowCase{"Else If taken",
                 {If("A", "0", "no"), Log("X"), ElseIf("B", "0", "yes"), Log("Y"), Bare("Else"), Log("Z"),
                  Bare("End"), Log("after")},
                 kAB, "Y,after"},
        FlowCase{"Else If not taken falls to Else",
                 {If("A", "0", "no"), Log("X"), ElseIf("B", "0", "no"), Log("Y"), Bare("Else"), Log("Z"),
                  Bare("End"), Log("after")},
                 kAB, "Z,after"},
        FlowCase{"taken If skips a later true Else If",
                 {If("A", "0", "yes"), Log("X"), ElseIf("B", "0", "yes"), Log("Y"), Bare("End"), Log("after")}, kAB,
                 "X,after"},
        FlowCase{"chain of Else Ifs",
                 {If("A", "0", "1"), Log("1"), ElseIf("A", "0", "2"), Log("2"), ElseIf("A", "0", "yes"), Log("3"),
                  ElseIf("B", "0", "yes"), Log("4"), Bare("Else"), Log("5"), Bare("End")},
                 kAB, "3"},
        FlowCase{"If nested in a skipped branch is passed whole",
                 {If("A", "0", "no"), If("B", "0", "yes"), Log("inner"), Bare("Else"), Log("inner-else"),
                  Bare("End"), Log("outer"), Bare("Else"), Log("D"), Bare("End")},
                 kAB, "D"},
        FlowCase{"nested If inside a taken branch",
                 {If("A", "0", "yes"), If("B", "0", "no"), Log("inner"), ElseIf("B", "0", "yes"), Log("inner-elif"),
                  Bare("Else"), Log("inner-else"), Bare("End"), Log("outer"), Bare("Else"), Log("D"), Bare("End")},
                 kAB, "inner-elif,outer"},
        FlowCase{"a false If without Else leaves later blocks intact",
                 {If("A", "0", "no"), Log("X"), Bare("End"), If("A", "0", "yes"), Log("Y"), Bare("Else"), Log("Z"),
                  Bare("End"), If("A", "0", "no"), Log("P"), ElseIf("B", "0", "no"), Log("Q"), Bare("End"),
                  If("B", "0", "yes"), Log("R"), ElseIf("B", "0", "yes"), Log("S"), Bare("End")},
                 kAB, "Y,R"},
        FlowCase{"commented Else is not a branch",
                 {If("A", "0", "no"), Log("X"), Commented(Bare("Else")), Log("Y"), Bare("End"), Log("after")}, kAB,
                 "after"},
        FlowCase{"negated condition", {If("A", "0", "no", "TRUE"), Log("neg"), Bare("End")}, kAB, "neg"},
        FlowCase{"Ignore statements are passed by the scans",
                 {If("A", "0", "no"), Log("X"), Bare("Ignore"), Bare("Else"), Log("Y"), Bare("End")}, kAB, "Y"}));

INSTANTIATE_TEST_SUITE_P(
    Loops, ControlFlow,
    ::testing::Values(
        FlowCase{"While false on entry",
                 {While("A", "0", "no"), Log("body"), Bare("Wend"), Log("after")}, kAB, "after"},
        FlowCase{"While counts",
                 {Set("N", "1"), WhileAtMost("N", "3"), Log("$N$"), Inc("N"), Bare("Wend"), Log("after")}, {},
                 "1,2,3,after"},
        FlowCase{"Repeat runs at least once",
                 {Set("N", "5"), Bare("Repeat"), Log("$N$"), Inc("N"), UntilAbove("N", "0"), Log("after")}, {},
                 "5,after"},
        FlowCase{"Repeat repeats until the condition holds",
                 {Set("N", "1"), Bare("Repeat"), Log("$N$"), Inc("N"), UntilAbove("N", "3"), Log("after")}, {},
                 "1,2,3,after"},
        FlowCase{"nested loops",
                 {Set("I", "1"), WhileAtMost("I", "2"), Set("J", "1"), Bare("Repeat"), Log("$I$$J$"), Inc("J"),
                  UntilAbove("J", "2"), Inc("I"), Bare("Wend")},
                 {}, "11,12,21,22"},
        FlowCase{"Break in a Repeat inside a While leaves only the Repeat",
                 {Set("I", "1"), WhileAtMost("I", "9"), Bare("Repeat"), Log("r$I$"), Bare("Break"), Log("never"),
                  UntilAbove("I", "100"), Log("w$I$"), If("I", "0", "2"), Bare("Break"), Bare("End"), Inc("I"),
                  Bare("Wend"), Log("after")},
                 {}, "r1,w1,r2,w2,after"},
        FlowCase{"Break passes a nested loop on its way out",
                 {Set("I", "1"), WhileAtMost("I", "5"), If("I", "0", "3"), Bare("Break"), Bare("End"),
                  While("A", "0", "no"), Log("x"), Bare("Wend"), Log("$I$"), Inc("I"), Bare("Wend"), Log("after")},
                 kAB, "1,2,after"},
        FlowCase{"Continue skips the rest without testing the condition",
                 {Set("C", "0"), While("C", "0", "0"), Log("a"), Set("C", "1"), If("D", "0", ""), Set("D", "x"),
                  Bare("Continue"), Bare("End"), Log("b"), Bare("Wend"), Log("after")},
                 {}, "a,a,b,after"},
        FlowCase{"Continue in a Repeat",
                 {Set("N", "0"), Bare("Repeat"), Inc("N"), If("N", "0", "2"), Bare("Continue"), Bare("End"),
                  Log("$N$"), UntilAbove("N", "2")},
                 {}, "1,3"},
        FlowCase{"commented loop statements are passed by the matching scans",
                 {While("A", "0", "no"), Commented(Bare("Wend")), Log("body"), Bare("Wend"), Log("after")}, kAB,
                 "after"}));

INSTANTIATE_TEST_SUITE_P(
    LabelsAndComments, ControlFlow,
    ::testing::Values(
        FlowCase{"GoTo a label written in another case",
                 {Log("start"), GoTo("target"), Log("skipped"), Label("TarGet"), Log("end")}, {}, "start,end"},
        FlowCase{"GoTo backwards makes a loop",
                 {Set("N", "1"), Label("Top"), Log("$N$"), Inc("N"), If("N", "2", "3"), Bare("Terminate Install"),
                  Bare("End"), GoTo("top")},
                 {}, "1,2,3"},
        FlowCase{"GoTo out of a taken branch",
                 {If("A", "0", "yes"), GoTo("Out"), Bare("Else"), Log("else"), Bare("End"), Label("Out"),
                  If("A", "0", "yes"), Log("Y"), Bare("Else"), Log("Z"), Bare("End")},
                 kAB, "Y"},
        FlowCase{"GoTo a commented label lands after it",
                 {GoTo("L"), Log("skipped"), Commented(Label("L")), Log("end")}, {}, "end"},
        FlowCase{"commented statements never run",
                 {Commented(Log("c1")), Log("x"), Commented(Log("c2")), Log("y"), Commented(Log("last"))}, {},
                 "x,y"},
        FlowCase{"a commented statement is never run when it is the only one", {Commented(Log("only"))}, {}, ""},
        FlowCase{"unknown names do nothing", {Bare("No Such Command"), Bare("Comment"), Log("x")}, {}, "x"},
        FlowCase{"Terminate Install ends the run",
                 {Log("a"), Bare("Terminate Install"), Log("b")}, {}, "a"},
        FlowCase{"Mathematics through the engine's table",
                 {Set("N", "40"), {"Mathematics", {"$N$", "2", "0", "N"}}, Log("$N$")}, {}, "42"}));

struct WizardCase {
  const char* what;
  std::deque<std::string> outcomes;
  std::string log;
};

class WizardNavigation : public ExecutorTest, public ::testing::WithParamInterface<WizardCase> {};

TEST_P(WizardNavigation, FollowsTheDialogOutcomes) {
  const WizardCase& c = GetParam();
  ScriptedDialogs(c.outcomes);
  RunResult r = Run({Log("before"), Bare("Wizard Loop"), Dialog("D1"), Bare("Comment"), Dialog("D2"),
                     Commented(Dialog("hidden")), Dialog("D3"), Bare("End"), Log("after")});
  EXPECT_EQ(r.log, c.log) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, WizardNavigation,
    ::testing::Values(WizardCase{"Next through all pages", {"NEXT", "NEXT", "NEXT"}, "before,D1,D2,D3,after"},
                      WizardCase{"Back on the first page leaves", {"BACK"}, "before,D1,after"},
                      WizardCase{"Back and forth", {"NEXT", "BACK", "NEXT", "NEXT", "next"},
                                 "before,D1,D2,D1,D2,D3,after"},
                      WizardCase{"Cancel leaves at once", {"NEXT", "CANCEL"}, "before,D1,D2,after"},
                      WizardCase{"a named result keeps the direction", {"NEXT", "BACK", "FINISH", "NEXT"},
                                 "before,D1,D2,D1,after"}));

TEST_F(ExecutorTest, SilentDialogsStoreNextWithoutShowingAnything) {
  ScriptedDialogs({"CANCEL"});
  RunResult r = Run({Set("SILENT", "TRUE"), Bare("Wizard Loop"), Dialog("D1"), Dialog("D2"), Bare("End"),
                     {"Display Dialog", {"finish", "LASTPAGE", "TRUE", "", "TRUE", "FALSE"}}, Log("$LASTPAGE$")});
  EXPECT_EQ(r.log, "NEXT");  // no dialog handler ran
  EXPECT_EQ(vars_.Get("WIZARD"), "NEXT");
}

TEST_F(ExecutorTest, DialogOutcomeReadFromTheResultVariable) {
  // Handlers that report nothing: the frame reads the result variable.
  table_.register_command("Display Dialog", [this](Statement& s) {
    log_ += s.parameter(1) + ";";
    s.vars().Assign("WIZARD", s.parameter(1) == "D2" ? "cancel" : "NEXT", "Display Dialog Action");
  });
  RunResult r = Run({Bare("Wizard Loop"), Dialog("D1"), Dialog("D2"), Dialog("D3"), Bare("End"), Log("after")});
  EXPECT_EQ(r.log, "D1;D2;,after");
}

struct ExitCase {
  std::string parameter;
  std::vector<std::pair<std::string, std::string>> vars;
  int code;
};

class TerminateWithExitCode : public ExecutorTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(TerminateWithExitCode, SetsTheCodeAndStops) {
  const ExitCase& c = GetParam();
  RunResult r = Run({Log("a"), {"Terminate with Exit Code", {c.parameter}}, Log("b")}, c.vars);
  EXPECT_EQ(r.log, "a");
  EXPECT_EQ(r.exit_code, c.code) << c.parameter;
  EXPECT_EQ(r.end, RunEnd::Finished);
  EXPECT_EQ(host_.exit_scripts, 1);
}

INSTANTIATE_TEST_SUITE_P(Codes, TerminateWithExitCode,
                         ::testing::Values(ExitCase{"7", {}, 7}, ExitCase{"x", {}, 0}, ExitCase{"", {}, 0},
                                           ExitCase{"-3", {}, -3}, ExitCase{"$CODE$", {{"CODE", "1603"}}, 1603},
                                           ExitCase{"99999999999", {}, 0}));

TEST_F(ExecutorTest, SetVariableSpecialNames) {
  RunResult r = Run({Set("$target$", "$A$-$B$"), Set("KEEP$OXLE$OXLE$TRUE", "k"), Set("keep$OXLE$OXLE$TRUE", "k2"),
                     Set("TEMP$OXLE$OXLE$FALSE", "t"), Set("abort", "TRUE"), Set("OXLE_TIMEOUT", "25"),
                     Set("PROGRESS", "50"), Set("PROGRESSTEXT", "copying")},
                    kAB);
  EXPECT_EQ(vars_.Get("TARGET"), "yes-yes");
  EXPECT_EQ(vars_.Get("KEEP"), "k2");
  EXPECT_EQ(vars_.Get("TEMP"), "t");
  EXPECT_EQ(r.remembered, std::vector<std::string>{"KEEP"});
  EXPECT_EQ(vars_.Get("OXLE_IsCancelled"), "TRUE");
  EXPECT_EQ(r.download_timeout, 25);
  EXPECT_EQ(host_.progress_updates, 2);
}

TEST_F(ExecutorTest, TimeoutFallsBackToTenSeconds) {
  RunResult r = Run({Set("OXLE_TIMEOUT", "soon")});
  EXPECT_EQ(r.download_timeout, 10);
}

TEST_F(ExecutorTest, AbortMirrorsTheCancelFlagBeforeEachStatement) {
  RunResult r = Run({Log("$ABORT$"), Set("OXLE_IsCancelled", "true"), Log("$ABORT$")}, {{"ABORT", "x"}});
  EXPECT_EQ(r.log, "FALSE,TRUE");
}

// The mirror is skipped while no variable changes, so writes that bypass "Set
// Variable" (a worker thread, a command) and the script's own ABORT must still
// be seen before the next statement.
TEST_F(ExecutorTest, AbortMirrorSeesWritesFromOtherThreadsAndOverridesTheScript) {
  table_.register_command("Cancel From Worker", [](Statement& s) {
    std::thread worker([&vars = s.vars()] { vars.Define("OXLE_IsCancelled", "TRUE"); });
    worker.join();
  });
  RunResult r = Run({Log("$ABORT$"), Log("$ABORT$"), Set("ABORT", "mine"), Log("$ABORT$"),
                     {"Cancel From Worker", {}}, Log("$ABORT$"), Log("$ABORT$")});
  EXPECT_EQ(r.log, "FALSE,FALSE,FALSE,TRUE,TRUE");
}

TEST_F(ExecutorTest, SetVariableUsesTheTranslation) {
  host_.translations[testing::KeyFor(0) + "#1"] = "Willkommen $A$";
  Run({Set("GREETING", "Welcome $A$")}, kAB);
  EXPECT_EQ(vars_.Get("GREETING"), "Willkommen yes");
}

TEST_F(ExecutorTest, NativeLoggingIsAnnouncedBeforeTheAssignment) {
  Run({Set("NATIVE_LOGGING", "C:\\log\\")});
  EXPECT_EQ(host_.native_logging, std::vector<std::string>{"C:\\log\\"});
}

TEST_F(ExecutorTest, SilentModeKeepsCommandLineValues) {
  vars_.SetCommandLineProperties({"TARGETDIR", "D:\\cmd"});
  Run({Set("SILENT", "TRUE"), Set("TARGETDIR", "C:\\script"), Log("$TARGETDIR$")}, {{"TARGETDIR", "D:\\cmd"}});
  EXPECT_EQ(log_, "D:\\cmd");
  vars_.SetCommandLineProperties({});
}

TEST_F(ExecutorTest, PluginNamesRunThroughThePluginRunner) {
  std::vector<size_t> ran;
  set_plugin_runner([&](Statement& s) { ran.push_back(s.index()); });
  table_.register_command("Call DLL Function", [this](Statement&) { log_ += "table"; });
  RunResult r = Run({{"Call DLL Function", {"x"}}, Log("after")}, {}, {"Call DLL Function"});
  set_plugin_runner(nullptr);
  EXPECT_EQ(ran, std::vector<size_t>{0});
  EXPECT_EQ(r.log, "after");
}

TEST_F(ExecutorTest, PluginStatementsDoNothingWithoutARunner) {
  table_.register_command("Call DLL Function", [this](Statement&) { log_ += "table"; });
  RunResult r = Run({{"Call DLL Function", {"x"}}, Log("after")}, {}, {"Call DLL Function"});
  EXPECT_EQ(r.log, "after");
}

TEST_F(ExecutorTest, AnExceptionEndsTheScriptWithAReport) {
  table_.register_command("Explode", [](Statement&) { throw std::runtime_error("Access violation"); });
  RunResult r = Run({Log("a"), Bare("Comment"), Bare("Explode"), Log("b")}, {});
  EXPECT_EQ(r.end, RunEnd::Exception);
  EXPECT_EQ(r.log, "a");
  EXPECT_EQ(host_.reports, 1);
  EXPECT_EQ(host_.reported_index, 2u);
  EXPECT_EQ(host_.reported_text, "Access violation");
  EXPECT_EQ(host_.exit_scripts, 1);
}

TEST_F(ExecutorTest, AVersionErrorInAConditionIsAnException) {
  RunResult r = Run({If("V", "6", "1.0"), Log("x"), Bare("End")}, {{"V", "a.b"}});
  EXPECT_EQ(r.end, RunEnd::Exception);
  EXPECT_EQ(host_.reported_index, 0u);
}

TEST_F(ExecutorTest, CallbackCanStopTheRun) {
  std::vector<size_t> seen;
  callback_ = [&](size_t index) {
    seen.push_back(index);
    return index < 2;
  };
  RunResult r = Run({Log("a"), Commented(Log("c")), Log("b"), Log("never")});
  EXPECT_EQ(r.end, RunEnd::Callback);
  EXPECT_EQ(r.log, "a");
  EXPECT_EQ(seen, (std::vector<size_t>{0, 2}));
  EXPECT_EQ(host_.exit_scripts, 1);
}

TEST_F(ExecutorTest, PumpsMessagesWhenTheIntervalPassed) {
  // The fake clock advances 100 ms per reading: every few statements pass 314 ms.
  Run({Log("1"), Log("2"), Log("3"), Log("4"), Log("5"), Log("6"), Log("7"), Log("8")});
  EXPECT_GE(host_.pumps, 1);
  EXPECT_LE(host_.pumps, 4);
}

TEST(ExceptionReport, ComposesHeadingSourceAndText) {
  EXPECT_EQ(exception_report_text("An error occurred.", SourceLine{"Demo Setup", 42}, "Boom"),
            "An error occurred.\r\rSource File: Demo Setup\rLine Number: 42\r\rBoom");
}

TEST(DialogOutcomes, Classification) {
  EXPECT_EQ(classify_dialog_outcome("next"), DialogOutcome::Next);
  EXPECT_EQ(classify_dialog_outcome("BACK"), DialogOutcome::Back);
  EXPECT_EQ(classify_dialog_outcome("Cancel"), DialogOutcome::Cancel);
  EXPECT_EQ(classify_dialog_outcome("FINISH"), DialogOutcome::Other);
  EXPECT_EQ(classify_dialog_outcome(""), DialogOutcome::Other);
}

}  // namespace
}  // namespace qel
