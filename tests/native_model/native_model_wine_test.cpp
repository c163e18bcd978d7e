#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "commands/bitness.h"
#include "tests/commands/command_runner.h"
#include "engine/process_state.h"
#include "engine/startup_hooks.h"
#include "engine/variables.h"
#include "native/components/component_table.h"
#include "native/model/action_spool.h"
#include "native/model/installer_lists.h"
#include "native/spooler/native_run_state.h"
#include "native/spooler/native_worker.h"

namespace qel::native {
namespace {

using commands::wine_testing::RunCommand;
using commands::wine_testing::ScratchFolder;

constexpr const char* kTestKey = "{TEST-KEY}";

// A worker on its own Win32 thread: it runs for run_ms, or until asked to stop,
// then reports its result and wakes the waiting thread.
class ThreadedWorker final : public NativeWorker {
 public:
  struct Run final : commands::Worker {
    DWORD waiter = GetCurrentThreadId();
    std::function<void(Run&)> body;
    std::thread thread;
    std::atomic<bool> done{false}, stop{false};
    ~Run() override {
      if (thread.joinable()) thread.join();
    }
    void Start() override {
      thread = std::thread([this] {
        body(*this);
        SetNativeThreadFinished(true);
        done = true;
        PostThreadMessageA(waiter, WM_NULL, 0, 0);
      });
    }
    bool Done() const override { return done; }
    void RequestStop() override { stop = true; }
    void Kill() override { done = true; }
  };

  std::unique_ptr<commands::Worker> Create(const NativeRunRequest& request) override {
    names.push_back(request.name);
    auto run = std::make_unique<Run>();
    run->body = [this](Run& self) {
      if (cancel_from_ui) variables().Set("OXLE_IsCancelled", "TRUE");
      for (int waited = 0; waited < run_ms && !self.stop; waited += 10) Sleep(10);
      SetNativeResult(self.stop ? kNativeAborted : kNativeSuccess);
    };
    return run;
  }

  std::vector<std::string> names;
  int run_ms = 200;
  bool cancel_from_ui = false;
};

class NativeModelWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    commands::wine_testing::EnsureInstalled();
    vars().Clear();
    vars().Define("SILENT", "TRUE");
    action_spool().Clear();
    installer_lists().Clear();
    component_table().Clear();
    SetNativeResult(kNativeSuccess);
    SetRestartRequired(false);
    previous_ = CurrentNativeWorker();
    SetNativeWorker(&worker);
    Payload& p = process_state().payload;
    p = Payload();
    p.names = {"Create Folder", "Install Files", "Set Variable", "Write Registry"};
    p.keys = {"{OTHER-0}", kTestKey, "{OTHER-2}", "{OTHER-3}"};
    p.command_headers = {"000000A0", "0", "000000B1", "1", "000000D3", "3"};
    p.native_progress_total = 777;
  }
  void TearDown() override {
    SetNativeWorker(previous_);
    process_state().payload = Payload();
    vars().Clear();
  }
  static TVariableManager& vars() { return variables(); }

  ThreadedWorker worker;
  NativeWorker* previous_ = nullptr;
};

TEST_F(NativeModelWineTest, DelayedApplyChangesWithoutInstallRunsNothing) {
  vars().Define("NATIVE_ENGINE", "true");
  vars().Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  RunCommand(vars(), "Create Folder", {"C:\\qel-never-created"});
  RunCommand(vars(), "Write Registry", {"0", "4", "Software\\QelNever", "V", "D", "TRUE"});
  ASSERT_EQ(action_spool().size(), 2u);
  EXPECT_EQ(action_spool().queued_weight(), 1024 + 512);

  RunCommand(vars(), "Apply Changes", {"", "$Result$", "FALSE", "FALSE"});
  EXPECT_EQ(vars().Get("RESULT"), "COMPLETE");
  EXPECT_TRUE(worker.names.empty());
  EXPECT_EQ(GetFileAttributesA("C:\\qel-never-created"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(NativeModelWineTest, ApplyChangesWaitsForAWorkerThread) {
  vars().Define("NATIVE_ENGINE", "TRUE");
  vars().Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  RunCommand(vars(), "Create Folder", {"C:\\qel-folder"});
  RunCommand(vars(), "Apply Changes", {"", "Result", "TRUE", "FALSE"});
  EXPECT_EQ(worker.names, std::vector<std::string>{"DELAYEDINSTALL"});
  EXPECT_EQ(vars().Get("RESULT"), "COMPLETE");
}

TEST_F(NativeModelWineTest, CancelledWorkerThreadStopsAndIsRecorded) {
  vars().Define("NATIVE_ENGINE", "TRUE");
  vars().Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  vars().Define("ABORTONERROR", "FALSE");
  worker.run_ms = 20000;
  worker.cancel_from_ui = true;
  const ULONGLONG start = GetTickCount64();
  RunCommand(vars(), "Apply Changes", {"", "Result", "TRUE", "FALSE"});
  EXPECT_LT(GetTickCount64() - start, 10000u) << "the worker was asked to stop";
  EXPECT_EQ(vars().Get("ABORTEDONERROR"), "TRUE");
  EXPECT_EQ(vars().Get("RESULT"), "CANCEL");
  EXPECT_EQ(vars().Get("LASTERROR"), "Setup cancelled");
}

TEST_F(NativeModelWineTest, InstallerPathHandsOverActivationAndJournal) {
  vars().Define("NATIVE_ENGINE", "FALSE");
  ASSERT_TRUE(startup_hooks().activate_deferred_statements);
  startup_hooks().activate_deferred_statements();
  EXPECT_EQ(action_spool().total_weight(), 777);

  vars().Define("TARGETDIR", "C:\\Program Files\\Demo");
  RunCommand(vars(), "Install Files", {"", "", "$TARGETDIR$\\\\bin"});
  RunCommand(vars(), "Install Files", {"", "", "Line1\r\nLine2"});
  const std::vector<std::string> journal = {
      "A000000A0", "FALSE", "A000000B1", "FALSE", "A000000D3", "FALSE",
      "A000000B1", "TRUE",  "P000000B1_1", "C:\\Program Files\\Demo\\bin",
      "A000000B1", "TRUE",  "P000000B1_1", "Line1$NEWLINE$Line2",
  };
  EXPECT_EQ(installer_lists().journal(), journal);
  EXPECT_EQ(installer_lists().property_names().size(), 7u);
  EXPECT_TRUE(installer_lists().IsActivated(1));
  EXPECT_FALSE(installer_lists().IsActivated(0));
  EXPECT_TRUE(worker.names.empty());
}

TEST_F(NativeModelWineTest, CopyMoveWeightWalksARealFolder) {
  const std::string root = ScratchFolder("qelweight");
  CreateDirectoryA((root + "\\sub").c_str(), nullptr);
  std::ofstream(root + "\\a.dat", std::ios::binary) << std::string(300, 'a');
  std::ofstream(root + "\\b.txt", std::ios::binary) << std::string(20, 'b');
  std::ofstream(root + "\\sub\\c.dat", std::ios::binary) << std::string(4000, 'c');
  vars().Define("NATIVE_ENGINE", "TRUE");
  vars().Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  RunCommand(vars(), "Copy/Move Local Files", {root, "*.dat", "C:\\dest", "", "TRUE", "x|TRUE"});
  RunCommand(vars(), "Copy/Move Local Files", {root, "*.dat", "C:\\dest", "", "TRUE", ""});
  ASSERT_EQ(action_spool().size(), 2u);
  EXPECT_EQ(action_spool().queued_weight(), 4300 + 300);
  DeleteFileA((root + "\\sub\\c.dat").c_str());
  RemoveDirectoryA((root + "\\sub").c_str());
  DeleteFileA((root + "\\a.dat").c_str());
  DeleteFileA((root + "\\b.txt").c_str());
  RemoveDirectoryA(root.c_str());
}

TEST_F(NativeModelWineTest, FeatureSelectionsSurviveSaveAndMergeLoad) {
  ASSERT_TRUE(startup_hooks().define_predefined_component);
  startup_hooks().define_predefined_component();
  RunCommand(vars(), "Define Component", {"Main", "TRUE", "Main files"});
  RunCommand(vars(), "Define Component", {"Extras", "FALSE", ""});
  RunCommand(vars(), "Set Component Space", {"Main", "123456789012"});
  const std::string file = ScratchFolder("qelsel") + "\\sel.dat";
  RunCommand(vars(), "Save Feature Selections", {file});
  RunCommand(vars(), "Set Component State", {"Main", "FALSE"});
  RunCommand(vars(), "Delete Component", {"Extras"});
  RunCommand(vars(), "Load Feature Selections", {file});
  RunCommand(vars(), "Get Component State", {"Main", "$State$"});
  EXPECT_EQ(vars().Get("STATE"), "TRUE");
  RunCommand(vars(), "Get Component Space", {"", "$Space$"});
  EXPECT_EQ(vars().Get("SPACE"), "123456789012");
  EXPECT_TRUE(component_table().deleted.empty()) << "the file's deleted list replaces the table's";
  DeleteFileA(file.c_str());
}

}  // namespace
}  // namespace qel::native
