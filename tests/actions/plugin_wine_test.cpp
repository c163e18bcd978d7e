#include <windows.h>

#include "tests/actions/action_script.h"

namespace qel::actions_testing {
namespace {

constexpr const char* kPluginCommand = "Call Test Plug-In";
constexpr const char* kStoredPath = "TestPlugin\\qel_test_plugin.dll";

class Plugin : public ::testing::Test {
 protected:
  void SetUp() override {
    process_state().support_folder = FolderOf(WindowsPath(QEL_TEST_PLUGIN));
    vars_.Define("SILENT", "TRUE");
  }
  ScriptRun Run(std::vector<Stmt> statements) { return RunScript(vars_, statements, {kPluginCommand, "Run Program"}); }
  static Stmt Call(const char* mode, const char* library = kStoredPath) { return {kPluginCommand, {mode, library}}; }

  TVariableManager vars_;
};

TEST_F(Plugin, ReturnedVariablesAreSetIncludingValuesWithBlanks) {
  vars_.Define("IN", "value with blanks, a comma and \"quotes\"");
  vars_.Define("A", "old");
  const ScriptRun run = Run({Call("SET")});
  EXPECT_EQ(run.end, RunEnd::Finished);
  EXPECT_EQ(vars_.Get("A"), "1");
  EXPECT_EQ(vars_.Get("B"), "two words");
  EXPECT_EQ(vars_.Get("ECHO"), "value with blanks, a comma and \"quotes\"");
  EXPECT_EQ(vars_.Get("RESERVED"), "0");
  EXPECT_EQ(vars_.Get("OWNER"), "0");  // no dialog is shown
}

TEST_F(Plugin, ProgressReachesTheProgressVariables) {
  Run({Call("PROGRESS")});
  EXPECT_EQ(vars_.Get("LAST_ANSWER"), "1");
  EXPECT_EQ(vars_.Get("OXLE_thProgress"), "90");
  EXPECT_EQ(vars_.Get("OXLE_thProgressText"), "step two");
  EXPECT_FALSE(vars_.Get("OXLE_LastDelegateTick").empty());
}

TEST_F(Plugin, EmptyResultEndsTheScriptOnlyUnderAbortOnError) {
  struct Case {
    const char* abort_on_error;
    RunEnd end;
    bool after_runs;
  };
  const Case cases[] = {{"FALSE", RunEnd::Finished, true}, {"TRUE", RunEnd::Exception, false}};
  for (const Case& c : cases) {
    TVariableManager vars;
    vars.Define("SILENT", "TRUE");
    vars.Define("ABORTONERROR", c.abort_on_error);
    vars.Define("KEEP", "kept");
    const ScriptRun run = RunScript(vars, {Call("EMPTY"), {"Set Variable", {"AFTER", "ran"}}}, {kPluginCommand});
    EXPECT_EQ(run.end, c.end) << c.abort_on_error;
    EXPECT_EQ(vars.Exists("AFTER"), c.after_runs) << c.abort_on_error;
    EXPECT_EQ(vars.Get("KEEP"), "kept");
    if (c.end == RunEnd::Exception) {
      ASSERT_EQ(run.reports.size(), 1u);
      EXPECT_EQ(run.reports[0], "General setup failure");
    }
  }
}

TEST_F(Plugin, FailureLeavesEveryVariableUnchanged) {
  vars_.Define("X", "x value");
  vars_.Define("ABORTONERROR", "TRUE");
  const ScriptRun run = Run({Call("FAIL"), {"Set Variable", {"AFTER", "ran"}}});
  EXPECT_EQ(run.end, RunEnd::Finished);  // the variables came back, so the result was not empty
  EXPECT_EQ(vars_.Get("X"), "x value");
  EXPECT_EQ(vars_.Get("AFTER"), "ran");
}

TEST_F(Plugin, MissingLibraryInSilentModeSkipsTheStatement) {
  const ScriptRun run = Run({Call("SET", "TestPlugin\\qel_missing_plugin.dll"), {"Set Variable", {"AFTER", "ran"}}});
  EXPECT_EQ(run.end, RunEnd::Finished);
  EXPECT_TRUE(run.reports.empty());
  EXPECT_FALSE(vars_.Exists("B"));
  EXPECT_EQ(vars_.Get("AFTER"), "ran");
}

TEST_F(Plugin, ANameInThePlugInListIsNeverABuiltInCommand) {
  vars_.Define("IN", "");
  Run({{"Run Program", {"SET", kStoredPath, "", "", "EXIT"}}});
  EXPECT_EQ(vars_.Get("B"), "two words");
  EXPECT_FALSE(vars_.Exists("EXIT"));
}

TEST_F(Plugin, LibraryFromTheDataFolderNeedsTheSourceMarker) {
  const std::string data = ScratchFolder("qelplugdata");
  CreateDirectoryA((data + "Block1").c_str(), nullptr);
  CreateDirectoryA((data + "Block1\\TestPlugin").c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(WindowsPath(QEL_TEST_PLUGIN).c_str(), (data + "Block1\\TestPlugin\\qel_test_plugin.dll").c_str(),
                        FALSE));
  process_state().data_folder = data;
  process_state().support_folder = "C:\\nowhere\\";
  const std::string code = "{5A5A5A5A-1111-2222-3333-444455556666}";
  auto with_entry = [&](Payload& p) {
    p.product_code = code;
    p.media_blocks[0] = "Block1\\";
  };

  vars_.Define("ABORTONERROR", "TRUE");
  ScriptRun run = RunScript(vars_, {Call("SET")}, {kPluginCommand}, with_entry);
  EXPECT_EQ(run.end, RunEnd::Exception);  // no marker: sources not found
  ASSERT_EQ(run.reports.size(), 1u);
  EXPECT_EQ(run.reports[0], "Original setup sources required to complete operation, sources not found");

  WriteFile(data + code, "");
  run = RunScript(vars_, {Call("SET")}, {kPluginCommand}, with_entry);
  EXPECT_EQ(run.end, RunEnd::Finished);
  EXPECT_EQ(vars_.Get("B"), "two words");
}

// Sets OXLE_IsCancelled from another thread after a short while.
class Canceller {
 public:
  explicit Canceller(TVariableManager& vars) : vars_(vars) {
    thread_ = CreateThread(nullptr, 0, &Canceller::Body, this, 0, nullptr);
  }
  ~Canceller() {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }

 private:
  static DWORD WINAPI Body(void* self) {
    Sleep(300);
    static_cast<Canceller*>(self)->vars_.Set("OXLE_IsCancelled", "TRUE");
    return 0;
  }
  TVariableManager& vars_;
  HANDLE thread_;
};

TEST_F(Plugin, CancelAsksThePlugInToStopThroughTheProgressCallback) {
  vars_.Define("OXLE_IsCancelled", "FALSE");
  const DWORD start = GetTickCount();
  {
    Canceller canceller(vars_);
    Run({Call("UNTIL_STOPPED"), {"Set Variable", {"AFTER", "ran"}}});
  }
  EXPECT_LT(GetTickCount() - start, 4000u);  // stopped by its answer, not by the watchdog
  EXPECT_EQ(vars_.Get("STOPPED"), "TRUE");
  EXPECT_EQ(vars_.Get("ABORTEDONERROR"), "TRUE");
  EXPECT_EQ(vars_.Get("AFTER"), "ran");
}

TEST_F(Plugin, CancelWithAbortOnErrorEndsTheScript) {
  vars_.Define("OXLE_IsCancelled", "FALSE");
  vars_.Define("ABORTONERROR", "TRUE");
  ScriptRun run;
  {
    Canceller canceller(vars_);
    run = Run({Call("UNTIL_STOPPED"), {"Set Variable", {"AFTER", "ran"}}});
  }
  EXPECT_EQ(run.end, RunEnd::Finished);
  EXPECT_FALSE(vars_.Exists("AFTER"));
  EXPECT_FALSE(vars_.Exists("STOPPED"));  // nothing applied after the cancellation ended the script
}

TEST_F(Plugin, WatchdogEndsAPlugInThatStopsReporting) {
  vars_.Define("OXLE_IsCancelled", "FALSE");
  const DWORD start = GetTickCount();
  {
    Canceller canceller(vars_);
    Run({Call("SILENT_HANG"), {"Set Variable", {"AFTER", "ran"}}});
  }
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 5000u);
  EXPECT_LT(elapsed, 12000u);
  EXPECT_EQ(vars_.Get("ABORTEDONERROR"), "TRUE");
  EXPECT_EQ(vars_.Get("AFTER"), "ran");
}

}  // namespace
}  // namespace qel::actions_testing
