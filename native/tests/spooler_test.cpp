#include "native/spooler/native_spooler.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "commands/bitness.h"
#include "native/model/action_spool.h"
#include "native/model/command_headers.h"
#include "native/model/installer_lists.h"
#include "native/spooler/deferred_statements.h"
#include "native/spooler/native_hooks.h"
#include "native/spooler/native_run_state.h"
#include "native/spooler/native_worker.h"
#include "native/spooler/script_stop.h"
#include "native/spooler/spooler_platform.h"
#include "native/tests/native_fixture.h"

namespace qel::native {
namespace {

using testing::Params;

// Runs synchronously on Start(); records every request it was given.
class FakeWorker final : public NativeWorker {
 public:
  struct Run final : commands::Worker {
    std::function<void()> body;
    bool done = false;
    void Start() override {
      body();
      done = true;
    }
    bool Done() const override { return done; }
    void RequestStop() override {}
    void Kill() override { done = true; }
  };
  std::unique_ptr<commands::Worker> Create(const NativeRunRequest& request) override {
    requests.push_back(request);
    auto run = std::make_unique<Run>();
    run->body = [this, request] {
      if (on_run) on_run(request);
      SetNativeThreadFinished(true);
    };
    return run;
  }
  std::vector<NativeRunRequest> requests;
  std::function<void(const NativeRunRequest&)> on_run;
};

class SpoolerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    action_spool().Clear();
    installer_lists().Clear();
    native_hooks() = NativeHooks();
    spooler_platform() = SpoolerPlatform();
    spooler_platform().silent = [this] { return silent; };
    spooler_platform().show_error_box = [this](std::string_view text) { boxes.emplace_back(text); };
    spooler_platform().browse_folder = [this](const std::string& prompt) {
      prompts.push_back(prompt);
      if (browse_answers.empty()) return std::string();
      std::string answer = browse_answers.front();
      browse_answers.erase(browse_answers.begin());
      return answer;
    };
    spooler_platform().file_exists = [this](const std::string& path) {
      return std::find(existing.begin(), existing.end(), path) != existing.end();
    };
    native_hooks().pin = [this](std::string_view mode) { pins.emplace_back(mode); };
    SetNativeWorker(&worker);
    SetNativeResult(kNativeSuccess);
    SetRestartRequired(false);
    SetLastNativeError("");
    TakeScriptStopRequest();
    testing::UsePayload(true);
    commands::SetBitnessMode("Win32");
    vars.Define("NATIVE_ENGINE", "TRUE");
  }
  void TearDown() override {
    SetNativeWorker(nullptr);
    spooler_platform() = SpoolerPlatform();
    native_hooks() = NativeHooks();
    process_state().payload = Payload();
    commands::SetBitnessMode("Win32");
  }
  std::string ApplyChanges(const std::string& install, const std::string& uninstall) {
    ApplyChangesStatement(Params(vars, "Apply Changes", {"dlg", "$Outcome$", install, uninstall}));
    return vars.Get("OUTCOME");
  }
  std::vector<std::string> RunNames() const {
    std::vector<std::string> names;
    for (const NativeRunRequest& r : worker.requests) names.push_back(r.name);
    return names;
  }

  TVariableManager vars;
  FakeWorker worker;
  bool silent = true;
  std::vector<std::string> boxes, prompts, browse_answers, existing, pins;
};

TEST_F(SpoolerTest, QueuedStatementsGoToTheSpoolWithBitnessAndWeight) {
  vars.Define("DELAYUNTIL_APPLYCHANGES", "true");
  DeferredStatement(Params(vars, "Write Registry", {"0", "2", "K", "V", "D", "TRUE"}));
  commands::SetBitnessMode("x64");
  DeferredStatement(Params(vars, "Install Files", {"", "", "C:\\T"}));
  DeferredStatement(Params(vars, "Create Shortcut", {"t", "n", "f"}));
  EXPECT_TRUE(worker.requests.empty());
  ASSERT_EQ(action_spool().size(), 3u);
  const SpoolEntry& registry = action_spool().entries()[0];
  EXPECT_EQ(registry.name, "Write Registry");
  EXPECT_EQ(registry.statement_number, 3);
  EXPECT_EQ(registry.bitness, "Win32");
  EXPECT_EQ(registry.record.field(5), "STRING");
  EXPECT_EQ(action_spool().entries()[1].bitness, "x64");
  EXPECT_EQ(action_spool().entries()[1].record.field(0), "0A1B2C3D") << "Install Files carries its header";
  EXPECT_EQ(action_spool().entries()[2].record.field(0), "n");
  EXPECT_EQ(action_spool().queued_weight(), 512 + 0 + 10240);
  EXPECT_FALSE(TakeScriptStopRequest());
}

TEST_F(SpoolerTest, ImmediateRunHandsTheRecordToTheWorker) {
  DeferredStatement(Params(vars, "Create Folder", {"C:\\New"}));
  ASSERT_EQ(worker.requests.size(), 1u);
  EXPECT_EQ(worker.requests[0].name, "Create Folder");
  EXPECT_EQ(worker.requests[0].record.fields, std::vector<std::string>{"C:\\New"});
  EXPECT_EQ(worker.requests[0].statement_number, 3);
  EXPECT_EQ(worker.requests[0].statement_key, testing::kKey);
  EXPECT_TRUE(action_spool().empty());
  EXPECT_FALSE(TakeScriptStopRequest());
}

TEST_F(SpoolerTest, MissingCommandHeaderIsAnError) {
  testing::UsePayload(false);
  for (const char* name : {"Install Files", "Install Assembly", "Install Service", "Install ODBC Driver"}) {
    try {
      DeferredStatement(Params(vars, name, {"", "", "C:\\T"}));
      ADD_FAILURE() << name << " ran without a header";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
    }
  }
  // Statements without a header under the native engine are fine.
  DeferredStatement(Params(vars, "Create Folder", {"C:\\X"}));
  EXPECT_EQ(RunNames(), std::vector<std::string>{"Create Folder"});
  // Under the Windows Installer engine every deferred statement needs one.
  vars.Define("NATIVE_ENGINE", "yes");
  EXPECT_THROW(DeferredStatement(Params(vars, "Create Folder", {"C:\\X"})), std::runtime_error);
}

TEST_F(SpoolerTest, WithoutAWorkerTheRunFailsVisibly) {
  SetNativeWorker(nullptr);
  vars.Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  DeferredStatement(Params(vars, "Create Folder", {"C:\\X"}));
  EXPECT_EQ(ApplyChanges("TRUE", "FALSE"), "ERROR");
  EXPECT_EQ(vars.Get("LASTERROR"), std::string(kNoNativeWorkerError));
}

struct CancelCase {
  const char* label;
  const char* abort_on_error;
  const char* aborted_before;
  bool silent;
  bool expect_result;
  bool expect_box;
  const char* expect_aborted;
};

TEST_F(SpoolerTest, CancellationDuringARun) {
  const CancelCase cases[] = {
      {"continue, box", "FALSE", "", false, true, true, "TRUE"},
      {"continue, silent", "", "", true, true, false, "TRUE"},
      {"already reported", "FALSE", "TRUE", false, true, false, "TRUE"},
      {"abort", "TRUE", "", false, false, true, ""},
      {"abort silently", "-1", "", true, false, false, ""},
  };
  for (const CancelCase& c : cases) {
    boxes.clear();
    silent = c.silent;
    vars.Define("ABORTONERROR", c.abort_on_error);
    vars.Define("ABORTEDONERROR", c.aborted_before);
    vars.Define("OXLE_IsCancelled", "FALSE");
    worker.on_run = [&](const NativeRunRequest&) { vars.Define("OXLE_IsCancelled", "TRUE"); };
    SpoolRequest request;
    request.name = "DELAYEDINSTALL";
    EXPECT_EQ(NativeSpooler(request, vars), c.expect_result) << c.label;
    EXPECT_EQ(boxes.size(), c.expect_box ? 1u : 0u) << c.label;
    if (c.expect_box) {
      EXPECT_EQ(boxes[0], "Setup cancelled") << c.label;
    }
    EXPECT_EQ(vars.Get("ABORTEDONERROR"), c.expect_aborted) << c.label;
  }
}

TEST_F(SpoolerTest, RollbackRunsWithCancellationClearedAndRestoresIt) {
  silent = false;
  vars.Define("OXLE_IsCancelled", "TRUE");
  vars.Define("ABORTONERROR", "TRUE");
  std::string seen;
  worker.on_run = [&](const NativeRunRequest&) { seen = vars.Get("OXLE_IsCancelled"); };
  SpoolRequest rollback;
  rollback.name = "ROLLBACK";
  EXPECT_TRUE(NativeSpooler(rollback, vars));
  EXPECT_EQ(seen, "FALSE");
  EXPECT_EQ(vars.Get("OXLE_IsCancelled"), "TRUE");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SpoolerTest, CancelledImmediateStatementRollsBackAndStopsTheScript) {
  const struct {
    const char* rollback_setting;
    std::vector<std::string> runs;
  } cases[] = {
      {"", {"Create Folder", "ROLLBACK"}},
      {"true", {"Create Folder", "ROLLBACK"}},
      {"false", {"Create Folder"}},
  };
  for (const auto& c : cases) {
    worker.requests.clear();
    vars.Define("NATIVE_ROLLBACK", c.rollback_setting);
    vars.Define("ABORTONERROR", "TRUE");
    vars.Define("OXLE_IsCancelled", "FALSE");
    worker.on_run = [&](const NativeRunRequest& r) {
      if (r.name != "ROLLBACK") vars.Define("OXLE_IsCancelled", "TRUE");
    };
    DeferredStatement(Params(vars, "Create Folder", {"C:\\X"}));
    EXPECT_EQ(RunNames(), c.runs) << c.rollback_setting;
    EXPECT_TRUE(TakeScriptStopRequest()) << c.rollback_setting;
  }
}

TEST_F(SpoolerTest, ApplyChangesWithoutInstallRunsNothingAndCompletes) {
  vars.Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  DeferredStatement(Params(vars, "Create Folder", {"C:\\X"}));
  int after_success = 0;
  native_hooks().after_success = [&](TVariableManager&, int, bool, bool) { ++after_success; };
  EXPECT_EQ(ApplyChanges("FALSE", "FALSE"), "COMPLETE");
  EXPECT_TRUE(worker.requests.empty());
  EXPECT_EQ(pins, std::vector<std::string>{"UNPIN"});
  EXPECT_EQ(after_success, 1);
  EXPECT_EQ(action_spool().size(), 1u) << "the spool stays for a later run";
}

struct OutcomeCase {
  const char* label;
  int native_result;
  bool restart;
  std::string error;
  const char* expected;
  const char* expected_lasterror;
};

TEST_F(SpoolerTest, ApplyChangesOutcomes) {
  const OutcomeCase cases[] = {
      {"success", 1, false, "", "COMPLETE", "before"},
      {"restart needed", 1, true, "", "REBOOT", "before"},
      {"error", -1, false, "Access denied", "ERROR", "Access denied"},
      {"aborted without text", 0, false, "", "CANCEL", "Setup cancelled"},
  };
  vars.Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  for (const OutcomeCase& c : cases) {
    vars.Define("LASTERROR", "before");
    vars.Define("REBOOTCOMPUTER", "FALSE");
    SetRestartRequired(false);
    int after_success = 0;
    native_hooks().after_success = [&](TVariableManager&, int, bool, bool) { ++after_success; };
    worker.on_run = [&](const NativeRunRequest& r) {
      EXPECT_EQ(r.name, "DELAYEDINSTALL");
      EXPECT_EQ(r.spool, &action_spool());
      SetNativeResult(c.native_result);
      SetRestartRequired(c.restart);
      SetLastNativeError(c.error);
    };
    EXPECT_EQ(ApplyChanges("TRUE", "FALSE"), c.expected) << c.label;
    EXPECT_EQ(vars.Get("LASTERROR"), c.expected_lasterror) << c.label;
    EXPECT_EQ(vars.Get("REBOOTCOMPUTER"), c.restart ? "TRUE" : "FALSE") << c.label;
    EXPECT_EQ(after_success, c.native_result == 1 ? 1 : 0) << c.label;
  }
}

TEST_F(SpoolerTest, ApplyChangesCancelledInstallRollsBack) {
  vars.Define("DELAYUNTIL_APPLYCHANGES", "TRUE");
  vars.Define("ABORTONERROR", "TRUE");
  vars.Define("OXLE_IsCancelled", "FALSE");
  worker.on_run = [&](const NativeRunRequest& r) {
    if (r.name == "DELAYEDINSTALL") vars.Define("OXLE_IsCancelled", "TRUE");
  };
  EXPECT_EQ(ApplyChanges("TRUE", "FALSE"), "CANCEL");
  EXPECT_EQ(RunNames(), (std::vector<std::string>{"DELAYEDINSTALL", "ROLLBACK"}));
}

TEST_F(SpoolerTest, ApplyChangesUninstallWithLogs) {
  vars.Define("NATIVE_LOGGING", "C:\\logs\\app");
  vars.Define("NATIVE_ERROR", "IGNORE");
  int removed = 0, after_success = 0;
  native_hooks().remove_native_logs = [&](TVariableManager&) { ++removed; };
  native_hooks().after_success = [&](TVariableManager&, int, bool, bool) { ++after_success; };
  worker.on_run = [&](const NativeRunRequest&) { vars.Define("NATIVE_ERROR", "ABORT"); };
  EXPECT_EQ(ApplyChanges("FALSE", "TRUE"), "COMPLETE");
  EXPECT_EQ(RunNames(), std::vector<std::string>{"UNINSTALL"});
  EXPECT_TRUE(pins.empty()) << "nothing is unpinned when the log set is used";
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(after_success, 0);
  EXPECT_EQ(vars.Get("NATIVE_ERROR"), "IGNORE");

  pins.clear();
  vars.Define("NATIVE_LOGGING", "false");
  EXPECT_EQ(ApplyChanges("FALSE", "TRUE"), "COMPLETE");
  EXPECT_EQ(pins, std::vector<std::string>{"UNPIN"});
  EXPECT_EQ(after_success, 1);
}

TEST_F(SpoolerTest, WindowsInstallerEngineCollectsProperties) {
  vars.Define("NATIVE_ENGINE", "FALSE");
  installer_lists().Clear();
  ActivateDeferredStatements(process_state().payload, installer_lists());
  vars.Define("DIR", "C:\\Target");
  DeferredStatement(Params(vars, "Install Files", {"", "", "$DIR$"}));
  EXPECT_TRUE(worker.requests.empty());
  EXPECT_TRUE(action_spool().empty());
  EXPECT_TRUE(installer_lists().IsActivated(2));
  EXPECT_EQ(installer_lists().journal(), (std::vector<std::string>{"A0A1B2C3D", "FALSE", "A0A1B2C3D", "TRUE",
                                                                   "P0A1B2C3D_1", "C:\\Target"}));
}

TEST_F(SpoolerTest, SourceAcquisition) {
  vars.Define("PRODUCTCODE", "{PC}");
  process_state().data_folder = "C:\\setup\\data\\";
  existing = {"C:\\setup\\data\\{PC}"};
  EXPECT_TRUE(AcquireNativeSources(vars));
  EXPECT_TRUE(prompts.empty());

  existing.clear();
  vars.Define("MAINTENANCE", "FALSE");
  EXPECT_TRUE(AcquireNativeSources(vars)) << "outside maintenance the step succeeds";

  vars.Define("MAINTENANCE", "TRUE");
  silent = false;
  existing = {"E:\\media\\data\\{PC}"};
  browse_answers = {"D:\\wrong", "E:\\media"};
  EXPECT_TRUE(AcquireNativeSources(vars));
  EXPECT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0], "Please locate your original setup sources to continue operation");
  EXPECT_EQ(process_state().data_folder, "E:\\media\\data\\");

  process_state().data_folder = "C:\\gone\\";
  browse_answers = {};
  EXPECT_FALSE(AcquireNativeSources(vars));
  EXPECT_EQ(vars.Get("LASTERROR"), "Original setup sources required to complete operation, sources not found");

  // An immediate Install Files stops the script without running the worker.
  DeferredStatement(Params(vars, "Install Files", {"", "", "C:\\T"}));
  EXPECT_TRUE(worker.requests.empty());
  EXPECT_TRUE(TakeScriptStopRequest());

  process_state().payload.build_mode = 2;
  EXPECT_TRUE(AcquireNativeSources(vars));
}

}  // namespace
}  // namespace qel::native
