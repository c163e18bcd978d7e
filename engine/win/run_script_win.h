// The engine's RunScript on Windows: start-up, the statement loop and its end.
#pragma once

namespace qel::engine_win {

// Registers RunScript with the stub unless another handler (a test variant of
// the stub) is already registered. Call from WinMain before the stub runs.
void InstallWindowsRunScript();

}  // namespace qel::engine_win
