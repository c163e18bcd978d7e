// What an immediate action receives besides its parameters: the silent flag,
// the way to end the script, and the engine's message box conventions.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "commands/command_params.h"
#include "commands/worker_wait.h"

namespace qel::commands::actions {

struct ActionFrame {
  const CommandParams& params;
  bool silent = false;
  std::function<void()> end_script;
};

using ActionHandler = void (*)(ActionFrame& frame);

// The non-modal dialog's window, or null.
HWND OwnerWindow();

// MessageBoxA owned by the non-modal dialog (again without owner when that
// fails), with the taskbar in its paused or error state meanwhile.
int EngineMessageBox(const std::string& text, const std::string& caption, UINT style, bool taskbar_error);

// Runs a worker in the wait loop and, when the user cancelled, the
// cancellation protocol with the given context. Returns the loop's outcome;
// ends the script through the frame when the protocol says so.
WaitOutcome RunWorkerCommand(Worker& worker, WatchdogRule rule, ActionFrame& frame, std::string_view cancel_context,
                             std::function<void()> refresh_progress = {});

// The working folder of the engine, restored when the scope ends.
class CurrentFolderScope {
 public:
  CurrentFolderScope();
  ~CurrentFolderScope();
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  std::string saved_;
};

}  // namespace qel::commands::actions
