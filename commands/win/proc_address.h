// Functions resolved at run time, typed without the cast warnings of FARPROC.
#pragma once

#include <windows.h>

namespace qel::commands {

template <typename Fn>
Fn ProcAddress(const char* module, const char* name) {
  HMODULE handle = GetModuleHandleA(module);
  if (!handle) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

}  // namespace qel::commands
