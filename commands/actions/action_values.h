// How the parameters of the immediate actions map to system values, and the
// texts those commands build. Win32 constants are spelled out numerically so
// that this file stays free of windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qel::commands::actions {

// Exit codes besides a program's own.
inline constexpr int32_t kExitNotStarted = -1;       // shell start failed, or the logon API is missing
inline constexpr int32_t kExitOpenShell = -7;
inline constexpr int32_t kExitOpenShellToken = -8;
inline constexpr int32_t kExitDuplicateToken = -9;
inline constexpr int32_t kExitRemovePrivileges = -10;
inline constexpr int32_t kExitCreateProcess = -11;
inline constexpr int32_t kExitCancelled = -314;
inline constexpr int32_t kExitStillActive = 259;

inline constexpr std::string_view kDesktopUser = "$OXLE_UAC$";

// "Run Program As" show mode 0-4 -> SW_SHOW, SW_HIDE, SW_SHOWMAXIMIZED,
// SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE; anything else SW_SHOW.
int ShowCommandForMode(int mode);

// "Run Program As": "\"" + program + "\" " + arguments.
std::string RunAsCommandLine(std::string_view program, std::string_view arguments);

// CR LF separated NAME=VALUE lines -> entries separated by NUL, ended by a
// double NUL. "" for an empty parameter (inherit the engine's environment).
// Empty lines are left out: an empty entry would end the block early.
std::string EnvironmentBlock(std::string_view lines);

// The folder of a program path, with trailing backslash ("" for a bare name).
std::string FolderWithBackslash(std::string_view path);

// "MessageBox": icon 0-3 and buttons 0-5 to the MB_* style; numbers outside
// fall back to information and OK.
uint32_t MessageBoxStyle(int icon, int buttons);
// The pressed button as the script sees it; "" for 0 or an unknown id.
std::string_view ButtonName(int id);
// The style that puts the taskbar into its error state (MB_ICONHAND | MB_OK).
bool IsErrorBoxStyle(uint32_t style);

// "MessageBalloon": seconds clamped to 10-30.
int BalloonTimeoutSeconds(int seconds);

// "Reboot and Resume"/"Reboot and Login": the value name is the 2nd to 9th
// characters of the product code.
std::string RebootValueName(std::string_view product_code);
// The command: the "/m=" engine path if given, else the stub's own path; a blank
// and the stub's arguments follow when there are any.
std::string RebootCommand(std::string_view sfx_path, std::string_view program_path, std::string_view arguments);

inline constexpr std::string_view kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\";
inline constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

// Whether a library path names the Windows Installer plug-in (file name
// "qMSIExec.dll", any case).
bool IsMsiExecLibrary(std::string_view path);

// Extension test of "Register Library", ignoring case (ext with its dot).
bool HasExtension(std::string_view path, std::string_view ext);

}  // namespace qel::commands::actions
