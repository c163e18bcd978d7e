#include "native/engine/win/native_thread.h"

#include <stdexcept>

#include "commands/bitness.h"
#include "engine/process_state.h"
#include "engine/trace.h"
#include "engine/variables.h"
#include "native/engine/win/file_actions.h"
#include "native/engine/win/file_ops.h"
#include "native/engine/win/registry_actions.h"
#include "native/engine/win/reverse_operations.h"
#include "native/engine/win/system_actions.h"
#include "native/log/log_set.h"
#include "native/log/native_log.h"
#include "native/log/reverse_processor.h"
#include "native/prompts/win/file_facts.h"
#include "native/prompts/win/main_thread_prompt.h"
#include "native/spooler/native_run_state.h"

namespace qel::native::win {
namespace {

std::atomic<PromptHost*> g_prompt_override{nullptr};

// Hands every question to the override, or to the main thread.
class RoutedPromptHost final : public PromptHost {
 public:
  PromptAnswer Ask(PromptKind kind, const std::string& caption, const std::string& text) override {
    if (PromptHost* o = g_prompt_override.load()) return o->Ask(kind, caption, text);
    return main_.Ask(kind, caption, text);
  }

 private:
  MainThreadPromptHost main_;
};

bool Dispatch(WorkerContext& ctx, ActionKind kind, const ActionRecord& record) {
  switch (kind) {
    case ActionKind::kWriteRegistry: return RunWriteRegistry(ctx, record);
    case ActionKind::kInstallFiles: return RunInstallFiles(ctx, record);
    case ActionKind::kInstallAssembly: return RunInstallAssembly(ctx, record);
    case ActionKind::kInstallService: return RunInstallService(ctx, record);
    case ActionKind::kControlService: return RunControlService(ctx, record);
    case ActionKind::kInstallOdbcDriver: return RunInstallOdbcDriver(ctx, record);
    case ActionKind::kCreateOdbcDsn: return RunCreateOdbcDsn(ctx, record);
    case ActionKind::kCreateFolder: return RunCreateFolder(ctx, record);
    case ActionKind::kCreateShortcut: return RunCreateShortcut(ctx, record);
    case ActionKind::kCreateFileType: return RunCreateFileType(ctx, record);
    case ActionKind::kCopyMoveLocalFiles: return RunCopyMoveLocalFiles(ctx, record);
    case ActionKind::kDeleteFiles: return RunDeleteFiles(ctx, record);
    case ActionKind::kEditIniFile: return RunEditIniFile(ctx, record);
    case ActionKind::kSetEnvironment: return RunSetEnvironment(ctx, record);
    default: return true;  // advertised entries and unknown names change nothing here
  }
}

std::string ErrorText(const std::exception& e) {
  const char* what = e.what();
  return what && *what ? what : "Unexpected error in the native install engine";
}

}  // namespace

void SetNativePromptHostOverride(PromptHost* host) { g_prompt_override = host; }

TNativeThread::TNativeThread(NativeRunRequest request) : TNativeThread(std::move(request), variables()) {}

TNativeThread::TNativeThread(NativeRunRequest request, TVariableManager& vars)
    : request_(std::move(request)),
      vars_(vars),
      facts_(std::make_unique<WindowsFileFacts>()),
      own_prompts_(std::make_unique<RoutedPromptHost>()),
      ctx_(std::make_unique<WorkerContext>(vars_, *own_prompts_, *facts_)) {
  ctx_->run_name = request_.name;
}

TNativeThread::~TNativeThread() {
  if (!thread_) return;
  if (!done_) WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
}

void TNativeThread::Start() {
  waiting_thread_ = GetCurrentThreadId();
  SetPromptMainThread(waiting_thread_);
  thread_ = CreateThread(nullptr, 0, &TNativeThread::Entry, this, 0, nullptr);
  if (!thread_) {
    SetLastNativeError("The native worker could not be started.");
    SetNativeResult(kNativeError);
    SetNativeThreadFinished(true);
    done_ = true;
  }
}

bool TNativeThread::Done() const {
  if (GetCurrentThreadId() == waiting_thread_) ServicePendingPrompt();
  return done_;
}

void TNativeThread::RequestStop() { ctx_->terminate = true; }

void TNativeThread::Kill() {
  if (thread_ && !done_) TerminateThread(thread_, 0);
  SetNativeThreadFinished(true);
  done_ = true;
}

DWORD WINAPI TNativeThread::Entry(void* self) {
  auto* t = static_cast<TNativeThread*>(self);
  t->Execute();
  SetNativeThreadFinished(true);
  t->done_ = true;
  PostThreadMessageA(t->waiting_thread_, WM_NULL, 0, 0);
  return 0;
}

void TNativeThread::Execute() {
  const std::string& name = request_.name;
  if (name == kRunUninstall || name == kRunRollback) {
    RunReverse(name == kRunUninstall);
  } else if (name == kRunDelayedInstall) {
    RunDelayedInstall();
  } else {
    RunSingle();
  }
}

bool TNativeThread::RunAction(const std::string& name, const ActionRecord& record) {
  const ActionKind kind = ActionKindOf(name);
  WorkerContext& ctx = *ctx_;
  ctx.byte_progress = UsesCommandHeader(kind);
  ctx.nested = false;
  ActionRedirection redirection;
  // Create Folder writes its own lines (it also runs nested inside other actions).
  const bool traced = kind != ActionKind::kCreateFolder;
  if (traced) ctx.TraceStart(name);
  const bool ok = Dispatch(ctx, kind, record);
  if (ok && traced) ctx.TraceEnd(name);
  return ok;
}

void TNativeThread::RunReverse(bool uninstall) {
  trace("      <NATIVE " + request_.name + ">");
  try {
    LogFileSystem& fs = DefaultLogFileSystem();
    WindowsReverseOperations ops(*ctx_);
    WorkerReverseProgress progress(*ctx_);
    ReverseRun run{vars_, fs, native_log(), CurrentLogPrefix(fs, vars_.ReadVariable("NATIVE_LOGGING")), ops, progress};
    SetNativeResult(RunReverseProcessor(uninstall, run));
  } catch (const std::exception& e) {
    SetNativeResult(kNativeError);
    SetLastNativeError(ErrorText(e));
  }
  if (!uninstall) SetNativeResult(kNativeSuccess);
  trace("      </NATIVE " + request_.name + ">");
}

void TNativeThread::RunDelayedInstall() {
  trace("      <NATIVE DELAYEDINSTALL>");
  const std::string saved_bitness = commands::BitnessMode();
  const uint64_t saved_max = ctx_->progress_max.load();
  ctx_->queued_run = true;
  bool completed = true;
  try {
    if (request_.spool) {
      ctx_->progress_max = static_cast<uint64_t>(std::max<int64_t>(0, request_.spool->queued_weight()));
      for (const SpoolEntry& entry : request_.spool->entries()) {
        if (!entry.bitness.empty()) commands::SetBitnessMode(entry.bitness);
        if (!RunAction(entry.name, entry.record)) {
          SetNativeResult(kNativeAborted);
          completed = false;
          break;
        }
      }
    }
    if (completed) {
      trace("      </NATIVE DELAYEDINSTALL>");
      SetNativeResult(kNativeSuccess);
    }
  } catch (const std::exception& e) {
    SetNativeResult(kNativeError);
    SetLastNativeError(ErrorText(e));
  }
  ctx_->queued_run = false;
  commands::SetBitnessMode(saved_bitness);
  ctx_->progress_max = saved_max;
}

void TNativeThread::RunSingle() {
  trace("      <NATIVE INSTALL>");
  try {
    if (request_.spool) ctx_->progress_max = static_cast<uint64_t>(std::max<int64_t>(0, request_.spool->total_weight()));
    if (!RunAction(request_.name, request_.record)) SetNativeResult(kNativeAborted);
  } catch (const std::exception& e) {
    SetNativeResult(kNativeError);
    SetLastNativeError(ErrorText(e));
  }
  trace("      </NATIVE INSTALL>");
}

bool RunNativeActionHere(const std::string& name, const ActionRecord& record) {
  NativeRunRequest request;
  request.name = name;
  request.record = record;
  TNativeThread worker(request);
  SetNativeResult(kNativeSuccess);
  worker.Execute();
  return NativeResult() != kNativeAborted;
}

namespace {

class NativeWorkerFactory final : public NativeWorker {
 public:
  std::unique_ptr<commands::Worker> Create(const NativeRunRequest& request) override {
    return std::make_unique<TNativeThread>(request);
  }
};

}  // namespace

void InstallNativeWorker() {
  static NativeWorkerFactory factory;
  SetNativeWorker(&factory);
}

}  // namespace qel::native::win
