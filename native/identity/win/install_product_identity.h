// Binds the product identity into the running engine.
#pragma once

#include "engine/payload.h"

namespace qel {
class TVariableManager;
}

namespace qel::identity {

// Installs the start-up hooks "bootstrap" and "cache_root", the end-of-run cache
// work (ExitScript), the native log set's default prefix and the statement
// "Transform Instance". Call once at start-up, before RunScript (a second call
// does nothing).
void InstallProductIdentity();

// The engine cache and registration after a successful "Apply Changes"
// (outcome 1 or 2): install is parameter 3, uninstall parameter 4.
void ProductIdentityAfterApplyChanges(TVariableManager& vars, bool install, bool uninstall);

// The bootstrap for this process (what the start-up hook runs): the stub's
// location from the process state, then the bootstrap; an instance file's codes
// are written back into the process's payload.
void RunProductBootstrap(TVariableManager& vars, const Payload& payload);

}  // namespace qel::identity
