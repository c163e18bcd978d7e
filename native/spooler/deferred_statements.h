// The bodies of the sixteen deferred statements and "Apply Changes" under both
// install engines, and their registration.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "commands/command_params.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

inline constexpr std::string_view kApplyChangesContext = "Apply Changes Action";
inline constexpr std::string_view kForeignLogContext = "Native Foreign Log Processor";

// NATIVE_ENGINE is "TRUE" (any case).
bool NativeEngineSelected(const TVariableManager& vars);
// DELAYUNTIL_APPLYCHANGES is "TRUE" (any case).
bool QueueUntilApplyChanges(const TVariableManager& vars);
// NATIVE_ROLLBACK is anything but "FALSE" (any case; unset means on).
bool RollbackAllowed(const TVariableManager& vars);

// The 0-based index of the running statement (looked up by its key in the
// payload); nullopt when the key is unknown.
std::optional<size_t> RunningStatementIndex(const commands::CommandParams& p);

// One deferred statement, by its name in p.command(). May throw the missing
// command header error; requests the script stop when the native run asks so.
void DeferredStatement(const commands::CommandParams& p);

// "Apply Changes" (1 progress dialog, 2 result variable, 3 install, 4 uninstall).
void ApplyChangesStatement(const commands::CommandParams& p);
// "Apply Changes" under the native engine; returns the outcome (-1, 0, 1, 2).
int ApplyChangesNative(const commands::CommandParams& p);

// The outcome as the result variable reads it.
std::string_view OutcomeText(int outcome);

// Registers the deferred statements and "Apply Changes" (owner "deferred")
// and the component statements (owner "components"), and fills the start-up
// hooks for the predefined component and the activation properties. Portable:
// the Windows build calls it from AddNativeModelHandlers.
void AddPortableNativeModelHandlers();

// Puts this part's statements into the executor's command table so that a
// requested stop ends the script. Call after the command library's binding.
void BindNativeModelToEngine();

// The start-up activation: "A"+header = "FALSE" for every statement with a
// header, and the total weight from the payload.
void InitializeDeferredActivation();

}  // namespace qel::native
