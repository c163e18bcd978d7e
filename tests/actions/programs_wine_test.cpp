#include <windows.h>

#include <fstream>
#include <sstream>

#include "tests/actions/action_script.h"

namespace qel::actions_testing {
namespace {

const std::string& ExitProgram() {
  static const std::string path = WindowsPath(QEL_EXIT_CODE_PROGRAM);
  return path;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  return folder;
}

TEST(RunProgram, ReportsExitCodes) {
  struct Case {
    const char* name;
    std::string program;
    const char* no_wait;
    const char* arguments;
    const char* expected;
  };
  const Case cases[] = {
      {"own code", ExitProgram(), "FALSE", "7", "7"},
      {"negative code", ExitProgram(), "FALSE", "-5", "-5"},
      {"large code", ExitProgram(), "FALSE", "314", "314"},
      {"still running without waiting", ExitProgram(), "TRUE", "0 3000", "259"},
      {"missing program", "C:\\no\\such\\program.exe", "FALSE", "", "-1"},
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    vars.Define("SILENT", "TRUE");
    RunScript(vars, {{"Run Program", {c.program, c.no_wait, c.arguments, "FALSE", "EXIT"}}});
    EXPECT_EQ(vars.Get("EXIT"), c.expected) << c.name;
  }
}

TEST(RunProgram, StartsInTheProgramFolderAndRestoresTheEngineFolder) {
  const std::string scratch = ScratchFolder("qelrun");
  const std::string report = scratch + "report.txt";
  const std::string before = CurrentFolder();
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  vars.Define("REPORT", report);
  RunScript(vars, {{"Run Program", {ExitProgram(), "FALSE", "3 0 \"$REPORT$\" \"two words\"", "FALSE", "EXIT"}}});
  EXPECT_EQ(vars.Get("EXIT"), "3");
  const std::vector<std::string> lines = ReadLines(report);
  ASSERT_GE(lines.size(), 3u);
  std::string program_folder = FolderOf(ExitProgram());
  program_folder.pop_back();
  EXPECT_EQ(lstrcmpiA(lines[0].c_str(), program_folder.c_str()), 0) << lines[0];
  EXPECT_EQ(lines[2], "two words");
  EXPECT_EQ(CurrentFolder(), before);
  DeleteFileA(report.c_str());
}

TEST(RunProgramAs, StartsWithTheGivenEnvironmentAndWorkingFolder) {
  const std::string scratch = ScratchFolder("qelrunas");
  const std::string report = scratch + "report.txt";
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  vars.Define("REPORT", report);
  const std::string environment = "QEL_PROBE=probe value\r\nOTHER=1";
  for (const char* user : {"", "$OXLE_UAC$"}) {
    DeleteFileA(report.c_str());
    RunScript(vars, {{"Run Program As",
                      {ExitProgram(), scratch, "12 0 \"$REPORT$\"", "1", user, "", "", "EXIT", "TRUE", environment}}});
    EXPECT_EQ(vars.Get("EXIT"), "12") << user;
    const std::vector<std::string> lines = ReadLines(report);
    ASSERT_GE(lines.size(), 2u) << user;
    EXPECT_EQ(lines[1], "probe value") << user;
  }
}

TEST(RunProgramAs, ExitCodes) {
  struct Case {
    const char* name;
    std::string program;
    const char* arguments;
    const char* wait;
    const char* expected;
  };
  const Case cases[] = {
      {"waits for the code", ExitProgram(), "-2", "TRUE", "-2"},
      {"still running without waiting", ExitProgram(), "0 3000", "FALSE", "259"},
      {"process creation fails", "C:\\no\\such\\program.exe", "", "TRUE", "-11"},
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    vars.Define("SILENT", "TRUE");
    RunScript(vars, {{"Run Program As", {c.program, "", c.arguments, "0", "", "", "", "EXIT", c.wait, ""}}});
    EXPECT_EQ(vars.Get("EXIT"), c.expected) << c.name;
  }
}

TEST(RunProgramAs, ShowModeMustBeANumber) {
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  const ScriptRun run = RunScript(
      vars, {{"Run Program As", {ExitProgram(), "", "1", "shown", "", "", "", "EXIT", "TRUE", ""}}, {"Set Variable", {"AFTER", "ran"}}});
  EXPECT_EQ(run.end, RunEnd::Exception);
  EXPECT_EQ(run.reports.size(), 1u);
  EXPECT_FALSE(vars.Exists("AFTER"));
}

TEST(RunProgram, CancelWhileWaitingGivesMinus314AndMarksTheAbort) {
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  vars.Define("OXLE_IsCancelled", "FALSE");
  HANDLE canceller = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        Sleep(300);
        static_cast<TVariableManager*>(p)->Set("OXLE_IsCancelled", "TRUE");
        return 0;
      },
      &vars, 0, nullptr);
  const DWORD start = GetTickCount();
  RunScript(vars, {{"Run Program", {ExitProgram(), "FALSE", "0 8000", "FALSE", "EXIT"}}});
  const DWORD elapsed = GetTickCount() - start;
  WaitForSingleObject(canceller, INFINITE);
  CloseHandle(canceller);
  EXPECT_EQ(vars.Get("EXIT"), "-314");
  EXPECT_EQ(vars.Get("ABORTEDONERROR"), "TRUE");
  EXPECT_LT(elapsed, 6000u);  // did not wait for the program's 8 s
}

TEST(TerminateProcess, ProcessThatIsNotRunningCountsAsEnded) {
  TVariableManager vars;
  RunScript(vars, {{"Terminate Process", {"qel_no_such_process.exe", "DONE"}}});
  EXPECT_EQ(vars.Get("DONE"), "TRUE");
}

TEST(TerminateProcess, EndsARunningProgramByFileName) {
  // A copy under a name of its own, so that programs left by other tests do not count.
  const std::string copy = ScratchFolder("qelterm") + "qel_terminate_me.exe";
  ASSERT_TRUE(CopyFileA(ExitProgram().c_str(), copy.c_str(), FALSE));
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  RunScript(vars, {{"Run Program", {copy, "TRUE", "0 20000", "FALSE", "EXIT"}},
                   {"Terminate Process", {"QEL_TERMINATE_ME.EXE", "DONE"}},
                   {"Terminate Process", {"qel_terminate_me.exe", "AGAIN"}}});
  EXPECT_EQ(vars.Get("EXIT"), "259");
  EXPECT_EQ(vars.Get("DONE"), "TRUE");
  EXPECT_EQ(vars.Get("AGAIN"), "TRUE");
}

}  // namespace
}  // namespace qel::actions_testing
