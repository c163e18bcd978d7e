// The boundary between the Native Spooler (script thread) and the native worker
// that applies actions on a thread of its own. The worker part installs its
// factory with SetNativeWorker; until then every native run fails with
// kNoNativeWorkerError and nothing is reported as done.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "commands/worker_wait.h"
#include "engine/payload.h"
#include "native/model/action_record.h"
#include "native/model/action_spool.h"

namespace qel::native {

inline constexpr std::string_view kNoNativeWorkerError = "The native install engine is not available in this build.";

// One run of the worker.
struct NativeRunRequest {
  // An action name ("Install Files", ...) or "DELAYEDINSTALL", "ROLLBACK",
  // "UNINSTALL".
  std::string name;
  // The record built from the statement; empty for the three special names.
  ActionRecord record;
  int statement_number = 0;        // 1-based; kept for the record
  std::string statement_key;       // the statement's key in the parameter tables
  const ParameterLists* parameters = nullptr;
  // The queued actions that "DELAYEDINSTALL" replays (with its queued weight as
  // the progress maximum). Read only while the script thread waits.
  const ActionSpool* spool = nullptr;
};

// A worker created suspended: the spooler calls Start(), then waits with the
// worker-wait protocol (Done, RequestStop, Kill). When it ends, the worker has
// stored its outcome with SetNativeResult / SetLastNativeError /
// SetRestartRequired (native_run_state.h).
class NativeWorker {
 public:
  virtual ~NativeWorker() = default;
  virtual std::unique_ptr<commands::Worker> Create(const NativeRunRequest& request) = 0;
};

// Installs the worker factory (not owned; null removes it).
void SetNativeWorker(NativeWorker* worker);
NativeWorker* CurrentNativeWorker();

}  // namespace qel::native
