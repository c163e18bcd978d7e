#include "commands/actions/win/thread_worker.h"

namespace qel::commands::actions {

ThreadWorker::ThreadWorker(std::function<void(ThreadWorker&)> body) : body_(std::move(body)) {}

ThreadWorker::~ThreadWorker() {
  if (!thread_) return;
  if (!killed_) WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
}

void ThreadWorker::Start() {
  waiting_thread_ = GetCurrentThreadId();
  thread_ = CreateThread(nullptr, 0, &ThreadWorker::Entry, this, 0, nullptr);
  if (!thread_) done_ = true;
}

void ThreadWorker::Kill() {
  if (thread_ && !done_) {
    TerminateThread(thread_, 0);
    killed_ = true;
  }
  done_ = true;
}

DWORD WINAPI ThreadWorker::Entry(void* self) {
  auto* worker = static_cast<ThreadWorker*>(self);
  try {
    worker->body_(*worker);
  } catch (...) {
  }
  const DWORD waiting = worker->waiting_thread_;
  worker->done_ = true;
  PostThreadMessageA(waiting, WM_NULL, 0, 0);
  return 0;
}

namespace {
void ProcessOneMessage() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
}  // namespace

WaitHooks MainThreadWaitHooks(bool silent, std::function<void()> refresh_progress) {
  WaitHooks hooks;
  hooks.silent = silent;
  hooks.refresh_progress = std::move(refresh_progress);
  hooks.process_one_message = ProcessOneMessage;
  hooks.wait_until_done = [](Worker& worker) {
    // Short steps, so that a cancellation can still be noticed and the watchdog run.
    if (auto* thread = dynamic_cast<ThreadWorker*>(&worker); thread && thread->handle())
      WaitForSingleObject(thread->handle(), 100);
    else
      Sleep(10);
  };
  hooks.now_ms = [] { return static_cast<uint64_t>(GetTickCount64()); };
  return hooks;
}

bool WaitPumping(HANDLE handle, DWORD step_ms, const std::function<bool()>& stop) {
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, step_ms, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_FAILED) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (stop && stop()) return false;
  }
}

}  // namespace qel::commands::actions
