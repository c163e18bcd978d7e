#include "commands/win/vm_probes.h"

#include <windows.h>

#include <cstdint>
#include <mutex>

namespace qel::commands {

namespace {

// While a probe runs on this thread, a fault of its instruction is skipped:
// the handler steps over the instruction's bytes and records the fault.
thread_local bool t_guard_active = false;
thread_local bool t_faulted = false;
thread_local unsigned t_skip_bytes = 0;

LONG CALLBACK SkipGuardedInstruction(EXCEPTION_POINTERS* info) {
  if (!t_guard_active) return EXCEPTION_CONTINUE_SEARCH;
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  if (code != EXCEPTION_PRIV_INSTRUCTION && code != EXCEPTION_ILLEGAL_INSTRUCTION &&
      code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_SINGLE_STEP && code != EXCEPTION_BREAKPOINT)
    return EXCEPTION_CONTINUE_SEARCH;
  t_faulted = true;
  t_guard_active = false;
#if defined(_WIN64)
  info->ContextRecord->Rip += t_skip_bytes;
#else
  info->ContextRecord->Eip += t_skip_bytes;
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

class FaultGuard {
 public:
  explicit FaultGuard(unsigned skip_bytes) {
    handler_ = AddVectoredExceptionHandler(1, SkipGuardedInstruction);
    t_faulted = false;
    t_skip_bytes = skip_bytes;
    t_guard_active = true;
  }
  ~FaultGuard() {
    t_guard_active = false;
    if (handler_) RemoveVectoredExceptionHandler(handler_);
  }
  bool installed() const { return handler_ != nullptr; }
  bool faulted() const { return t_faulted; }

 private:
  void* handler_ = nullptr;
};

}  // namespace

bool RunningInsideVmware() {
  FaultGuard guard(1);  // IN EAX, DX is the single byte ED
  if (!guard.installed()) return false;
  uint32_t eax = 0x564D5868, ebx = 0, ecx = 10, edx = 0x5658;
  asm volatile("inl %%dx, %%eax" : "+a"(eax), "+b"(ebx), "+c"(ecx), "+d"(edx) : : "memory");
  return !guard.faulted() && ebx == 0x564D5868;
}

bool RunningInsideVirtualPc() {
  FaultGuard guard(4);  // 0F 3F 07 0B
  if (!guard.installed()) return false;
  uint32_t eax = 1, ebx = 0;
  asm volatile(".byte 0x0F, 0x3F, 0x07, 0x0B" : "+a"(eax), "+b"(ebx) : : "ecx", "edx", "memory");
  return !guard.faulted() && ebx == 0;
}

}  // namespace qel::commands
