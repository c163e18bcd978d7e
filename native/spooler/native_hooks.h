// Steps of the native install path that other parts of the engine fill in: the
// pinning of shortcuts, the product registration and engine cache after a
// successful run, the removal of the native log set, and the Windows Installer
// side of "Apply Changes". Empty members do nothing (see each member).
#pragma once

#include <functional>
#include <string_view>

namespace qel {
class TVariableManager;
}
namespace qel::commands {
class CommandParams;
}

namespace qel::native {

struct NativeHooks {
  // The pinning step with mode "PIN" or "UNPIN".
  std::function<void(std::string_view mode)> pin;
  // Captures the pinning options of a "Create Shortcut" / "Advertised Shortcut"
  // statement (its parameters 7 to 9, right-hand parts), under either engine.
  std::function<void(const commands::CommandParams& params, std::string_view shortcut_name)> capture_pinning;
  // "Apply Changes", delayed install: read the previous engine cache folder
  // from the product's Uninstall entry.
  std::function<void(TVariableManager& vars)> read_previous_cache;
  // "Apply Changes" after an uninstall with logging: removes the native log set.
  std::function<void(TVariableManager& vars)> remove_native_logs;
  // "Apply Changes" after a successful native install (outcome 1 or 2):
  // engine cache and product registration (install/uninstall: parameters 3 and 4).
  std::function<void(TVariableManager& vars, int outcome, bool install, bool uninstall)> after_success;
  // "Apply Changes" under the Windows Installer engine. When empty the result
  // variable receives "ERROR" and LASTERROR says that the path is missing.
  std::function<void(const commands::CommandParams& params)> apply_changes_msi;
};

NativeHooks& native_hooks();

}  // namespace qel::native
