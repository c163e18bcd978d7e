#include "native/spooler/native_spooler.h"

#include <memory>

#include "commands/bitness.h"
#include "engine/ascii.h"
#include "engine/process_state.h"
#include "engine/variables.h"
#include "native/model/action_spool.h"
#include "native/model/folder_weight.h"
#include "native/model/record_builders.h"
#include "native/spooler/native_hooks.h"
#include "native/spooler/native_run_state.h"
#include "native/spooler/native_worker.h"
#include "native/spooler/spooler_platform.h"

namespace qel::native {
namespace {

constexpr std::string_view kIsCancelled = "OXLE_IsCancelled";

bool IsSpecialRun(std::string_view name) {
  return name == kRunDelayedInstall || name == kRunRollback || name == kRunUninstall;
}

ActionRecord RecordOf(const SpoolRequest& request) {
  if (IsSpecialRun(request.name) || !request.params) return {};
  return BuildActionRecord(*request.params, request.header);
}

// The worker's part of a run: create, start, wait. Without an installed worker
// the run fails with an error result, so nothing is taken as installed.
bool RunWorker(const SpoolRequest& request, TVariableManager& vars) {
  NativeWorker* factory = CurrentNativeWorker();
  if (!factory) {
    SetNativeResult(kNativeError);
    SetLastNativeError(kNoNativeWorkerError);
    vars.DeclareUpper("LASTERROR", kNativeSpoolerContext);
    vars.Assign("LASTERROR", kNoNativeWorkerError, kNativeSpoolerContext);
    return false;
  }
  NativeRunRequest run;
  run.name = request.name;
  run.record = RecordOf(request);
  run.statement_number = request.statement_number;
  if (request.params) run.statement_key = request.params->key();
  run.parameters = &process_state().parameter_lists;
  run.spool = &action_spool();
  std::unique_ptr<commands::Worker> worker = factory->Create(run);
  if (!worker) {
    SetNativeResult(kNativeError);
    SetLastNativeError(kNoNativeWorkerError);
    return false;
  }
  commands::RunWorkerAndWait(*worker, commands::WatchdogRule::kKillWhenSilent, vars,
                             PlatformWaitHooks(PlatformSilent()));
  return true;
}

bool RunNow(const SpoolRequest& request, TVariableManager& vars) {
  const bool rollback = request.name == kRunRollback;
  bool restore_cancel = false;
  if (rollback && IsTrue(vars.ReadVariable(kIsCancelled))) {
    vars.Assign(kIsCancelled, "FALSE", kNativeSpoolerContext);
    restore_cancel = true;
  }

  SetNativeThreadFinished(false);
  SetLastNativeError("");
  PlatformSetBusy(true);
  RunWorker(request, vars);

  bool result = true;
  if (IsTrue(vars.ReadVariable(kIsCancelled))) {
    if (!IsTrue(vars.ReadVariable("ABORTEDONERROR")) && !rollback && !PlatformSilent())
      PlatformErrorBox(Localized(kSetupCancelled));
    if (IsTrue(vars.ReadVariable("ABORTONERROR")))
      result = false;
    else
      vars.Assign("ABORTEDONERROR", "TRUE", commands::kCancelNativeEngine);
  }

  if (restore_cancel) vars.Assign(kIsCancelled, "TRUE", kNativeSpoolerContext);
  PlatformSetBusy(false);
  return result;
}

}  // namespace

bool NativeSpooler(const SpoolRequest& request, TVariableManager& vars) {
  if (request.name == kRunPin || request.name == kRunUnpin) {
    if (native_hooks().pin) native_hooks().pin(request.name);
    return true;
  }
  if (request.queue && !IsSpecialRun(request.name)) {
    const ActionKind kind = ActionKindOf(request.name);
    SpoolEntry entry;
    entry.name = request.name;
    entry.statement_number = request.statement_number;
    entry.record = RecordOf(request);
    entry.bitness = commands::BitnessMode();
    const int64_t weight = QueueWeight(kind, entry.record, CurrentFolderLister());
    action_spool().Append(std::move(entry), weight);
    return true;
  }
  return RunNow(request, vars);
}

bool AcquireNativeSources(TVariableManager& vars) {
  ProcessState& state = process_state();
  const std::string marker = vars.ReadVariable("PRODUCTCODE");
  auto with_slash = [](std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
    return folder;
  };
  if (!marker.empty() && PlatformFileExists(with_slash(state.data_folder) + marker)) return true;
  if (!IsTrue(vars.ReadVariable("MAINTENANCE")) || state.payload.build_mode == 2) return true;

  const bool silent = PlatformSilent();
  while (!silent) {
    const std::string chosen = PlatformBrowseFolder(Localized(kLocateSourcesPrompt));
    if (chosen.empty()) break;
    const std::string folder = with_slash(chosen);
    for (const std::string& candidate : {folder, folder + "data\\"}) {
      if (!marker.empty() && PlatformFileExists(candidate + marker)) {
        state.data_folder = candidate;
        return true;
      }
    }
  }
  vars.DeclareUpper("LASTERROR", kSourceAcquisitionContext);
  vars.Assign("LASTERROR", Localized(kSourcesNotFound), kSourceAcquisitionContext);
  return false;
}

}  // namespace qel::native
