// Starting a program de-elevated as the desktop user ("$OXLE_UAC$"): when the
// engine runs at high integrity and the shell at medium, the shell's token is
// copied, stripped of the powerful privileges and used for the new process.
#pragma once

#include <windows.h>

#include <string>

namespace qel::commands::actions {

class DesktopUserStart {
 public:
  // Windows 6.0 or later, engine at 0x3000, shell ("Progman") at 0x2000, and
  // SeDebugPrivilege could be enabled.
  bool Applicable();
  // Starts the command line with the stripped shell token. Returns 0 or one of
  // the failure codes -7 to -11; started tells whether pi holds a process.
  int32_t Start(std::wstring& command_line, void* environment, DWORD creation_flags, WORD show, PROCESS_INFORMATION& pi, bool& started);

 private:
  DWORD shell_pid_ = 0;
};

// The integrity level (last sub-authority of the integrity SID) of a token; 0
// when unknown.
DWORD IntegrityLevelOf(HANDLE token);

// Enables a privilege in the engine's own token; true when it is enabled.
bool EnablePrivilege(const char* name);

}  // namespace qel::commands::actions
