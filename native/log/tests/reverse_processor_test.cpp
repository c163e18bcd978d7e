#include "native/log/reverse_processor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "engine/variables.h"
#include "native/log/log_set.h"
#include "native/log/tests/trace_capture.h"

namespace qel::native {
namespace {

namespace fs = std::filesystem;

// Records what it was asked to do; aborts at a chosen element.
class FakeOps final : public ReverseOperations {
 public:
  std::string CurrentBitness() override { return bitness; }
  void UseBitness(const std::string& mode) override {
    bitness = mode;
    modes.push_back(mode);
  }
  bool Reverse(std::string_view element, const std::vector<std::string>& fields) override {
    done.push_back(std::string(element) + ":" + (fields.empty() ? "" : fields[0]));
    return !(abort_at && fields.size() > 0 && fields[0] == abort_at);
  }
  std::string bitness = "Win32";
  std::vector<std::string> modes;
  std::vector<std::string> done;
  const char* abort_at = nullptr;
};

class FakeProgress final : public ReverseProgress {
 public:
  uint64_t Maximum() override { return maximum; }
  void SetMaximum(uint64_t m) override {
    maximum = m;
    maxima.push_back(m);
  }
  bool Step(const std::string& caption, uint64_t units) override {
    captions.push_back(caption);
    total += units;
    return !stop;
  }
  uint64_t maximum = 77;
  std::vector<uint64_t> maxima;
  std::vector<std::string> captions;
  uint64_t total = 0;
  bool stop = false;
};

class ReverseProcessorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("qel-reverse-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    vars_.Define("NATIVE_PROGRESS", "123");
  }
  void TearDown() override { fs::remove_all(root_); }

  int Run(bool uninstall, const std::string& prefix) {
    ReverseRun run{vars_, DefaultLogFileSystem(), log_, prefix, ops_, progress_};
    return RunReverseProcessor(uninstall, run);
  }
  void LogFile(const std::string& path, const char* bitness = "x64") {
    log_.Log(SingleItemElement(ForwardChange::kCreateFile, path), bitness, "");
  }

  fs::path root_;
  TVariableManager vars_;
  NativeLog log_;
  FakeOps ops_;
  FakeProgress progress_;
};

TEST_F(ReverseProcessorTest, ReplaysFromTheLastElementToTheFirstWithEachElementsBitness) {
  const std::string prefix = (root_ / "P").string();
  LogFile("a", "Win32");
  log_.Log(FolderElement({"C:\\b\\c", "C:\\b"}), "x64", "");
  LogFile("d", "ia64");
  EXPECT_EQ(Run(true, prefix), 1);
  EXPECT_EQ(ops_.done, (std::vector<std::string>{"Delete File:d", "Delete Folder:C:\\b\\c", "Delete File:a"}));
  // Each element's mode, then the saved mode back.
  EXPECT_EQ(ops_.modes, (std::vector<std::string>{"ia64", "x64", "Win32", "Win32"}));
  EXPECT_EQ(progress_.maxima, (std::vector<uint64_t>{1024 + 2048 + 1024, 77}));
  EXPECT_EQ(progress_.total, 4096u);
  EXPECT_EQ(progress_.captions, (std::vector<std::string>{"d", "C:\\b\\c", "a"}));
  EXPECT_EQ(vars_.Get("NATIVE_PROGRESS"), "123");
  // The log files stay in place for a later uninstall.
  EXPECT_EQ(LoadLogSet(DefaultLogFileSystem(), prefix).size(), 3u);
}

TEST_F(ReverseProcessorTest, WritesTheElementAndDataTraceLines) {
  testing::TraceCapture capture;
  LogFile("C:\\Program Files\\x.txt");
  Run(true, (root_ / "P").string());
  EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"        <Delete File>",
                                                       "        < \"C:\\Program Files\\x.txt\" >",
                                                       "        </Delete File>"}));
}

TEST_F(ReverseProcessorTest, AnAbortStopsWithZeroAndLeavesEarlierElementsUnprocessed) {
  LogFile("first");
  LogFile("second");
  LogFile("third");
  ops_.abort_at = "second";
  testing::TraceCapture capture;
  EXPECT_EQ(Run(false, (root_ / "P").string()), 0);
  EXPECT_EQ(ops_.done, (std::vector<std::string>{"Delete File:third", "Delete File:second"}));
  EXPECT_EQ(capture.Lines().back(), "        </Delete File>");
}

TEST_F(ReverseProcessorTest, AStopRequestEndsAnUninstallButNotARollback) {
  LogFile("one");
  LogFile("two");
  progress_.stop = true;
  EXPECT_EQ(Run(true, (root_ / "U").string()), 0);
  EXPECT_EQ(ops_.done.size(), 1u);

  ops_.done.clear();
  LogFile("one");
  LogFile("two");
  EXPECT_EQ(Run(false, (root_ / "R").string()), 1);
  EXPECT_EQ(ops_.done.size(), 2u);
}

TEST_F(ReverseProcessorTest, RollingBackAFirstInstallLeavesNoLogFilesAndNoFolder) {
  const std::string prefix = (root_ / "cache" / "rev" / "P").string();
  LogFile("x");
  EXPECT_EQ(Run(false, prefix), 1);
  EXPECT_FALSE(fs::exists(root_ / "cache"));
}

TEST_F(ReverseProcessorTest, AnEmptyLogSetIsComplete) {
  EXPECT_EQ(Run(true, (root_ / "none" / "P").string()), 1);
  EXPECT_TRUE(ops_.done.empty());
  EXPECT_FALSE(fs::exists(root_ / "none"));
}

struct CaptionCase {
  const char* element;
  std::vector<std::string> fields;
  const char* caption;
};

class ReverseCaptions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(ReverseCaptions, Table) {
  EXPECT_EQ(ReverseCaption(GetParam().element, GetParam().fields), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReverseCaptions,
    ::testing::Values(
        CaptionCase{"Delete Registry", {"-2147483646", "Software\\A", "V"}, "HKEY_LOCAL_MACHINE\\Software\\A\\V"},
        CaptionCase{"Delete File", {"C:\\f"}, "C:\\f"},
        CaptionCase{"Unregister File", {"C:\\f.dll"}, "unregsvr32 C:\\f.dll"},
        CaptionCase{"Unshare File", {"C:\\f.dll"},
                    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls\\C:\\f.dll"},
        CaptionCase{"Remove Assembly", {"Asm, Version=1"}, "GAC: Asm, Version=1"},
        CaptionCase{"Delete Environment", {"-2147483647", "Environment", "PATH", ";C:\\x", "1", "FALSE"},
                    "PATH=;C:\\x"},
        CaptionCase{"Remove INI Entry", {"C:\\a.ini", "S", "K", "V"}, "C:\\a.ini: [S] K=V"},
        CaptionCase{"Delete Folder", {"C:\\a\\b", "C:\\a"}, "C:\\a\\b"}));

}  // namespace
}  // namespace qel::native
