#include "native/spooler/spooler_platform.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "engine/process_state.h"
#include "engine/variables.h"

namespace qel::native {

SpoolerPlatform& spooler_platform() {
  static SpoolerPlatform platform;
  return platform;
}

bool PlatformSilent() {
  if (spooler_platform().silent) return spooler_platform().silent();
  return process_state().silent || IsTrue(variables().ReadVariable("SILENT"));
}

commands::WaitHooks PlatformWaitHooks(bool silent) {
  if (spooler_platform().wait_hooks) return spooler_platform().wait_hooks(silent);
  commands::WaitHooks hooks;
  hooks.silent = silent;
  // Without a message loop, a pass yields briefly so the worker can progress.
  hooks.process_one_message = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
  hooks.wait_until_done = [](commands::Worker&) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
  hooks.now_ms = [] {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  };
  return hooks;
}

void PlatformErrorBox(std::string_view text) {
  if (spooler_platform().show_error_box) spooler_platform().show_error_box(text);
}

std::string PlatformBrowseFolder(const std::string& prompt) {
  return spooler_platform().browse_folder ? spooler_platform().browse_folder(prompt) : std::string();
}

bool PlatformFileExists(const std::string& path) {
  if (spooler_platform().file_exists) return spooler_platform().file_exists(path);
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

void PlatformSetBusy(bool busy) {
  if (spooler_platform().set_busy) spooler_platform().set_busy(busy);
}

std::string Localized(std::string_view text) {
  return spooler_platform().localize ? spooler_platform().localize(text) : std::string(text);
}

}  // namespace qel::native
