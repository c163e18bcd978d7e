#include "native/prompts/win/main_thread_prompt.h"

#include <atomic>
#include <mutex>

namespace qel::native::win {
namespace {

struct Pending {
  PromptKind kind = PromptKind::kError;
  const std::string* caption = nullptr;
  const std::string* text = nullptr;
  PromptAnswer answer = PromptAnswer::kNo;
  HANDLE done = nullptr;
};

std::atomic<PromptDialog> g_dialog{nullptr};
std::atomic<DWORD> g_main_thread{0};
std::mutex g_ask_mutex;  // one question at a time
std::mutex g_pending_mutex;
Pending* g_pending = nullptr;

PromptAnswer RunDialog(PromptKind kind, const std::string& caption, const std::string& text) {
  PromptDialog dialog = g_dialog.load();
  return dialog ? dialog(kind, caption, text) : ShowFiveButtonDialog(kind, caption, text);
}

}  // namespace

void SetPromptDialog(PromptDialog dialog) { g_dialog = dialog; }
void SetPromptMainThread(DWORD thread_id) { g_main_thread = thread_id; }

void ServicePendingPrompt() {
  Pending* p = nullptr;
  {
    std::lock_guard lock(g_pending_mutex);
    p = g_pending;
    g_pending = nullptr;
  }
  if (!p) return;
  p->answer = RunDialog(p->kind, *p->caption, *p->text);
  SetEvent(p->done);
}

PromptAnswer MainThreadPromptHost::Ask(PromptKind kind, const std::string& caption, const std::string& text) {
  const DWORD main = g_main_thread.load();
  if (main == 0 || main == GetCurrentThreadId()) return RunDialog(kind, caption, text);
  std::lock_guard ask(g_ask_mutex);
  Pending p;
  p.kind = kind;
  p.caption = &caption;
  p.text = &text;
  p.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!p.done) return RunDialog(kind, caption, text);
  {
    std::lock_guard lock(g_pending_mutex);
    g_pending = &p;
  }
  PostThreadMessageA(main, WM_NULL, 0, 0);
  WaitForSingleObject(p.done, INFINITE);
  CloseHandle(p.done);
  return p.answer;
}

}  // namespace qel::native::win
