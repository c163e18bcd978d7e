// How the main thread waits for a worker thread: it keeps the window messages
// flowing, watches OXLE_IsCancelled, asks the worker to stop and, through a
// watchdog, ends a worker that does not.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace qel {
class TVariableManager;
}

namespace qel::commands {

inline constexpr uint32_t kWatchdogIntervalMs = 5000;

// What the watchdog does when it expires.
enum class WatchdogRule {
  kKillAtFirstExpiry,     // program runs
  kKillWhenSilent,        // file search, plug-ins, media, native engine
};

class Worker {
 public:
  virtual ~Worker() = default;
  virtual void Start() = 0;
  virtual bool Done() const = 0;
  virtual void RequestStop() = 0;  // the worker's terminate flag
  virtual void Kill() = 0;         // ends the thread at once and marks it done
};

struct WaitHooks {
  bool silent = false;
  std::function<void()> refresh_progress;        // optional
  std::function<void()> process_one_message;     // one window message per pass
  std::function<void(Worker&)> wait_until_done;  // silent mode: block on the worker
  std::function<uint64_t()> now_ms;              // a millisecond tick count
};

struct WaitOutcome {
  bool cancelled = false;  // OXLE_IsCancelled became true while waiting
  bool killed = false;     // the watchdog ended the worker
};

// Whether a worker loop is running (the engine's worker-running flag).
bool WorkerRunning();

WaitOutcome RunWorkerAndWait(Worker& worker, WatchdogRule rule, TVariableManager& vars, const WaitHooks& hooks);

// Cancellation contexts.
inline constexpr std::string_view kCancelRunProgram = "Cancel at Run-Program Time";
inline constexpr std::string_view kCancelRunAs = "Cancel at Run-As Time";
inline constexpr std::string_view kCancelFindFiles = "Cancel at Find-Files Time";
inline constexpr std::string_view kCancelPlugIn = "Cancel at Plug-In Time";
inline constexpr std::string_view kCancelExtract7Zip = "Cancel at Extract-7Zip Time";
inline constexpr std::string_view kCancelLightMode = "Cancel at Light-Mode Time";
inline constexpr std::string_view kCancelNativeEngine = "Cancel at Native Engine Time";

inline constexpr std::string_view kDefaultCancelMessage = "Setup cancelled";

struct CancellationHooks {
  bool silent = false;
  std::function<void(std::string_view message)> show_error_box;  // MB_ICONHAND, taskbar in error state
  std::function<void()> rollback;                                // native actions so far
  std::string_view message = kDefaultCancelMessage;
};

enum class AfterCancel { kContinue, kEndScript };

// After a worker loop that saw a cancellation: report it unless already
// reported or silent; roll back and end the script under ABORTONERROR,
// otherwise set ABORTEDONERROR with the command's cancellation context.
AfterCancel HandleCancellation(TVariableManager& vars, std::string_view cancel_context,
                               const CancellationHooks& hooks);

}  // namespace qel::commands
