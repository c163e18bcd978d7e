// Fills the command library's platform hooks with the Win32 calls and adds
// the Windows command handlers. Call once at start-up.
#pragma once

namespace qel::commands {

void InstallWindowsPlatform();

// Portable handlers plus the system queries: everything implemented so far.
void AddAllCommandHandlers();

}  // namespace qel::commands
