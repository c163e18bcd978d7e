// The engine entry that the stub calls once, after the payload is loaded and the
// resource archive extracted. The engine registers its RunScript here, so the stub
// does not depend on how (or whether) the engine library is linked.
#pragma once

#include <cstddef>
#include <string>

#include "engine/payload.h"

namespace qel {

// Called before each statement with its 0-based index; the stub passes none.
using StatementCallback = void (*)(size_t statement_index);

struct RunScriptArgs {
  const StringList& names;               // item 1
  const StringList& keys;                // item 2
  const StringList& flags;               // item 4
  std::string msi_file;                  // support folder + stub base name + ".msi" (MSIFILE)
  StatementCallback callback = nullptr;  // optional
  const ParameterLists& parameter_lists; // holds item 3
  const StringList& media_blocks;        // item 15
};

using RunScriptHandler = void (*)(const RunScriptArgs& args);

// Registers the engine's RunScript. The last registration wins; nullptr removes it.
void set_run_script_handler(RunScriptHandler handler);
// Registers handler unless one is already registered (test variants of the stub
// register their own before WinMain installs the engine's).
void set_default_run_script_handler(RunScriptHandler handler);
RunScriptHandler run_script_handler();

// Calls the registered handler; without one the script is not run (nothing happens).
void run_script(const RunScriptArgs& args);

}  // namespace qel
