#include <atomic>
#include <mutex>
#include <string>

#include "native/spooler/native_hooks.h"
#include "native/spooler/native_run_state.h"
#include "native/spooler/native_worker.h"
#include "native/spooler/script_stop.h"

namespace qel::native {
namespace {

std::atomic<NativeWorker*> g_worker{nullptr};
std::atomic<int> g_result{kNativeSuccess};
std::atomic<bool> g_restart{false};
std::atomic<bool> g_finished{false};
std::atomic<bool> g_stop_requested{false};
std::mutex g_error_mutex;
std::string g_error;

}  // namespace

void SetNativeWorker(NativeWorker* worker) { g_worker = worker; }
NativeWorker* CurrentNativeWorker() { return g_worker; }

int NativeResult() { return g_result; }
void SetNativeResult(int result) { g_result = result; }

std::string LastNativeError() {
  std::lock_guard lock(g_error_mutex);
  return g_error;
}

void SetLastNativeError(std::string_view text) {
  std::lock_guard lock(g_error_mutex);
  g_error = text;
}

bool RestartRequired() { return g_restart; }
void SetRestartRequired(bool required) { g_restart = required; }

bool NativeThreadFinished() { return g_finished; }
void SetNativeThreadFinished(bool finished) { g_finished = finished; }

NativeHooks& native_hooks() {
  static NativeHooks hooks;
  return hooks;
}

void RequestScriptStop() { g_stop_requested = true; }
bool TakeScriptStopRequest() { return g_stop_requested.exchange(false); }

}  // namespace qel::native
