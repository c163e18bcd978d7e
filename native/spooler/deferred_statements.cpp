#include "native/spooler/deferred_statements.h"

#include <stdexcept>

#include "commands/catalogue.h"
#include "engine/ascii.h"
#include "engine/dispatch.h"
#include "engine/executor.h"
#include "engine/process_state.h"
#include "engine/startup_hooks.h"
#include "engine/variables.h"
#include "native/components/component_statements.h"
#include "native/model/action_record.h"
#include "native/model/action_spool.h"
#include "native/model/command_headers.h"
#include "native/model/installer_lists.h"
#include "native/spooler/native_hooks.h"
#include "native/spooler/native_run_state.h"
#include "native/spooler/native_spooler.h"
#include "native/spooler/script_stop.h"
#include "native/spooler/spooler_platform.h"

namespace qel::native {
namespace {

using commands::CommandParams;

bool VariableIs(const TVariableManager& vars, std::string_view name, std::string_view value) {
  return EqualsNoCase(vars.ReadVariable(name), value);
}

bool NativeLoggingOn(const TVariableManager& vars) {
  const std::string logging = vars.ReadVariable("NATIVE_LOGGING");
  return !logging.empty() && !EqualsNoCase(logging, "FALSE");
}

void SetResultVariable(const CommandParams& p, int n, std::string_view value, std::string_view context) {
  const std::string name = p.variable_name(n);
  if (name.empty()) return;
  p.vars().DeclareUpper(name, context);
  p.vars().Assign(name, value, context);
}

void DeferredNative(const CommandParams& p, ActionKind kind, std::optional<size_t> index) {
  TVariableManager& vars = p.vars();
  std::string header;
  if (UsesCommandHeader(kind)) {
    if (!index) throw std::runtime_error(std::string(kMissingCommandHeaders));
    header = CommandHeaders(process_state().payload.command_headers).Require(*index);
  }
  if ((kind == ActionKind::kCreateShortcut || kind == ActionKind::kAdvertisedShortcut) &&
      native_hooks().capture_pinning)
    native_hooks().capture_pinning(p, p.translated(2, 1));

  SpoolRequest request;
  request.name = p.command();
  request.params = &p;
  request.queue = QueueUntilApplyChanges(vars);
  request.statement_number = index ? static_cast<int>(*index) + 1 : 0;
  request.header = header;

  if (!request.queue && UsesCommandHeader(kind) && !AcquireNativeSources(vars)) {
    RequestScriptStop();
    return;
  }
  if (NativeSpooler(request, vars)) return;
  if (RollbackAllowed(vars)) {
    SpoolRequest rollback;
    rollback.name = kRunRollback;
    rollback.statement_number = request.statement_number;
    NativeSpooler(rollback, vars);
  }
  RequestScriptStop();
}

void DeferredInstaller(const CommandParams& p, ActionKind kind, std::optional<size_t> index, bool native) {
  // "Advertised File Type" takes this path under the native engine as well,
  // where it has no command header: only its file-type entry is kept then.
  if (native) {
    installer_lists().AddFileType({p.raw(1), p.translated(1, 1), p.translated(3, 2)});
    return;
  }
  if (!index) throw std::runtime_error(std::string(kMissingCommandHeaders));
  const std::string header = CommandHeaders(process_state().payload.command_headers).Require(*index);
  if ((kind == ActionKind::kCreateShortcut || kind == ActionKind::kAdvertisedShortcut) &&
      native_hooks().capture_pinning)
    native_hooks().capture_pinning(p, p.translated(2, 1));
  RecordForInstaller(p, *index, header, installer_lists());
}

SpoolRequest Special(std::string_view name) {
  SpoolRequest r;
  r.name = name;
  return r;
}

}  // namespace

bool NativeEngineSelected(const TVariableManager& vars) { return VariableIs(vars, "NATIVE_ENGINE", "TRUE"); }
bool QueueUntilApplyChanges(const TVariableManager& vars) {
  return VariableIs(vars, "DELAYUNTIL_APPLYCHANGES", "TRUE");
}
bool RollbackAllowed(const TVariableManager& vars) { return !VariableIs(vars, "NATIVE_ROLLBACK", "FALSE"); }

std::optional<size_t> RunningStatementIndex(const CommandParams& p) {
  return StatementIndexOfKey(process_state().payload, p.key());
}

void DeferredStatement(const CommandParams& p) {
  const ActionKind kind = ActionKindOf(p.command());
  const std::optional<size_t> index = RunningStatementIndex(p);
  const bool native = NativeEngineSelected(p.vars());
  if (kind == ActionKind::kAdvertisedFileType || !native)
    DeferredInstaller(p, kind, index, native);
  else
    DeferredNative(p, kind, index);
}

std::string_view OutcomeText(int outcome) {
  switch (outcome) {
    case -1: return "ERROR";
    case 0: return "CANCEL";
    case 1: return "COMPLETE";
    case 2: return "REBOOT";
    default: return "ERROR";
  }
}

int ApplyChangesNative(const CommandParams& p) {
  TVariableManager& vars = p.vars();
  const bool install = p.flag(3);
  const bool uninstall = p.flag(4);
  const bool delayed = QueueUntilApplyChanges(vars);
  const std::string saved_error = vars.ReadVariable("NATIVE_ERROR");
  const std::string saved_overwrite = vars.ReadVariable("NATIVE_OVERWRITE");
  const std::string saved_older = vars.ReadVariable("NATIVE_OVERWRITE_OLDER");

  int outcome = 1;
  if (delayed && native_hooks().read_previous_cache) native_hooks().read_previous_cache(vars);
  if (!(uninstall && NativeLoggingOn(vars))) NativeSpooler(Special(kRunUnpin), vars);
  if (uninstall) outcome = NativeSpooler(Special(kRunUninstall), vars) ? NativeResult() : 0;
  if (install && delayed) {
    const bool ran = NativeSpooler(Special(kRunDelayedInstall), vars);
    if (!ran && RollbackAllowed(vars)) NativeSpooler(Special(kRunRollback), vars);
    outcome = ran ? NativeResult() : 0;
  }

  std::string error = LastNativeError();
  if (error.empty() && outcome == 0) error = Localized(kSetupCancelled);
  if (outcome == 1 && RestartRequired()) outcome = 2;
  if (!error.empty()) {
    vars.DeclareUpper("LASTERROR", kApplyChangesContext);
    vars.Assign("LASTERROR", error, kApplyChangesContext);
  }
  SetResultVariable(p, 2, OutcomeText(outcome), kApplyChangesContext);
  if (outcome == 2) vars.Assign("REBOOTCOMPUTER", "TRUE", kApplyChangesContext);

  const bool succeeded = outcome == 1 || outcome == 2;
  if (uninstall && NativeLoggingOn(vars) && succeeded) {
    if (native_hooks().remove_native_logs) native_hooks().remove_native_logs(vars);
    vars.Assign("NATIVE_ERROR", saved_error, kForeignLogContext);
    vars.Assign("NATIVE_OVERWRITE", saved_overwrite, kForeignLogContext);
    vars.Assign("NATIVE_OVERWRITE_OLDER", saved_older, kForeignLogContext);
    return outcome;
  }
  if (succeeded && native_hooks().after_success) native_hooks().after_success(vars, outcome, install, uninstall);
  return outcome;
}

void ApplyChangesStatement(const CommandParams& p) {
  if (NativeEngineSelected(p.vars())) {
    ApplyChangesNative(p);
    return;
  }
  if (native_hooks().apply_changes_msi) {
    native_hooks().apply_changes_msi(p);
    return;
  }
  constexpr std::string_view kNoInstaller = "The Windows Installer engine is not available in this build.";
  p.vars().DeclareUpper("LASTERROR", kApplyChangesContext);
  p.vars().Assign("LASTERROR", kNoInstaller, kApplyChangesContext);
  SetResultVariable(p, 2, "ERROR", kApplyChangesContext);
}

void InitializeDeferredActivation() {
  const Payload& payload = process_state().payload;
  ActivateDeferredStatements(payload, installer_lists());
  action_spool().set_total_weight(payload.native_progress_total);
}

void AddPortableNativeModelHandlers() {
  for (ActionKind kind : DeferredActionKinds()) commands::AddCommandHandler(ActionName(kind), DeferredStatement);
  commands::AddCommandHandler("Apply Changes", ApplyChangesStatement);
  AddComponentHandlers();
  startup_hooks().define_predefined_component = DefinePredefinedComponent;
  startup_hooks().activate_deferred_statements = InitializeDeferredActivation;
}

void BindNativeModelToEngine() {
  std::vector<std::string_view> names;
  for (ActionKind kind : DeferredActionKinds()) names.push_back(ActionName(kind));
  names.push_back("Apply Changes");
  for (std::string_view name : names) {
    const commands::CommandHandler* handler = commands::FindCommandHandler(name);
    if (!handler) continue;
    register_command(
        name,
        [handler = *handler](Statement& statement) {
          CommandParams params(statement.vars(), statement.name(), statement.key(),
                               [&statement](int n) { return statement.parameter(n); });
          TakeScriptStopRequest();
          handler(params);
          if (TakeScriptStopRequest()) statement.executor().stop();
        },
        commands::CommandOwner(name));
  }
}

}  // namespace qel::native
