// The setup stub's main program: prepares the process, reads the payload appended
// to the running executable, extracts the resource archive into the support
// folder, runs the script through the registered RunScript and cleans up.
#pragma once

namespace qel {

// Runs every step and returns the process exit code.
int run_stub();

// The caption of the stub's message boxes.
inline constexpr const char* kStubCaption = "Oakhollow Wizard";

}  // namespace qel
