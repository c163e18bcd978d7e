// The plug-in worker (TScriptThread): loads the library, runs the two-call
// protocol of RunTimeExecute and frees the library again.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "commands/actions/win/thread_worker.h"

namespace qel {
class TVariableManager;
}

namespace qel::commands::plugin {

// RunTimeExecute and the engine's progress callback, both with the standard
// Windows calling convention.
using ProgressCallback = int32_t(WINAPI*)(int32_t position, const char* text);
using RunTimeExecuteFn = int32_t(WINAPI*)(HWND owner, const char* variables, const char* parameters,
                                          ProgressCallback progress, int32_t* reserved, char* buffer);

struct ScriptThreadFields {
  std::string library;
  std::string exchange_text;
  std::string parameters;
  HWND owner = nullptr;
  int32_t reserved = 0;  // handed to the plug-in, never read back
  std::string result;
  bool failed = false;
};

void RunScriptThread(ScriptThreadFields& fields, TVariableManager& vars, actions::ThreadWorker& worker);

}  // namespace qel::commands::plugin
