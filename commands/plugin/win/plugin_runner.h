// Runs the statements whose names are in the payload's plug-in list: locates
// the library, calls its RunTimeExecute on a worker thread (TScriptThread) and
// takes back the variables it returns.
#pragma once

#include "engine/dispatch.h"

namespace qel::commands::plugin {

// The executor's plug-in runner.
void RunPluginStatement(Statement& statement);

// Hands RunPluginStatement to the executor.
void InstallPluginRunner();

}  // namespace qel::commands::plugin
