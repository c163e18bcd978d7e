// The native prompts on the main thread: the worker hands its question over
// and waits; the main thread answers it in its wait loop (the native worker's
// Done() check, which the loop calls on every pass, silent or not).
#pragma once

#include <windows.h>

#include "native/prompts/prompt_host.h"

namespace qel::native::win {

// The five-button question itself (overridable for tests).
using PromptDialog = PromptAnswer (*)(PromptKind kind, const std::string& caption, const std::string& text);
void SetPromptDialog(PromptDialog dialog);  // null restores the window dialog

// The dialog as a window: icon, text and Yes, No, Cancel, No to All, Yes to All.
PromptAnswer ShowFiveButtonDialog(PromptKind kind, const std::string& caption, const std::string& text);

// The thread that answers the questions (the one that starts the worker).
void SetPromptMainThread(DWORD thread_id);

// Answers a pending question; call on the main thread.
void ServicePendingPrompt();

class MainThreadPromptHost final : public PromptHost {
 public:
  PromptAnswer Ask(PromptKind kind, const std::string& caption, const std::string& text) override;
};

}  // namespace qel::native::win
