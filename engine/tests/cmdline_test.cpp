#include "engine/cmdline.h"

#include <gtest/gtest.h>

namespace qel {
namespace {

struct TailCase {
  const char* raw;
  const char* tail;
};

TEST(CommandLine, TailDropsTheProgramPart) {
  const TailCase cases[] = {
      {R"("C:\Program Files\Setup\setup.exe" /s NAME=v)", "/s NAME=v"},
      {R"("C:\Setup\setup.exe")", ""},
      {R"("C:\Setup\setup.exe" )", ""},
      {R"("C:\Setup\setup.exe"  two)", " two"},
      {R"(C:\Setup\setup.exe /s)", "/s"},
      {R"(setup.exe)", ""},
      {R"(setup.exe )", ""},
      {R"("unterminated /s)", ""},
      {"", ""},
  };
  for (const TailCase& c : cases) EXPECT_EQ(command_tail(c.raw), c.tail) << c.raw;
}

TEST(CommandLine, ParametersSplitAtBlanksAndQuotesGroup) {
  const struct {
    const char* tail;
    StringList parameters;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"/s  NAME=v\tx", {"/s", "NAME=v", "x"}},
      {R"(DIR="C:\Program Files\App\" /l=x)", {R"(DIR=C:\Program Files\App\)", "/l=x"}},
      {R"("a b" c)", {"a b", "c"}},
      {R"(a"b c"d)", {"ab cd"}},
      {R"("")", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(split_parameters(c.tail), c.parameters) << c.tail;
}

TEST(CommandLine, SilentAndWindowSwitches) {
  const struct {
    const char* raw;
    bool silent;
    bool suppressed;
  } cases[] = {
      {"setup.exe /s", true, true},
      {"setup.exe -S", true, true},
      {"setup.exe /QN", true, true},
      {"setup.exe s", false, false},
      {"setup.exe /silent", false, false},
      {"setup.exe /update", false, true},
      {"setup.exe -UpdateSetup", false, true},
      {"setup.exe /updates", false, false},
      {"setup.exe A=/s", false, false},
  };
  for (const auto& c : cases) {
    const CommandLine cl = parse_command_line(c.raw);
    EXPECT_EQ(cl.silent, c.silent) << c.raw;
    EXPECT_EQ(cl.windows_suppressed, c.suppressed) << c.raw;
  }
}

TEST(CommandLine, SwitchValuesAreLowerCasedWithoutTheirFirstThreeCharacters) {
  const CommandLine cl = parse_command_line(
      R"("C:\My Setup\setup.exe" /L=C:\Logs\Trace.TXT -P=D:\Src /G=\\Server\Share\Pol.ini /M=C:\Out\Pack.EXE)");
  EXPECT_EQ(cl.trace_path, R"(c:\logs\trace.txt)");
  EXPECT_EQ(cl.alternative_source, R"(d:\src)");
  EXPECT_EQ(cl.gpo_path, R"(\\server\share\pol.ini)");
  EXPECT_EQ(cl.sfx_path, R"(c:\out\pack.exe)");
}

TEST(CommandLine, FirstParameterHoldingTheSwitchWins) {
  const struct {
    const char* raw;
    const char* trace;
  } cases[] = {
      {"setup.exe -l=first /l=second", "first"},
      {"setup.exe /l=a.log -l=b.log", "a.log"},
      {"setup.exe X/l=abc", "=abc"},  // the text may stand anywhere; three characters go
      {"setup.exe /s", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_command_line(c.raw).trace_path, c.trace) << c.raw;
}

TEST(CommandLine, PropertiesKeepTheirValueAndUpperCaseTheName) {
  const CommandLine cl = parse_command_line(
      R"("C:\My Setup\setup.exe" TargetDir="C:\Program Files\Demo" /Flag=1 -x=2 Mixed=Value=More plain)");
  EXPECT_EQ(cl.properties, (StringList{"TARGETDIR", R"(C:\Program Files\Demo)", "MIXED", "Value=More"}));
}

TEST(CommandLine, QuotedProgramPathWithTwoArguments) {
  const CommandLine cl = parse_command_line(R"("C:\Program Files\x\setup.exe" /s A=b)");
  EXPECT_EQ(cl.tail, "/s A=b");
  EXPECT_EQ(cl.parameters, (StringList{"/s", "A=b"}));
}

}  // namespace
}  // namespace qel
