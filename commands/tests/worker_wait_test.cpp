#include "commands/worker_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/variables.h"

namespace qel::commands {
namespace {

// A worker on a real thread that runs until asked to stop, unless stubborn;
// stubborn workers can only be ended by Kill.
class LoopWorker : public Worker {
 public:
  LoopWorker(TVariableManager& vars, bool stubborn, int steps) : vars_(vars), stubborn_(stubborn), steps_(steps) {}
  ~LoopWorker() override {
    abandon_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Start() override {
    thread_ = std::thread([this] {
      for (int i = 0; steps_ < 0 || i < steps_; ++i) {
        if (abandon_ || (stop_ && !stubborn_)) break;
        vars_.Set("WORK", std::to_string(i + 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      done_ = true;
    });
  }
  bool Done() const override { return done_; }
  void RequestStop() override { stop_ = true; }
  void Kill() override {
    killed_ = true;
    done_ = true;
  }
  bool stop_requested() const { return stop_; }
  bool killed() const { return killed_; }

 private:
  TVariableManager& vars_;
  bool stubborn_;
  int steps_;
  std::atomic<bool> stop_{false}, done_{false}, killed_{false}, abandon_{false};
  std::thread thread_;
};

struct Clock {
  uint64_t now = 0;
};

WaitHooks HooksWithClock(Clock& clock, std::function<void()> per_pass) {
  WaitHooks hooks;
  hooks.now_ms = [&clock] { return clock.now; };
  hooks.process_one_message = std::move(per_pass);
  return hooks;
}

TEST(RunWorkerAndWait, FinishedWorkerIsNotCancelled) {
  TVariableManager vars;
  Clock clock;
  LoopWorker worker(vars, false, 20);
  EXPECT_FALSE(WorkerRunning());
  bool running_seen = false;
  const WaitOutcome outcome = RunWorkerAndWait(worker, WatchdogRule::kKillAtFirstExpiry, vars,
                                               HooksWithClock(clock, [&] { running_seen |= WorkerRunning(); }));
  EXPECT_FALSE(outcome.cancelled);
  EXPECT_FALSE(outcome.killed);
  EXPECT_EQ(vars.Get("WORK"), "20");
  EXPECT_TRUE(running_seen);
  EXPECT_FALSE(WorkerRunning());
}

TEST(RunWorkerAndWait, CancelAsksTheWorkerToStop) {
  TVariableManager vars;
  Clock clock;
  vars.Set("OXLE_LastDelegateTick", "777");
  LoopWorker worker(vars, false, -1);
  const WaitOutcome outcome = RunWorkerAndWait(worker, WatchdogRule::kKillWhenSilent, vars, HooksWithClock(clock, [&] {
    if (!vars.Get("WORK").empty()) vars.Set("OXLE_IsCancelled", "TRUE");
  }));
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_FALSE(outcome.killed);
  EXPECT_TRUE(worker.stop_requested());
  EXPECT_EQ(vars.Get("OXLE_LastActiveTick"), "777");
}

TEST(RunWorkerAndWait, ProgramRunIsKilledAtFirstExpiry) {
  TVariableManager vars;
  Clock clock;
  vars.Set("OXLE_IsCancelled", "TRUE");
  LoopWorker worker(vars, true, -1);
  int passes = 0;
  const WaitOutcome outcome = RunWorkerAndWait(worker, WatchdogRule::kKillAtFirstExpiry, vars, HooksWithClock(clock, [&] {
    ++passes;
    clock.now += 1000;
    vars.Set("OXLE_LastDelegateTick", std::to_string(clock.now));  // still reporting: irrelevant here
  }));
  EXPECT_TRUE(outcome.killed);
  EXPECT_TRUE(worker.killed());
  EXPECT_EQ(passes, 6);  // armed in the first pass at 1000 ms, expired in the sixth at 6000 ms
}

TEST(RunWorkerAndWait, ReportingWorkerGetsMoreTimeUntilItFallsSilent) {
  TVariableManager vars;
  Clock clock;
  vars.Set("OXLE_IsCancelled", "TRUE");
  vars.Set("OXLE_LastDelegateTick", "0");
  LoopWorker worker(vars, true, -1);
  const WaitOutcome outcome = RunWorkerAndWait(worker, WatchdogRule::kKillWhenSilent, vars, HooksWithClock(clock, [&] {
    clock.now += 1000;
    if (clock.now <= 12000) vars.Set("OXLE_LastDelegateTick", std::to_string(clock.now));  // reports until 12 s
  }));
  EXPECT_TRUE(outcome.killed);
  EXPECT_GE(clock.now, 12000u + kWatchdogIntervalMs);
  EXPECT_LE(clock.now, 12000u + 2 * kWatchdogIntervalMs);
}

TEST(RunWorkerAndWait, SilentModeBlocksOnTheWorker) {
  TVariableManager vars;
  Clock clock;
  LoopWorker worker(vars, false, 10);
  WaitHooks hooks = HooksWithClock(clock, [] { FAIL() << "no message pumping in silent mode"; });
  hooks.silent = true;
  hooks.wait_until_done = [](Worker& w) {
    while (!w.Done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  EXPECT_FALSE(RunWorkerAndWait(worker, WatchdogRule::kKillWhenSilent, vars, hooks).cancelled);
  EXPECT_EQ(vars.Get("WORK"), "10");
}

struct CancelCase {
  const char* aborted_on_error;
  const char* abort_on_error;
  bool silent;
  bool expect_box;
  bool expect_rollback;
  AfterCancel expected;
};

TEST(HandleCancellation, ReportsRollsBackOrContinues) {
  const CancelCase cases[] = {
      {"", "", false, true, false, AfterCancel::kContinue},
      {"", "", true, false, false, AfterCancel::kContinue},
      {"TRUE", "", false, false, false, AfterCancel::kContinue},
      {"", "TRUE", false, true, true, AfterCancel::kEndScript},
      {"", "-1", true, false, true, AfterCancel::kEndScript},
  };
  for (const CancelCase& c : cases) {
    TVariableManager vars;
    vars.Set("ABORTEDONERROR", c.aborted_on_error);
    vars.Set("ABORTONERROR", c.abort_on_error);
    std::string shown;
    bool rolled_back = false;
    CancellationHooks hooks;
    hooks.silent = c.silent;
    hooks.show_error_box = [&](std::string_view message) { shown = message; };
    hooks.rollback = [&] { rolled_back = true; };
    EXPECT_EQ(HandleCancellation(vars, kCancelFindFiles, hooks), c.expected);
    EXPECT_EQ(shown, c.expect_box ? "Setup cancelled" : "");
    EXPECT_EQ(rolled_back, c.expect_rollback);
    if (c.expected == AfterCancel::kContinue) {
      EXPECT_EQ(vars.Get("ABORTEDONERROR"), "TRUE");
    }
  }
}

}  // namespace
}  // namespace qel::commands
