#include "commands/plugin/win/script_thread.h"

#include <atomic>

#include "commands/actions/action_values.h"
#include "commands/actions/progress_report.h"
#include "commands/bitness.h"
#include "commands/plugin/plugin_call.h"
#include "commands/win/os_info.h"
#include "engine/variables.h"

namespace qel::commands::plugin {

namespace {

// Only one plug-in runs at a time; the callback finds its worker here.
std::atomic<actions::ThreadWorker*> g_worker{nullptr};
std::atomic<TVariableManager*> g_vars{nullptr};

int32_t WINAPI EngineProgress(int32_t position, const char* text) {
  if (TVariableManager* vars = g_vars.load())
    actions::DelegateUpdate(*vars, text ? text : "", 0, 100, position, GetTickCount64());
  actions::ThreadWorker* worker = g_worker.load();
  return worker && worker->StopRequested() ? 0 : 1;
}

bool OlderThanWindows7() { return !VersionAtLeast(CurrentOsInfo(), 6, 1); }

}  // namespace

void RunScriptThread(ScriptThreadFields& fields, TVariableManager& vars, actions::ThreadWorker& worker) {
  g_worker = &worker;
  g_vars = &vars;
  const bool forced = actions::IsMsiExecLibrary(fields.library) && OlderThanWindows7();
  void* redirection = forced ? RedirectionState::ForcedDisable() : nullptr;

  RunTimeExecuteFn entry = nullptr;
  HMODULE module = LoadLibraryA(fields.library.c_str());
  if (module)
    entry = reinterpret_cast<RunTimeExecuteFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "RunTimeExecute")));
  EntryCall call;
  if (entry) {
    call = [&](char* buffer) {
      return entry(fields.owner, fields.exchange_text.c_str(), fields.parameters.c_str(), EngineProgress,
                   &fields.reserved, buffer);
    };
  }
  PluginOutcome outcome = CallPlugin(call, fields.exchange_text);
  if (module) FreeLibrary(module);
  fields.result = std::move(outcome.result);
  fields.failed = outcome.failed;

  if (forced) RedirectionState::ForcedRevert(redirection);
  g_worker = nullptr;
  g_vars = nullptr;
}

}  // namespace qel::commands::plugin
