#include "native/log/log_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/variables.h"
#include "native/log/native_logging_switch.h"

namespace qel::native {
namespace {

namespace fs = std::filesystem;

class LogSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("qel-logset-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Prefix(const std::string& relative) const { return (root_ / relative).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  static void Touch(const std::string& path) { std::ofstream(path, std::ios::binary).flush(); }
  static void LogOne(NativeLog& log, const std::string& path, const char* bitness = "x64") {
    log.Log(SingleItemElement(ForwardChange::kCreateFile, path), bitness, "");
  }

  LogFileSystem& fs_ = DefaultLogFileSystem();
  fs::path root_;
};

TEST_F(LogSetTest, FlushCreatesTheFolderAndWritesOneCrLfLinePerElementInEachFile) {
  NativeLog log;
  LogOne(log, "C:\\a b\\one.txt", "Win32");
  log.Log(RegistryElement(kRootCurrentUser, "Software\\X", "V", {"Software\\X"}), "x64", "");
  const std::string prefix = Prefix("cache/rev/") + "{PRODUCT}";
  const FlushResult r = FlushLog(fs_, prefix, log);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.created_folder, Prefix("cache/rev/"));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Read(prefix + ".native.elements.log"), "Delete File\r\nDelete Registry\r\n");
  EXPECT_EQ(Read(prefix + ".native.data.log"),
            "\"C:\\a b\\one.txt\"\r\n-2147483647,Software\\X,V,Software\\X\r\n");
  EXPECT_EQ(Read(prefix + ".native.weight.log"), "1024\r\n1024\r\n");
  EXPECT_EQ(Read(prefix + ".native.bitness.log"), "Win32\r\nx64\r\n");

  // A second flush appends; the folder existed this time.
  LogOne(log, "C:\\two.txt");
  const FlushResult again = FlushLog(fs_, prefix, log);
  EXPECT_TRUE(again.created_folder.empty());
  const LogLists loaded = LoadLogSet(fs_, prefix);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(loaded.elements[2], "Delete File");
  EXPECT_EQ(loaded.data[2], "C:\\two.txt");
  EXPECT_EQ(TotalWeight(loaded), 1024u * 3);
}

TEST_F(LogSetTest, FlushOfAnEmptyLogIntoAMissingFolderDoesNothing) {
  NativeLog log;
  const std::string prefix = Prefix("missing/") + "P";
  const FlushResult r = FlushLog(fs_, prefix, log);
  EXPECT_TRUE(r.created_folder.empty());
  EXPECT_FALSE(fs::exists(Prefix("missing")));
}

TEST_F(LogSetTest, LineBreaksInsideAnEntryCannotShiftTheFollowingLines) {
  NativeLog log;
  log.Log(ForwardDataElement(ForwardChange::kEditIniFile, {"C:\\x.ini", "S", "K", "two\r\nlines"}), "x64", "");
  LogOne(log, "C:\\after.txt");
  const std::string prefix = Prefix("") + "P";
  FlushLog(fs_, prefix, log);
  const LogLists loaded = LoadLogSet(fs_, prefix);
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded.data.size(), 2u);
  EXPECT_EQ(loaded.data[1], "C:\\after.txt");
}

TEST_F(LogSetTest, LoadingPadsShortListsAndTreatsMissingFilesAsEmpty) {
  const std::string prefix = Prefix("") + "P";
  std::ofstream(prefix + ".native.elements.log", std::ios::binary) << "Delete File\r\nDelete File\r\n";
  std::ofstream(prefix + ".native.data.log", std::ios::binary) << "C:\\a\r\n";
  const LogLists loaded = LoadLogSet(fs_, prefix);
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded.data, (std::vector<std::string>{"C:\\a", ""}));
  EXPECT_EQ(loaded.weights, (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(LoadLogSet(fs_, Prefix("") + "none").empty());
}

TEST_F(LogSetTest, PrepareCreatesAllFourOnlyWhenNoneExists) {
  const std::string fresh = Prefix("") + "fresh";
  EXPECT_FALSE(PrepareLogSet(fs_, fresh, false));
  EXPECT_TRUE(PrepareLogSet(fs_, fresh, true));
  EXPECT_TRUE(LogSetExists(fs_, fresh));

  const std::string partial = Prefix("") + "partial";
  Touch(partial + ".native.elements.log");
  Touch(partial + ".native.data.log");
  EXPECT_FALSE(PrepareLogSet(fs_, partial, true));
  EXPECT_FALSE(fs::exists(partial + ".native.weight.log"));
}

struct PrefixCase {
  const char* name;
  const char* logging;      // NATIVE_LOGGING, "@" stands for the test folder
  int files_at_logging;     // how many of the four files exist there
  bool expect_logging;      // else the default prefix
};

class PrefixRules : public LogSetTest, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(PrefixRules, ChooseTheLoggingPrefixOnlyForAComplete) {
  const PrefixCase& c = GetParam();
  std::string logging = c.logging;
  if (!logging.empty() && logging[0] == '@') logging = Prefix("") + logging.substr(1);
  for (int i = 0; i < c.files_at_logging; ++i) Touch(logging + std::string(kLogSuffixes[i]));
  const std::string chosen = ChooseLogPrefix(fs_, logging, "DEFAULT\\P");
  EXPECT_EQ(chosen, c.expect_logging ? logging : "DEFAULT\\P");
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrefixRules,
    ::testing::Values(PrefixCase{"Empty", "", 0, false}, PrefixCase{"FalseAnyCase", "fAlSe", 0, false},
                      PrefixCase{"Complete", "@log", 4, true}, PrefixCase{"ThreeOfFour", "@log", 3, false},
                      PrefixCase{"NoneYet", "@log", 0, false},
                      PrefixCase{"FolderMissing", "@nofolder/log", 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogSetTest, RemovingAFlushThatCreatedFoldersLeavesNothingBehind) {
  NativeLog log;
  LogOne(log, "C:\\x");
  const std::string prefix = Prefix("root/cache/rev/") + "P";
  const FlushResult r = FlushLog(fs_, prefix, log);
  ASSERT_EQ(r.created_folders.size(), 3u);
  RemoveFlushedLogSet(fs_, prefix, r);
  EXPECT_FALSE(fs::exists(Prefix("root")));
}

TEST_F(LogSetTest, HoldingCarriesTheFilesOverADeletionOfTheirFolder) {
  NativeLog log;
  LogOne(log, "C:\\held");
  const std::string prefix = Prefix("cache/") + "P";
  FlushLog(fs_, prefix, log);
  const LogSetHolding held = HoldLogSet(fs_, prefix);
  fs::remove_all(Prefix("cache"));
  ASSERT_TRUE(RestoreLogSet(fs_, prefix, held));
  EXPECT_EQ(LoadLogSet(fs_, prefix).data, std::vector<std::string>{"C:\\held"});
}

TEST_F(LogSetTest, InstalledNativelyNeedsTheFilesAndTheRevisionFolder) {
  const std::string prefix = Prefix("") + "P";
  EXPECT_FALSE(InstalledNatively(fs_, prefix, "C:\\Cache\\{REV}\\", "{REV}"));
  PrepareLogSet(fs_, prefix, true);
  EXPECT_TRUE(InstalledNatively(fs_, prefix, "C:\\Cache\\{rev}\\", "{REV}"));
  EXPECT_FALSE(InstalledNatively(fs_, prefix, "C:\\Cache\\{OTHER}\\", "{REV}"));
}

class LoggingSwitch : public LogSetTest {
 protected:
  void SetUp() override {
    LogSetTest::SetUp();
    default_prefix_ = Prefix("default/") + "P";
    SetDefaultLogPrefixProvider([this] { return default_prefix_; });
    vars_.Define("NATIVE_LOGGING", "");
  }
  void TearDown() override {
    SetDefaultLogPrefixProvider({});
    LogSetTest::TearDown();
  }
  TVariableManager vars_;
  NativeLog log_;
  std::string default_prefix_;
};

TEST_F(LoggingSwitch, ANewPrefixIsPreparedAndPendingElementsGoToTheOldOne) {
  LogOne(log_, "C:\\pending");
  const std::string next = Prefix("") + "next";
  EXPECT_EQ(NativeLoggingChanging(vars_, next, fs_, log_), next);
  EXPECT_TRUE(LogSetExists(fs_, next));
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(LoadLogSet(fs_, default_prefix_).data, std::vector<std::string>{"C:\\pending"});
  EXPECT_TRUE(LoadLogSet(fs_, next).empty());
}

TEST_F(LoggingSwitch, APrefixWithOnlySomeFilesEmptiesTheVariable) {
  const std::string partial = Prefix("") + "partial";
  Touch(partial + ".native.elements.log");
  LogOne(log_, "C:\\kept");
  EXPECT_EQ(NativeLoggingChanging(vars_, partial, fs_, log_), "");
  EXPECT_EQ(log_.size(), 1u);  // nothing was flushed
}

TEST_F(LoggingSwitch, AnEmptyValueFlushesToTheCurrentPrefix) {
  const std::string current = Prefix("") + "current";
  PrepareLogSet(fs_, current, true);
  vars_.Set("NATIVE_LOGGING", current);
  LogOne(log_, "C:\\to-current");
  EXPECT_EQ(NativeLoggingChanging(vars_, "", fs_, log_), "");
  EXPECT_EQ(LoadLogSet(fs_, current).data, std::vector<std::string>{"C:\\to-current"});
}

TEST(NativeLog, FalseInAnyCaseLogsNothingAndDiscardsNothing) {
  NativeLog log;
  EXPECT_FALSE(log.Log(SingleItemElement(ForwardChange::kCreateFile, "a"), "x64", "false"));
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(log.Log(SingleItemElement(ForwardChange::kCreateFile, "a"), "x64", ""));
  log.DiscardLast("FALSE");
  EXPECT_EQ(log.size(), 1u);
  log.DiscardLast("");
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace qel::native
