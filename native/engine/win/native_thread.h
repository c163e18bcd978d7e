// TNativeThread: the native worker. Runs one action, the queued actions of
// "DELAYEDINSTALL", or the reverse processor ("ROLLBACK", "UNINSTALL") on a
// thread of its own while the script thread waits.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "commands/worker_wait.h"
#include "native/engine/win/worker_context.h"
#include "native/model/action_record.h"
#include "native/prompts/prompt_host.h"
#include "native/spooler/native_worker.h"

namespace qel {
class TVariableManager;
}

namespace qel::native::win {

class TNativeThread final : public commands::Worker {
 public:
  explicit TNativeThread(NativeRunRequest request);
  TNativeThread(NativeRunRequest request, TVariableManager& vars);
  ~TNativeThread() override;
  TNativeThread(const TNativeThread&) = delete;
  TNativeThread& operator=(const TNativeThread&) = delete;

  void Start() override;
  // Also answers a pending prompt of the worker (the waiting loop calls this on
  // every pass, on the main thread).
  bool Done() const override;
  void RequestStop() override;
  void Kill() override;
  HANDLE handle() const { return thread_; }

  // The worker body; Start() runs it on the new thread.
  void Execute();

 private:
  static DWORD WINAPI Entry(void* self);
  bool RunAction(const std::string& name, const ActionRecord& record);
  void RunReverse(bool uninstall);
  void RunDelayedInstall();
  void RunSingle();

  NativeRunRequest request_;
  TVariableManager& vars_;
  std::unique_ptr<FileFactsSource> facts_;
  std::unique_ptr<PromptHost> own_prompts_;
  std::unique_ptr<WorkerContext> ctx_;
  HANDLE thread_ = nullptr;
  DWORD waiting_thread_ = 0;
  std::atomic<bool> done_{false};
};

// Tests answer the prompts themselves (null restores the main-thread dialog).
void SetNativePromptHostOverride(PromptHost* host);

// Runs one action of a record on the calling thread with the process's
// variables (tests and tools); the result of the action.
bool RunNativeActionHere(const std::string& name, const ActionRecord& record);

// Installs the native worker factory into the Native Spooler.
void InstallNativeWorker();

}  // namespace qel::native::win
