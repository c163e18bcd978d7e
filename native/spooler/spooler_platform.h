// The operating-system side of the Native Spooler and "Apply Changes": the
// wait loop's hooks, the message box, the folder browser and the file test.
// The Windows build installs the real ones; the defaults act as a windowless
// system (no pumping, no boxes, every browse cancelled).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "commands/worker_wait.h"

namespace qel::native {

struct SpoolerPlatform {
  // Whether the setup runs silently (no boxes, no folder browser).
  std::function<bool()> silent;
  // The hooks of the worker wait loop for this silent state.
  std::function<commands::WaitHooks(bool silent)> wait_hooks;
  // Error box with the setup's caption (taskbar in its error state meanwhile).
  std::function<void(std::string_view text)> show_error_box;
  // The shell's folder selection dialog; "" when cancelled.
  std::function<std::string(const std::string& prompt)> browse_folder;
  std::function<bool(const std::string& path)> file_exists;
  // The engine's busy mark (progress display of the native run).
  std::function<void(bool busy)> set_busy;
  // The localized form of one of the engine's fixed texts.
  std::function<std::string(std::string_view text)> localize;
};

// The installed platform; members left empty fall back to the defaults.
SpoolerPlatform& spooler_platform();

// Calls with the defaults applied.
bool PlatformSilent();
commands::WaitHooks PlatformWaitHooks(bool silent);
void PlatformErrorBox(std::string_view text);
std::string PlatformBrowseFolder(const std::string& prompt);
bool PlatformFileExists(const std::string& path);
void PlatformSetBusy(bool busy);
std::string Localized(std::string_view text);

}  // namespace qel::native
