#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "engine/variables.h"
#include "native/log/tests/trace_capture.h"
#include "native/prompts/error_processor.h"
#include "native/prompts/overwrite_processor.h"
#include "native/prompts/overwrite_rules.h"

namespace qel::native {
namespace {

class ScriptedHost final : public PromptHost {
 public:
  PromptAnswer Ask(PromptKind kind, const std::string& caption, const std::string& text) override {
    asked.push_back({kind, caption, text});
    if (answers.empty()) ADD_FAILURE() << "unexpected question: " << text;
    PromptAnswer a = answers.empty() ? PromptAnswer::kNo : answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  }
  struct Question {
    PromptKind kind;
    std::string caption, text;
  };
  std::deque<PromptAnswer> answers;
  std::vector<Question> asked;
};

// ---- Native Error Processor ----

struct SwitchCase {
  const char* name;
  const char* native_error;
  bool abort, retry, cancels;
};

class ErrorSwitches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(ErrorSwitches, DecideWithoutAsking) {
  const SwitchCase& c = GetParam();
  TVariableManager vars;
  vars.Define("NATIVE_ERROR", c.native_error);
  vars.Define("OXLE_IsCancelled", "FALSE");
  ScriptedHost host;
  const ErrorDecision d = NativeErrorProcessor(vars, false, "Access is denied.\r\rC:\\x", 5, host);
  EXPECT_EQ(d.abort, c.abort);
  EXPECT_EQ(d.retry, c.retry);
  EXPECT_EQ(vars.Get("OXLE_IsCancelled"), c.cancels ? "TRUE" : "FALSE");
  EXPECT_TRUE(host.asked.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, ErrorSwitches,
                         ::testing::Values(SwitchCase{"Retry", "RETRY", false, true, false},
                                           SwitchCase{"RetryLowerCase", "retry", false, true, false},
                                           SwitchCase{"Ignore", "Ignore", false, false, false},
                                           SwitchCase{"Abort", "ABORT", true, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorProcessor, CodeZeroNeitherAsksNorTraces) {
  TVariableManager vars;
  vars.Define("NATIVE_ERROR", "PROMPT");
  ScriptedHost host;
  testing::TraceCapture capture;
  const ErrorDecision d = NativeErrorProcessor(vars, false, "nothing failed", 0, host);
  EXPECT_FALSE(d.abort);
  EXPECT_FALSE(d.retry);
  EXPECT_TRUE(host.asked.empty());
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(ErrorProcessor, TracesTheMessageAndAsksWithTheQuestion) {
  TVariableManager vars;
  vars.Define("NATIVE_ERROR", "PROMPT");
  ScriptedHost host;
  host.answers = {PromptAnswer::kNo};
  testing::TraceCapture capture;
  NativeErrorProcessor(vars, false, "Access is denied.\r\rC:\\x", 5, host);
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(host.asked[0].kind, PromptKind::kError);
  EXPECT_EQ(host.asked[0].caption, "Error");
  EXPECT_EQ(host.asked[0].text, "Access is denied.\r\rC:\\x\r\rWould you like to try again?");
  EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"        <NATIVE ERROR>",
                                                       "          < Access is denied.\r\rC:\\x >",
                                                       "        </NATIVE ERROR>"}));
}

TEST(ErrorProcessor, SilentSetupsIgnoreInsteadOfAsking) {
  TVariableManager vars;
  ScriptedHost host;
  const ErrorDecision d = NativeErrorProcessor(vars, true, "m", 5, host);
  EXPECT_FALSE(d.abort);
  EXPECT_FALSE(d.retry);
  EXPECT_TRUE(host.asked.empty());
}

struct AnswerCase {
  const char* name;
  PromptAnswer answer;
  bool abort, retry;
  const char* native_error_after;
  const char* cancelled_after;
};

class ErrorAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ErrorAnswers, MapToDecisionsAndRememberForAll) {
  const AnswerCase& c = GetParam();
  TVariableManager vars;
  vars.Define("NATIVE_ERROR", "PROMPT");
  vars.Define("OXLE_IsCancelled", "FALSE");
  ScriptedHost host;
  host.answers = {c.answer};
  const ErrorDecision d = NativeErrorProcessor(vars, false, "m", 32, host);
  EXPECT_EQ(d.abort, c.abort);
  EXPECT_EQ(d.retry, c.retry);
  EXPECT_EQ(vars.Get("NATIVE_ERROR"), c.native_error_after);
  EXPECT_EQ(vars.Get("OXLE_IsCancelled"), c.cancelled_after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorAnswers,
    ::testing::Values(AnswerCase{"Yes", PromptAnswer::kYes, false, true, "PROMPT", "FALSE"},
                      AnswerCase{"No", PromptAnswer::kNo, false, false, "PROMPT", "FALSE"},
                      AnswerCase{"Cancel", PromptAnswer::kCancel, true, false, "PROMPT", "TRUE"},
                      AnswerCase{"YesToAll", PromptAnswer::kYesToAll, false, true, "RETRY", "FALSE"},
                      AnswerCase{"NoToAll", PromptAnswer::kNoToAll, false, false, "IGNORE", "FALSE"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- comparison and decision table ----

FileFacts Versioned(uint32_t a, uint32_t b, uint32_t c, uint32_t d, int64_t time = 100) {
  FileFacts f;
  f.version = {a, b, c, d};
  f.has_time = true;
  f.modified = time;
  f.date_text = "1/2/2026 10:00:00";
  return f;
}
FileFacts Unversioned(int64_t time) {
  FileFacts f;
  f.has_time = true;
  f.modified = time;
  f.date_text = "1/2/2026 10:00:00";
  return f;
}
FileFacts NoDate() { return FileFacts{}; }

struct NewerCase {
  const char* name;
  FileFacts source, destination;
  bool newer;
};

class SourceNewer : public ::testing::TestWithParam<NewerCase> {};

TEST_P(SourceNewer, Table) { EXPECT_EQ(SourceIsNewer(GetParam().source, GetParam().destination), GetParam().newer); }

INSTANTIATE_TEST_SUITE_P(
    Table, SourceNewer,
    ::testing::Values(NewerCase{"HigherMinor", Versioned(1, 2, 0, 0), Versioned(1, 1, 9, 9), true},
                      NewerCase{"LowerMajorDespiteHigherBuild", Versioned(1, 0, 9, 9), Versioned(2, 0, 0, 0), false},
                      NewerCase{"SameVersion", Versioned(1, 2, 3, 4, 500), Versioned(1, 2, 3, 4, 100), false},
                      NewerCase{"HigherLastPart", Versioned(1, 2, 3, 5), Versioned(1, 2, 3, 4), true},
                      NewerCase{"VersionIgnoresTime", Versioned(1, 0, 0, 0, 1), Versioned(0, 9, 0, 0, 999), true},
                      NewerCase{"UnversionedOlderDestination", Unversioned(200), Unversioned(100), true},
                      NewerCase{"UnversionedNewerDestination", Unversioned(100), Unversioned(200), false},
                      NewerCase{"UnversionedSameTime", Unversioned(100), Unversioned(100), false},
                      NewerCase{"VersionedSourceOverUnversionedOlder", Versioned(1, 0, 0, 0, 200), Unversioned(100),
                                true},
                      NewerCase{"UnversionedSourceNeverBeatsAVersion", Unversioned(999), Versioned(0, 0, 0, 1, 1),
                                false},
                      NewerCase{"UnreadableDates", NoDate(), NoDate(), false}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecisionCase {
  const char* name;
  const char* overwrite;
  const char* older;
  bool newer;
  OverwriteStep before, after;
};

class DecisionTable : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(DecisionTable, Table) {
  const DecisionCase& c = GetParam();
  EXPECT_EQ(DecideBeforeCompare(c.overwrite, c.older), c.before);
  if (c.before == OverwriteStep::kCompare) {
    EXPECT_EQ(DecideAfterCompare(c.overwrite, c.older, c.newer), c.after);
  }
}

using S = OverwriteStep;
INSTANTIATE_TEST_SUITE_P(
    Table, DecisionTable,
    ::testing::Values(DecisionCase{"NeverKeeps", "NEVER", "TRUE", true, S::kKeep, S::kKeep},
                      DecisionCase{"AlwaysOlderReplacesUnseen", "always", "true", false, S::kReplace, S::kReplace},
                      DecisionCase{"AlwaysNewer", "ALWAYS", "FALSE", true, S::kCompare, S::kReplace},
                      DecisionCase{"AlwaysNotNewer", "ALWAYS", "FALSE", false, S::kCompare, S::kKeep},
                      DecisionCase{"PromptOlderAsksEvenIfOlder", "PROMPT", "TRUE", false, S::kCompare, S::kAsk},
                      DecisionCase{"PromptNewerAsks", "PROMPT", "FALSE", true, S::kCompare, S::kAsk},
                      DecisionCase{"PromptNotNewerKeeps", "", "", false, S::kCompare, S::kKeep}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Native Overwrite Processor ----

class FakeFiles final : public FileFactsSource {
 public:
  bool Exists(const std::string& path) override { return facts.count(path) > 0; }
  FileFacts Facts(const std::string& path) override { return facts.at(path); }
  std::map<std::string, FileFacts> facts;
};

TEST(OverwriteProcessor, AMissingDestinationIsReplacedWithoutAsking) {
  TVariableManager vars;
  vars.Define("NATIVE_OVERWRITE", "NEVER");
  FakeFiles files;
  ScriptedHost host;
  const OverwriteOutcome o = NativeOverwriteProcessor(vars, "src", "dst", files, host);
  EXPECT_TRUE(o.replace);
  EXPECT_FALSE(o.cancel);
}

TEST(OverwriteProcessor, TheQuestionShowsBothVersionsAndDates) {
  TVariableManager vars;
  FakeFiles files;
  files.facts["new.dll"] = Versioned(2, 0, 0, 1);
  files.facts["C:\\old.dll"] = Unversioned(1);
  files.facts["C:\\old.dll"].date_text.clear();
  ScriptedHost host;
  host.answers = {PromptAnswer::kYes};
  const OverwriteOutcome o = NativeOverwriteProcessor(vars, "new.dll", "C:\\old.dll", files, host);
  EXPECT_TRUE(o.replace);
  ASSERT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(host.asked[0].kind, PromptKind::kConfirmation);
  EXPECT_EQ(host.asked[0].caption, "Overwrite");
  EXPECT_EQ(host.asked[0].text,
            "C:\\old.dll\r\rOld file version: <no version information>\rOld file date: <unknown date>\r\r"
            "New file version: 2.0.0.1\rNew file date: 1/2/2026 10:00:00\r\r"
            "Would you like to overwrite this file?");
}

TEST(OverwriteProcessor, NoToAllIsRememberedForTheRestOfTheRun) {
  TVariableManager vars;
  vars.Define("NATIVE_OVERWRITE", "PROMPT");
  FakeFiles files;
  for (const char* name : {"a", "b", "c"}) {
    files.facts[std::string("new\\") + name] = Versioned(2, 0, 0, 0);
    files.facts[std::string("old\\") + name] = Versioned(1, 0, 0, 0);
  }
  ScriptedHost host;
  host.answers = {PromptAnswer::kNoToAll};
  for (const char* name : {"a", "b", "c"}) {
    const OverwriteOutcome o =
        NativeOverwriteProcessor(vars, std::string("new\\") + name, std::string("old\\") + name, files, host);
    EXPECT_FALSE(o.replace) << name;
    EXPECT_FALSE(o.cancel) << name;
  }
  EXPECT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(vars.Get("NATIVE_OVERWRITE"), "NEVER");
}

TEST(OverwriteProcessor, YesToAllAndCancelChangeTheSwitches) {
  TVariableManager vars;
  vars.Define("OXLE_IsCancelled", "FALSE");
  FakeFiles files;
  files.facts["n"] = Versioned(2, 0, 0, 0);
  files.facts["o"] = Versioned(1, 0, 0, 0);
  ScriptedHost host;
  host.answers = {PromptAnswer::kYesToAll};
  EXPECT_TRUE(NativeOverwriteProcessor(vars, "n", "o", files, host).replace);
  EXPECT_EQ(vars.Get("NATIVE_OVERWRITE"), "ALWAYS");

  vars.Set("NATIVE_OVERWRITE", "PROMPT");
  host.answers = {PromptAnswer::kCancel};
  const OverwriteOutcome o = NativeOverwriteProcessor(vars, "n", "o", files, host);
  EXPECT_TRUE(o.cancel);
  EXPECT_FALSE(o.replace);
  EXPECT_EQ(vars.Get("OXLE_IsCancelled"), "TRUE");
}

TEST(OverwriteProcessor, AnEqualVersionStaysSilentlyUnlessOlderFilesMayBeReplaced) {
  FakeFiles files;
  files.facts["n"] = Versioned(1, 2, 3, 4);
  files.facts["o"] = Versioned(1, 2, 3, 4);
  for (const char* overwrite : {"ALWAYS", "PROMPT"}) {
    TVariableManager vars;
    vars.Define("NATIVE_OVERWRITE", overwrite);
    ScriptedHost host;
    EXPECT_FALSE(NativeOverwriteProcessor(vars, "n", "o", files, host).replace) << overwrite;
    EXPECT_TRUE(host.asked.empty()) << overwrite;
  }
  TVariableManager vars;
  vars.Define("NATIVE_OVERWRITE_OLDER", "TRUE");
  ScriptedHost host;
  host.answers = {PromptAnswer::kNo};
  NativeOverwriteProcessor(vars, "n", "o", files, host);
  EXPECT_EQ(host.asked.size(), 1u);
}

}  // namespace
}  // namespace qel::native
