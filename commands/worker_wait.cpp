#include "commands/worker_wait.h"

#include <atomic>

#include "engine/variables.h"

namespace qel::commands {

namespace {
std::atomic<bool> g_worker_running{false};

constexpr std::string_view kIsCancelled = "OXLE_IsCancelled";
constexpr std::string_view kLastDelegateTick = "OXLE_LastDelegateTick";
constexpr std::string_view kLastActiveTick = "OXLE_LastActiveTick";

class RunningFlag {
 public:
  RunningFlag() { g_worker_running = true; }
  ~RunningFlag() { g_worker_running = false; }
};

}  // namespace

bool WorkerRunning() { return g_worker_running; }

WaitOutcome RunWorkerAndWait(Worker& worker, WatchdogRule rule, TVariableManager& vars, const WaitHooks& hooks) {
  RunningFlag running;
  WaitOutcome outcome;
  worker.Start();
  bool armed = false;
  uint64_t armed_at = 0;
  while (!worker.Done()) {
    if (hooks.refresh_progress) hooks.refresh_progress();
    if (hooks.silent && hooks.wait_until_done)
      hooks.wait_until_done(worker);
    else if (hooks.process_one_message)
      hooks.process_one_message();
    if (!armed && IsTrue(vars.ReadVariable(kIsCancelled))) {
      outcome.cancelled = true;
      vars.Set(kLastActiveTick, vars.ReadVariable(kLastDelegateTick));
      worker.RequestStop();
      armed = true;
      armed_at = hooks.now_ms();
    }
    if (armed && !worker.Done() && hooks.now_ms() - armed_at >= kWatchdogIntervalMs) {
      const std::string delegate_tick = vars.ReadVariable(kLastDelegateTick);
      if (rule == WatchdogRule::kKillWhenSilent && vars.ReadVariable(kLastActiveTick) != delegate_tick) {
        vars.Set(kLastActiveTick, delegate_tick);  // still reporting: wait another interval
        armed_at = hooks.now_ms();
      } else {
        worker.Kill();
        outcome.killed = true;
      }
    }
  }
  return outcome;
}

AfterCancel HandleCancellation(TVariableManager& vars, std::string_view cancel_context,
                               const CancellationHooks& hooks) {
  if (!IsTrue(vars.ReadVariable("ABORTEDONERROR")) && !hooks.silent && hooks.show_error_box)
    hooks.show_error_box(hooks.message);
  if (IsTrue(vars.ReadVariable("ABORTONERROR"))) {
    if (hooks.rollback) hooks.rollback();
    return AfterCancel::kEndScript;
  }
  vars.Assign("ABORTEDONERROR", "TRUE", cancel_context);
  return AfterCancel::kContinue;
}

}  // namespace qel::commands
