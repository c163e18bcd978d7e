#include "engine/variables.h"

#include <gtest/gtest.h>

#include "engine/tests/printable_name.h"

#include <cctype>
#include <ostream>
#include <string_view>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/comma_text.h"

namespace qel {
namespace {

TEST(VariableStore, NamesIgnoreCaseAndEmptyNameIsNeverStored) {
  TVariableManager v;
  v.Define("Title", "one");
  EXPECT_TRUE(v.Exists("TITLE"));
  EXPECT_TRUE(v.Exists("title"));
  EXPECT_EQ(v.Get("tItLe"), "one");
  v.Set("TITLE", "two");
  EXPECT_EQ(v.Get("Title"), "two");
  EXPECT_EQ(v.Count(), 1u);

  v.Define("", "x");
  v.Set("", "y");
  EXPECT_FALSE(v.Exists(""));
  EXPECT_EQ(v.Count(), 1u);

  EXPECT_EQ(v.Get("MISSING"), "");
  std::string out = "stale";
  EXPECT_FALSE(v.TryGet("MISSING", out));
  EXPECT_EQ(out, "");
  EXPECT_TRUE(v.TryGet("title", out));
  EXPECT_EQ(out, "two");

  // Case folding is ASCII only: bytes above 127 are distinct names.
  v.Define("\xE9", "lower");
  v.Define("\xC9", "upper");
  EXPECT_EQ(v.Get("\xE9"), "lower");
  EXPECT_EQ(v.Get("\xC9"), "upper");

  v.Clear();
  EXPECT_EQ(v.Count(), 0u);
  EXPECT_FALSE(v.Exists("TITLE"));
}

struct ExpandCase {
  const char* text;
  const char* expected;
};

using qel::testing_support::Printable;

void PrintTo(const ExpandCase& c, std::ostream* os) { *os << Printable(c.text); }

class ExpandTest : public ::testing::TestWithParam<ExpandCase> {
 protected:
  void SetUp() override {
    v.Define("TITLE", "My App");
    v.Define("X", "Setup for $TITLE$");
    v.Define("EMPTY", "");
    v.Define("NEWLINE", "\r\n");
    v.Define("HEAD", "$TIT");        // a value whose "$" pairs with the text after it
    v.Define("TAILPART", "TLE$");
    v.Define("LONE", "a$b");
    v.Define("DEEP1", "[$DEEP2$]");
    v.Define("DEEP2", "<$TITLE$>");
  }
  TVariableManager v;
};

TEST_P(ExpandTest, Expands) {
  EXPECT_EQ(v.Expand(GetParam().text), GetParam().expected) << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandTest,
    ::testing::Values(
        ExpandCase{"", ""}, ExpandCase{"no dollar", "no dollar"}, ExpandCase{"$TITLE$", "My App"},
        ExpandCase{"$title$", "My App"}, ExpandCase{"$Title$ and $TITLE$", "My App and My App"},
        ExpandCase{"Price: $5 and $TITLE$", "Price: $5 and My App"}, ExpandCase{"100$", "100$"},
        ExpandCase{"$", "$"}, ExpandCase{"$$", "$$"}, ExpandCase{"a$$b", "a$$b"},
        ExpandCase{"$$TITLE$", "$My App"}, ExpandCase{"$UNKNOWN$", "$UNKNOWN$"},
        // The closing "$" of an unknown token opens the next one.
        ExpandCase{"$UNKNOWN$TITLE$", "$UNKNOWNMy App"},
        ExpandCase{"$X$", "Setup for My App"},
        ExpandCase{"$TITLE$/$X$/$TITLE$/$UNKNOWN$", "My App/Setup for My App/My App/$UNKNOWN$"}, ExpandCase{"$DEEP1$", "[<My App>]"},
        ExpandCase{"<$EMPTY$>", "<>"}, ExpandCase{"a$NEWLINE$b", "a\r\nb"},
        // The inserted value is rescanned together with the text after it.
        ExpandCase{"$HEAD$LE$", "My App"},
        // ...but text left of the scan position is final.
        ExpandCase{"$TI$TAILPART$", "$TITLE$"},
        ExpandCase{"$LONE$", "a$b"}, ExpandCase{"$LONE$TITLE$", "a$bTITLE$"},
        ExpandCase{"$OXLE$OXLE$", "$OXLE$OXLE$"}, ExpandCase{"$DOLLAR$", "$DOLLAR$"},
        ExpandCase{"$WILD_DOLLAR$", "$WILD_DOLLAR$"}, ExpandCase{"$IGNORE$", "$IGNORE$"}));

TEST(VariableStore, ExpandQuotedWrapsEveryInsertedValue) {
  TVariableManager v;
  v.Define("A", "1");
  v.Define("B", "$A$ x");
  v.Define("E", "");
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"$A$ = \"1\"", "\"1\" = \"1\""},
      {"$E$ = \"\"", "\"\" = \"\""},
      {"$B$", "\"\"1\" x\""},  // references inside an inserted value are quoted too
      {"$MISSING$ = $A$", "$MISSING$ = \"1\""},
      {"plain", "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(v.ExpandQuoted(c.text), c.expected) << c.text;
}

TEST(VariableStore, ExpandToReusesTheBufferAndMatchesExpand) {
  TVariableManager v;
  v.Define("A", "alpha");
  std::string out = "previous content";
  v.ExpandTo("x$A$y", out);
  EXPECT_EQ(out, "xalphay");
  v.ExpandTo("no refs", out);
  EXPECT_EQ(out, "no refs");
  v.ExpandQuotedTo("$A$", out);
  EXPECT_EQ(out, "\"alpha\"");
}

TEST(VariableStore, RunawaySelfReferencesStopAtTheBound) {
  TVariableManager v;
  // Through another variable: the text never grows, only the substitution count bounds it.
  v.Define("A", "$B$");
  v.Define("B", "$A$");
  const std::string cyclic = v.Expand("<$A$>");
  EXPECT_TRUE(cyclic == "<$A$>" || cyclic == "<$B$>") << cyclic;

  // Inside longer text: grows by one byte per substitution.
  v.Define("X", "a$X$");
  const std::string grown = v.Expand("$X$");
  ASSERT_GE(grown.size(), 3u);
  EXPECT_EQ(grown.size(), TVariableManager::kMaxSubstitutions + 3);
  EXPECT_EQ(grown.substr(grown.size() - 3), "$X$");
  EXPECT_EQ(grown.find_first_not_of('a'), TVariableManager::kMaxSubstitutions);

  // A large self-referring value: the length bound stops it first.
  v.Define("BIG", std::string(1 << 20, 'z') + "$BIG$");
  const std::string big = v.Expand("$BIG$");
  EXPECT_LE(big.size(), TVariableManager::kMaxExpandedLength);
  EXPECT_EQ(big.substr(big.size() - 5), "$BIG$");

  // The store stays usable afterwards.
  v.Define("OK", "fine");
  EXPECT_EQ(v.Expand("$OK$"), "fine");
}

TEST(VariableStore, ManyLegitimateReferencesAreAllExpanded) {
  TVariableManager v;
  v.Define("NEWLINE", "\r\n");
  std::string text, expected;
  for (int i = 0; i < 20000; ++i) {
    text += "line$NEWLINE$";
    expected += "line\r\n";
  }
  EXPECT_EQ(v.Expand(text), expected);
}

TEST(VariableStore, ReferenceName) {
  const struct {
    const char* text;
    const char* name;
    const char* variable;
  } cases[] = {
      {"$ABC$", "ABC", "ABC"}, {"ABC", "", "ABC"},       {"$A$B$", "", "$A$B$"}, {"$$", "", "$$"},
      {"$", "", "$"},          {"$ABC", "", "$ABC"},     {"ABC$", "", "ABC$"},   {"", "", ""},
      {"$a b$", "a b", "a b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReferenceName(c.text), c.name) << c.text;
    EXPECT_EQ(VariableNameOf(c.text), c.variable) << c.text;
  }
}

TEST(VariableStore, IsTrueAndBooleanText) {
  const struct {
    const char* text;
    bool expected;
  } cases[] = {{"TRUE", true}, {"true", true}, {"True", true}, {"-1", true},  {"1", false},
               {"yes", false}, {"", false},    {" TRUE", false}, {"TRUE ", false}, {"-1 ", false},
               {"FALSE", false}};
  for (const auto& c : cases) EXPECT_EQ(IsTrue(c.text), c.expected) << "'" << c.text << "'";
  EXPECT_EQ(BooleanText(true), "TRUE");
  EXPECT_EQ(BooleanText(false), "FALSE");
  EXPECT_EQ(ActionContext("Set Variable"), "Set Variable Action");
}

TEST(VariableStore, SelfReferenceAssignmentStoresEmpty) {
  const struct {
    bool exists_before;
    const char* name;
    const char* value;
    const char* expected;
  } cases[] = {
      {true, "NAME", "$NAME$", ""},   {true, "NAME", "$name$", ""},    {false, "Name", "$NAME$", ""},
      {true, "NAME", "$NAME$x", "$NAME$x"}, {true, "NAME", "$OTHER$", "$OTHER$"},
      {false, "NAME", "value", "value"},
  };
  for (const auto& c : cases) {
    for (int helper = 0; helper < 2; ++helper) {
      TVariableManager v;
      if (c.exists_before) v.Define("NAME", "old");
      if (helper == 0)
        v.Assign(c.name, c.value, "Set Variable Action");
      else
        v.DeclareOrAssign(c.name, c.value, "Compilation");
      EXPECT_TRUE(v.Exists("NAME"));
      EXPECT_EQ(v.Get("NAME"), c.expected) << c.name << " <- " << c.value << " helper " << helper;
    }
  }
}

TEST(VariableStore, ReadVariableAndDeclareUpper) {
  TVariableManager v;
  EXPECT_EQ(v.ReadVariable("NOPE"), "");
  v.DeclareUpper("result", "Mathematics Action");
  std::vector<std::string> pairs;
  v.ExportPairs(pairs);
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0], "RESULT");  // created with its upper-cased name
  EXPECT_EQ(pairs[1], "");
  v.Set("RESULT", "kept");
  v.DeclareUpper("Result", "Mathematics Action");  // existing: untouched
  EXPECT_EQ(v.Get("RESULT"), "kept");
  v.DeclareUpper("", "x");
  EXPECT_EQ(v.Count(), 1u);
}

TEST(VariableStore, SilentModeProtectsCommandLineProperties) {
  const struct {
    bool silent;
    std::vector<std::string> properties;
    const char* name;
    const char* context;
    const char* expected;
  } cases[] = {
      {true, {"X", "1"}, "X", "Set Variable Action", "1"},
      {false, {"X", "1"}, "X", "Set Variable Action", "2"},
      {true, {"X", "1"}, "x", "Set Variable Action", "1"},  // names ignore case
      {true, {"X", "1"}, "X", "Inject Override Command Line", "2"},
      {true, {"X", "1"}, "X", "Initialization", "1"},
      // A value that happens to equal the name does not count; later names still do.
      {true, {"A", "X"}, "X", "Set Variable Action", "2"},
      {true, {"A", "X", "X", "1"}, "X", "Set Variable Action", "1"},
      {true, {}, "X", "Set Variable Action", "2"},
      {true, {"TARGETDIR", "C:\\t"}, "X", "Set Variable Action", "2"},
  };
  for (const auto& c : cases) {
    TVariableManager v;
    v.Define("X", "1");
    v.SetCommandLineProperties(c.properties);
    v.SetSilent(c.silent);
    const bool stored = v.Assign(c.name, "2", c.context);
    EXPECT_EQ(v.Get("X"), c.expected) << c.name << " / " << c.context;
    EXPECT_EQ(stored, std::string(c.expected) == "2");
    EXPECT_EQ(v.IsProtected(c.name, c.context), std::string(c.expected) == "1");
  }
}

TEST(VariableStore, ProtectionAlsoGuardsDeclareOrAssignOfAnExistingVariable) {
  TVariableManager v;
  v.SetCommandLineProperties({"TARGETDIR", "D:\\cmd"});
  v.SetSilent(true);
  v.DeclareOrAssign("TARGETDIR", "D:\\cmd", "Inject Override Command Line");
  v.DeclareOrAssign("TARGETDIR", "C:\\script", "Set Variable Action");
  EXPECT_EQ(v.Get("TARGETDIR"), "D:\\cmd");
  EXPECT_TRUE(v.Silent());
}

TEST(VariableStore, NormalizedExpansionForPaths) {
  TVariableManager v;
  v.Define("DIR", "C:\\Program Files\\");
  v.Define("SRV", "\\\\server");
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"C:\\\\dir\\\\file", "C:\\dir\\file"},
      {"\\\\server\\\\share\\dir", "\\\\server\\share\\dir"},
      {"$DIR$\\app", "C:\\Program Files\\app"},
      {"$SRV$\\share", "\\\\server\\share"},
      {"\\\\\\\\x", "\\\\\\x"},  // four leading: halved to two, then one put back
      {"a\\b", "a\\b"},
      {"\\", "\\"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(v.ExpandNormalized(c.text), c.expected) << c.text;
  EXPECT_EQ(v.ExpandPathParameter("$DIR$\\x"), "C:\\Program Files\\x");
}

TEST(CommaText, SplitsAsWritten) {
  const struct {
    const char* text;
    std::vector<std::string> entries;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a,b", {"a", "b"}},
      {"a b", {"a", "b"}},  // blanks outside quotes separate too
      {"\"a b\",c", {"a b", "c"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {",a", {"", "a"}},
      {"\"\"", {""}},
      {"  a ,  b  ", {"a", "b"}},
      {"\"x,y\",\"\"", {"x,y", ""}},
      {"\"open", {"open"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommaText(c.text), c.entries) << c.text;
}

TEST(CommaText, JoinRoundTrips) {
  const std::vector<std::vector<std::string>> lists = {
      {},
      {""},
      {"", ""},
      {"A", "1", "B", "two words"},
      {"Q", "he said \"no\"", "C", "a,b"},
      {"N", "line1\r\nline2", "E", ""},
      {"T", "\ttab", "H", "\xE9t\xE9"},
  };
  for (const auto& list : lists) EXPECT_EQ(SplitCommaText(JoinCommaText(list)), list);
  EXPECT_EQ(JoinCommaText({"A", "1", "B", "two words"}), "A,1,B,\"two words\"");
}

TEST(VariableStore, ExportPairsAndReplaceAll) {
  TVariableManager v;
  v.Define("A", "1");
  v.Define("B", "two words");
  v.Define("C", "");
  std::vector<std::string> list = {"stale"};
  EXPECT_EQ(v.ExportPairs(list), 3u);
  ASSERT_EQ(list.size(), 6u);
  for (size_t i = 0; i < list.size(); i += 2) EXPECT_EQ(v.Get(list[i]), list[i + 1]);

  TVariableManager w;
  w.Define("OLD", "gone");
  w.ReplaceAll(JoinCommaText(list));
  EXPECT_FALSE(w.Exists("OLD"));
  EXPECT_EQ(w.Count(), 3u);
  EXPECT_EQ(w.Get("B"), "two words");
  EXPECT_TRUE(w.Exists("C"));

  w.ReplaceAll("A,1,B,\"two words\",LAST");
  EXPECT_EQ(w.Get("A"), "1");
  EXPECT_EQ(w.Get("B"), "two words");
  EXPECT_TRUE(w.Exists("LAST"));
  EXPECT_EQ(w.Get("LAST"), "");
}

TEST(CompilerVariables, ExpandsTokensOfThePayloadList) {
  const std::vector<std::string> pairs = {"CACHESOURCES", "TRUE", "OUTER", "<#INNER#>", "INNER", "in",
                                          "LOOPA", "#LOOPB#", "LOOPB", "#LOOPA#"};
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"#CACHESOURCES#", "TRUE"},
      {"#cachesources#", "TRUE"},
      {"#LOCMODE#", "#LOCMODE#"},  // absent: the caller gets its own input back
      {"#OUTER#", "<in>"},
      {"x#CACHESOURCES#y#CACHESOURCES#", "xTRUEyTRUE"},
      {"no hash", "no hash"},
      {"#", "#"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandCompilerVariables(c.text, pairs), c.expected) << c.text;
  // Circular compiler variables end instead of hanging.
  const std::string loop = ExpandCompilerVariables("#LOOPA#", pairs);
  EXPECT_TRUE(loop == "#LOOPA#" || loop == "#LOOPB#") << loop;
  EXPECT_EQ(ExpandCompilerVariables("#A#", {"A"}), "#A#");  // a name without value is ignored
}

TEST(VariableStore, ProcessWideInstance) {
  EXPECT_EQ(&variables(), &variables());
}

std::string ThreadVariable(int t) {
  std::string name = "T";
  name += std::to_string(t);
  return name;
}

TEST(VariableStore, ConcurrentWorkersKeepEveryOperationAtomic) {
  TVariableManager v;
  v.Define("SHARED", "$PART$-$PART$");
  v.Define("PART", "abc");
  constexpr int kThreads = 4;
  constexpr int kRounds = 4000;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string own = ThreadVariable(t);
      std::string buffer;
      for (int i = 0; i < kRounds; ++i) {
        const std::string value = std::to_string(i);
        v.Set(own, value);
        if (v.Get(own) != value) ++failures;
        v.Assign("OXLE_thProgress", value, "Worker");
        v.ExpandTo("$SHARED$", buffer);
        if (buffer != "abc-abc" && buffer != "xyz-xyz") ++failures;
        if (i % 500 == 0) {
          std::vector<std::string> pairs;
          v.ExportPairs(pairs);
          if (pairs.size() % 2 != 0) ++failures;
        }
      }
    });
  }
  threads.emplace_back([&] {
    for (int i = 0; i < kRounds; ++i) {
      // A whole value is replaced at once, so readers see one or the other.
      v.Set("PART", i % 2 ? "xyz" : "abc");
    }
  });
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(v.Get(ThreadVariable(t)), std::to_string(kRounds - 1));
}

}  // namespace
}  // namespace qel
