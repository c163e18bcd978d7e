#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/plugin/plugin_call.h"
#include "commands/plugin/plugin_location.h"
#include "commands/plugin/variable_exchange.h"
#include "engine/comma_text.h"
#include "engine/variables.h"

namespace qel::commands::plugin {
namespace {

std::map<std::string, std::string> PairsOf(const std::string& text) {
  const std::vector<std::string> entries = SplitCommaText(text);
  std::map<std::string, std::string> pairs;
  for (size_t i = 0; i + 1 < entries.size(); i += 2) pairs[entries[i]] = entries[i + 1];
  return pairs;
}

TEST(VariableExchange, EveryVariableSurvivesTheRoundTrip) {
  TVariableManager vars;
  const std::map<std::string, std::string> values = {
      {"PLAIN", "1"},
      {"BLANKS", "two words"},
      {"COMMA", "a,b"},
      {"QUOTE", "say \"hi\""},
      {"EMPTY", ""},
      {"NEWLINE", "a\r\nb"},
      {"PATH", "C:\\Program Files\\X"},
  };
  for (const auto& [name, value] : values) vars.Define(name, value);
  const std::string text = BuildExchangeText(vars);
  EXPECT_EQ(PairsOf(text), values);

  TVariableManager back;
  EXPECT_EQ(ApplyExchangeText(back, text), values.size());
  for (const auto& [name, value] : values) EXPECT_EQ(back.Get(name), value) << name;
}

TEST(VariableExchange, ResultPairsSetVariablesStraightInTheStore) {
  TVariableManager vars;
  vars.Define("KEEP", "kept");
  vars.Define("b", "old");
  // A command-line property in silent mode is not protected against plug-ins.
  vars.SetSilent(true);
  vars.SetCommandLineProperties({"A", "from command line"});
  vars.Define("A", "from command line");
  ApplyExchangeText(vars, "A,1,B,\"two words\",NEW,");
  EXPECT_EQ(vars.Get("A"), "1");
  EXPECT_EQ(vars.Get("B"), "two words");
  EXPECT_EQ(vars.Get("NEW"), "");
  EXPECT_TRUE(vars.Exists("NEW"));
  EXPECT_EQ(vars.Get("KEEP"), "kept");
}

TEST(VariableExchange, UnquotedBlanksSplitEntriesAsCommaTextDoes) {
  TVariableManager vars;
  ApplyExchangeText(vars, "A,two words");
  // "two" is A's value; "words" is a name without a value.
  EXPECT_EQ(vars.Get("A"), "two");
  EXPECT_TRUE(vars.Exists("words"));
}

// A fake RunTimeExecute that reports a result text.
EntryCall Reporting(const std::string& text, int* calls) {
  return [text, calls](char* buffer) -> int32_t {
    ++*calls;
    if (!buffer) return static_cast<int32_t>(text.size());
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int32_t>(text.size());
  };
}

TEST(PluginCall, TwoCallsFetchTheResultText) {
  int calls = 0;
  const PluginOutcome outcome = CallPlugin(Reporting("A,1,B,\"two words\"", &calls), "IN,x");
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(outcome.failed);
  EXPECT_EQ(outcome.result, "A,1,B,\"two words\"");
}

TEST(PluginCall, FailureHandsBackTheVariablesPassedIn) {
  struct Case {
    const char* name;
    EntryCall call;
  };
  const Case cases[] = {
      {"returns -1", [](char*) { return int32_t{-1}; }},
      {"returns another negative length", [](char*) { return int32_t{-5}; }},
      {"throws", [](char*) -> int32_t { throw std::runtime_error("crash"); }},
      {"no entry point", EntryCall()},
  };
  for (const Case& c : cases) {
    const PluginOutcome outcome = CallPlugin(c.call, "A,1,B,2");
    EXPECT_TRUE(outcome.failed) << c.name;
    EXPECT_EQ(outcome.result, "A,1,B,2") << c.name;
  }
}

TEST(PluginCall, LengthZeroGivesAnEmptyResult) {
  int calls = 0;
  const PluginOutcome outcome = CallPlugin(Reporting("", &calls), "A,1");
  EXPECT_FALSE(outcome.failed);
  EXPECT_EQ(outcome.result, "");
}

TEST(PluginCall, ResultNeverReadsBeyondTheAnnouncedLength) {
  // Announces 3 characters but fills the buffer without a terminator.
  const PluginOutcome outcome = CallPlugin(
      [](char* buffer) -> int32_t {
        if (buffer) std::memcpy(buffer, "ABCD", 4);  // the 4th lands on the terminator cell
        return 3;
      },
      "");
  EXPECT_EQ(outcome.result, "ABC");
}

TEST(PluginCall, AnExceptionInTheSecondCallKeepsWhatWasWritten) {
  const PluginOutcome outcome = CallPlugin(
      [](char* buffer) -> int32_t {
        if (!buffer) return 3;
        std::memcpy(buffer, "X,1", 3);
        throw std::runtime_error("late crash");
      },
      "");
  EXPECT_FALSE(outcome.failed);
  EXPECT_EQ(outcome.result, "X,1");
}

TEST(PluginLocation, LibraryPaths) {
  EXPECT_EQ(LibraryFileName("qMSI.dll\\qMSIExec.dll"), "qMSIExec.dll");
  EXPECT_EQ(LibraryFileName("plain.dll"), "plain.dll");
  EXPECT_EQ(SupportFolderLibrary("C:\\T\\qel1\\", "qMSI.dll\\qMSIExec.dll"), "C:\\T\\qel1\\qMSIExec.dll");
  EXPECT_EQ(SupportFolderLibrary("C:\\T\\qel1", "x.dll"), "C:\\T\\qel1\\x.dll");
  EXPECT_EQ(DataFolderLibrary("D:\\setup\\data\\", "OFFLINE\\", "p\\x.dll"), "D:\\setup\\data\\OFFLINE\\p\\x.dll");
}

TEST(PluginLocation, SourceFolderNeedsTheProductCodeMarker) {
  const std::string code = "{11111111-2222-3333-4444-555555555555}";
  struct Case {
    const char* name;
    std::vector<std::string> existing;
    std::vector<std::string> answers;  // folders the user picks, then cancel
    const char* expected;
    size_t asked;
  };
  const Case cases[] = {
      {"data folder has it", {"D:\\data\\" + code}, {}, "D:\\data\\", 0},
      {"picked folder has it", {"E:\\src\\" + code}, {"E:\\src"}, "E:\\src\\", 1},
      {"picked folder's data has it", {"E:\\src\\data\\" + code}, {"E:\\src\\"}, "E:\\src\\data\\", 1},
      {"asks until a folder fits", {"F:\\" + code}, {"E:\\wrong", "F:\\"}, "F:\\", 2},
      {"cancelled", {}, {"E:\\wrong"}, "", 2},
  };
  for (const Case& c : cases) {
    size_t asked = 0;
    SourceSearch search;
    search.file_exists = [&](const std::string& path) {
      for (const std::string& e : c.existing)
        if (e == path) return true;
      return false;
    };
    search.ask_folder = [&]() -> std::string { return asked < c.answers.size() ? c.answers[asked++] : (++asked, ""); };
    EXPECT_EQ(LocateSourceFolder("D:\\data\\", code, search), c.expected) << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
  }
}

TEST(PluginLocation, SilentSearchDoesNotAsk) {
  SourceSearch search;
  search.file_exists = [](const std::string&) { return false; };
  EXPECT_EQ(LocateSourceFolder("D:\\data\\", "{X}", search), "");
}

TEST(PluginLocation, MissingLibraryMessageEndsWithActionSkipped) {
  EXPECT_EQ(MissingLibraryMessage(),
            "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are "
            "installed.\r\n\r\nAction skipped");
}

}  // namespace
}  // namespace qel::commands::plugin
