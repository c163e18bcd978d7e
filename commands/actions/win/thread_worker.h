// A worker on a Win32 thread for the worker wait loop: a done flag set when
// its body returns (followed by WM_NULL to wake the waiting thread), a
// terminate flag the body polls, and TerminateThread as the watchdog's last
// resort.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "commands/worker_wait.h"

namespace qel::commands::actions {

class ThreadWorker : public Worker {
 public:
  explicit ThreadWorker(std::function<void(ThreadWorker&)> body);
  ~ThreadWorker() override;
  ThreadWorker(const ThreadWorker&) = delete;
  ThreadWorker& operator=(const ThreadWorker&) = delete;

  void Start() override;
  bool Done() const override { return done_; }
  void RequestStop() override { stop_ = true; }
  void Kill() override;

  bool StopRequested() const { return stop_; }
  bool Killed() const { return killed_; }
  HANDLE handle() const { return thread_; }

 private:
  static DWORD WINAPI Entry(void* self);

  std::function<void(ThreadWorker&)> body_;
  std::atomic<bool> done_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> killed_{false};
  HANDLE thread_ = nullptr;
  DWORD waiting_thread_ = 0;
};

// The wait hooks of the main thread: one window message per pass (silent: a
// short wait on the worker's thread), the system tick count.
WaitHooks MainThreadWaitHooks(bool silent, std::function<void()> refresh_progress = {});

// Pumps messages while waiting for a handle, in steps of step_ms, until it is
// signalled or stop() turns true. True when the handle was signalled.
bool WaitPumping(HANDLE handle, DWORD step_ms, const std::function<bool()>& stop);

}  // namespace qel::commands::actions
