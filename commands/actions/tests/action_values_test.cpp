#include <gtest/gtest.h>

#include <string>

#include "commands/actions/action_values.h"
#include "commands/actions/progress_report.h"
#include "engine/variables.h"

namespace qel::commands::actions {
namespace {

TEST(RunProgramAs, ShowModesMapToShowCommands) {
  const int expected[] = {5 /*SW_SHOW*/, 0 /*SW_HIDE*/, 3 /*SW_SHOWMAXIMIZED*/, 2 /*SW_SHOWMINIMIZED*/,
                          7 /*SW_SHOWMINNOACTIVE*/};
  for (int mode = 0; mode < 5; ++mode) EXPECT_EQ(ShowCommandForMode(mode), expected[mode]) << mode;
}

TEST(RunProgramAs, CommandLineQuotesTheProgram) {
  EXPECT_EQ(RunAsCommandLine("C:\\My Tools\\x.exe", "/a \"b c\""), "\"C:\\My Tools\\x.exe\" /a \"b c\"");
  EXPECT_EQ(RunAsCommandLine("x.exe", ""), "\"x.exe\" ");
}

TEST(RunProgramAs, EnvironmentBlockSeparatesEntriesByNul) {
  using namespace std::string_literals;
  struct Case {
    std::string lines;
    std::string block;
  };
  const Case cases[] = {
      {"", ""},
      {"A=1", "A=1\0\0"s},
      {"A=1\r\nB=two words", "A=1\0B=two words\0\0"s},
      {"A=1\r\n\r\nB=2\r\n", "A=1\0B=2\0\0"s},  // an empty line would end the block early
      {"\r\n", "\0\0"s},
  };
  for (const Case& c : cases) EXPECT_EQ(EnvironmentBlock(c.lines), c.block) << c.lines;
}

TEST(RunProgram, ProgramFolderKeepsItsBackslash) {
  EXPECT_EQ(FolderWithBackslash("C:\\Tools\\run.exe"), "C:\\Tools\\");
  EXPECT_EQ(FolderWithBackslash("run.exe"), "");
}

TEST(MessageBox, IconsAndButtonsCombine) {
  struct Case {
    int icon, buttons;
    uint32_t style;
  };
  const Case cases[] = {
      {0, 1, 0x40}, {1, 4, 0x24}, {2, 3, 0x35}, {3, 1, 0x10}, {3, 0, 0x12},
      {0, 2, 0x41}, {0, 5, 0x43},
      {7, 1, 0x40}, {0, 9, 0x40}, {-1, -1, 0x40},  // outside the ranges: information and OK
  };
  for (const Case& c : cases) EXPECT_EQ(MessageBoxStyle(c.icon, c.buttons), c.style) << c.icon << "/" << c.buttons;
}

TEST(MessageBox, OnlyAnErrorIconWithOkIsAnErrorBox) {
  EXPECT_TRUE(IsErrorBoxStyle(MessageBoxStyle(3, 1)));
  EXPECT_FALSE(IsErrorBoxStyle(MessageBoxStyle(3, 2)));
  EXPECT_FALSE(IsErrorBoxStyle(MessageBoxStyle(2, 1)));
}

TEST(MessageBox, ButtonIdsGiveTheirNames) {
  const char* names[] = {"", "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO", ""};
  for (int id = 0; id <= 8; ++id) EXPECT_EQ(ButtonName(id), names[id]) << id;
}

TEST(MessageBalloon, TimeoutIsClampedToTenToThirtySeconds) {
  const int cases[][2] = {{5, 10}, {10, 10}, {20, 20}, {30, 30}, {60, 30}, {-3, 10}};
  for (const auto& c : cases) EXPECT_EQ(BalloonTimeoutSeconds(c[0]), c[1]) << c[0];
}

TEST(RebootAndResume, ValueNameIsTheFirstEightDigitsOfTheProductCode) {
  EXPECT_EQ(RebootValueName("{1A2B3C4D-0000-1111-2222-333344445555}"), "1A2B3C4D");
  EXPECT_EQ(RebootValueName("{12}"), "12}");
  EXPECT_EQ(RebootValueName(""), "");
}

TEST(RebootAndResume, CommandPrefersTheEnginePathAndKeepsTheArguments) {
  struct Case {
    const char* sfx;
    const char* program;
    const char* args;
    const char* command;
  };
  const Case cases[] = {
      {"", "C:\\setup.exe", "", "C:\\setup.exe"},
      {"", "C:\\setup.exe", "/s LANG=de", "C:\\setup.exe /s LANG=de"},
      {"d:\\cache\\setup.exe", "C:\\setup.exe", "", "d:\\cache\\setup.exe"},
      {"d:\\cache\\setup.exe", "C:\\setup.exe", "/s", "d:\\cache\\setup.exe /s"},
  };
  for (const Case& c : cases) EXPECT_EQ(RebootCommand(c.sfx, c.program, c.args), c.command);
}

TEST(PluginLibraries, WindowsInstallerPluginIsRecognisedByFileName) {
  struct Case {
    const char* path;
    bool msi;
  };
  const Case cases[] = {
      {"C:\\T\\qMSIExec.dll", true}, {"qmsiexec.DLL", true}, {"qMSI.dll\\QMSIEXEC.DLL", true},
      {"C:\\T\\qMSIExec.dll.bak", false}, {"C:\\qMSIExec.dll\\other.dll", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsMsiExecLibrary(c.path), c.msi) << c.path;
}

TEST(RegisterLibrary, ExtensionsCompareWithoutCase) {
  EXPECT_TRUE(HasExtension("C:\\x\\lib.tlb", ".TLB"));
  EXPECT_TRUE(HasExtension("SERVER.Exe", ".EXE"));
  EXPECT_FALSE(HasExtension("server.exe.dll", ".EXE"));
  EXPECT_FALSE(HasExtension("tlb", ".TLB"));
}

TEST(DelegateUpdate, WritesProgressVariablesAndStampsTheTick) {
  TVariableManager vars;
  DelegateUpdate(vars, "Copying", 0, 100, 42, 1234);
  EXPECT_EQ(vars.Get("OXLE_thProgress"), "42");
  EXPECT_EQ(vars.Get("OXLE_thMax"), "100");
  EXPECT_EQ(vars.Get("OXLE_thProgressText"), "Copying");
  EXPECT_EQ(vars.Get("OXLE_LastDelegateTick"), "1234");

  DelegateUpdate(vars, kKeepProgressText, 0, 100, 43, 1300);
  EXPECT_EQ(vars.Get("OXLE_thProgressText"), "Copying");
  EXPECT_EQ(vars.Get("OXLE_thProgress"), "43");

  DelegateUpdate(vars, "C:\\found.txt", 0, 0, kKeepPosition, 1400);
  EXPECT_EQ(vars.Get("OXLE_thProgress"), "43");
  EXPECT_EQ(vars.Get("OXLE_thMax"), "100");
  EXPECT_EQ(vars.Get("OXLE_thProgressText"), "C:\\found.txt");
  EXPECT_EQ(vars.Get("OXLE_LastDelegateTick"), "1400");
}

TEST(DelegateUpdate, MarkerTakesEverythingFromTheVariables) {
  TVariableManager vars;
  vars.Set("OXLE_thProgressText", "from vars");
  vars.Set("OXLE_thProgress", "7");
  vars.Set("OXLE_thMax", "5000000000");
  vars.Set("OXLE_thMin", "1");
  DelegateUpdate(vars, kProgressFromVariables, 0, 0, 0, 99);
  EXPECT_EQ(vars.Get("OXLE_thMax"), "5000000000");
  EXPECT_EQ(vars.Get("OXLE_thMin"), "1");
  EXPECT_EQ(vars.Get("OXLE_thProgress"), "7");
  EXPECT_EQ(vars.Get("OXLE_thProgressText"), "from vars");
}

}  // namespace
}  // namespace qel::commands::actions
