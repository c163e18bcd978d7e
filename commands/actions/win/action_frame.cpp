#include "commands/actions/win/action_frame.h"

#include "commands/actions/action_hooks.h"
#include "commands/actions/win/thread_worker.h"
#include "engine/setup_caption.h"

namespace qel::commands::actions {

HWND OwnerWindow() {
  const auto& hook = action_hooks().owner_window;
  return hook ? static_cast<HWND>(hook()) : nullptr;
}

int EngineMessageBox(const std::string& text, const std::string& caption, UINT style, bool taskbar_error) {
  const auto& taskbar = action_hooks().taskbar_request;
  if (taskbar) taskbar(true, taskbar_error);
  int answer = MessageBoxA(OwnerWindow(), text.c_str(), caption.c_str(), style);
  if (answer == 0) answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
  if (taskbar) taskbar(false, taskbar_error);
  return answer;
}

WaitOutcome RunWorkerCommand(Worker& worker, WatchdogRule rule, ActionFrame& frame, std::string_view cancel_context,
                             std::function<void()> refresh_progress) {
  TVariableManager& vars = frame.params.vars();
  const WaitOutcome outcome =
      RunWorkerAndWait(worker, rule, vars, MainThreadWaitHooks(frame.silent, std::move(refresh_progress)));
  if (!outcome.cancelled) return outcome;
  CancellationHooks hooks;
  hooks.silent = frame.silent;
  hooks.show_error_box = [](std::string_view message) {
    EngineMessageBox(std::string(message), setup_caption(), MB_ICONHAND, true);
  };
  hooks.rollback = action_hooks().rollback;
  if (HandleCancellation(vars, cancel_context, hooks) == AfterCancel::kEndScript && frame.end_script)
    frame.end_script();
  return outcome;
}

CurrentFolderScope::CurrentFolderScope() {
  char buffer[MAX_PATH * 2] = {};
  const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (n > 0 && n < sizeof buffer) saved_.assign(buffer, n);
}

CurrentFolderScope::~CurrentFolderScope() {
  if (!saved_.empty()) SetCurrentDirectoryA(saved_.c_str());
}

}  // namespace qel::commands::actions
