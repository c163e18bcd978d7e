#include "engine/run_script.h"

#include <atomic>

namespace qel {
namespace {
std::atomic<RunScriptHandler> g_handler{nullptr};
}

void set_run_script_handler(RunScriptHandler handler) { g_handler.store(handler); }

void set_default_run_script_handler(RunScriptHandler handler) {
  RunScriptHandler none = nullptr;
  g_handler.compare_exchange_strong(none, handler);
}

RunScriptHandler run_script_handler() { return g_handler.load(); }

void run_script(const RunScriptArgs& args) {
  if (RunScriptHandler handler = g_handler.load()) handler(args);
}

}  // namespace qel
