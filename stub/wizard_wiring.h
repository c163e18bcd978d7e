// Connects the wizard to the stub and the executor: the dialog host behind the
// stub's page pre-loader, the "Display Dialog" and "Hide Dialog" statements,
// the progress display, the taskbar around cancel questions and the clean-up
// of pages and tray icon at the end of the script.
#pragma once

#include <string>

#include "engine/compiler.h"

namespace qel::stub {

// Once, before the stub runs. Hooks that another part installed already stay.
void install_wizard();

// Whether the statement lies inside a "Wizard Loop" (the loop's body holds no
// nested blocks, so the nearest active "Wizard Loop" or "End" before it decides).
bool inside_wizard_loop(const ScriptLists& script, size_t index);

// The result word of a page outcome (0 for a page left up without waiting).
std::string outcome_word(int outcome, const std::string& outcome_name);

}  // namespace qel::stub
