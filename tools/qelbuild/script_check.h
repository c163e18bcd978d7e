// Build-time validation: the engine's own script check, run over the planned
// payload, with its errors placed at the script lines of the statements.
#pragma once

#include <vector>

#include "engine/payload.h"
#include "tools/qelbuild/diagnostics.h"
#include "tools/qelbuild/script_document.h"

namespace qel::build {

// Empty when the script passes. payload.names[i] belongs to script.statements[i].
std::vector<Diagnostic> check_script(const ScriptDocument& script, const Payload& payload);

}  // namespace qel::build
