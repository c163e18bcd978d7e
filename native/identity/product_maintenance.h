// The identity work that follows a successful "Apply Changes", and the statement
// "Transform Instance".
#pragma once

#include "engine/payload.h"
#include "native/identity/identity_context.h"

namespace qel::identity {

// After "Apply Changes" ended with outcome 1 or 2 (never after "Apply Patch").
// install (parameter 3) or neither flag: create the engine cache, register the
// product, write "instance.dat". uninstall alone (parameter 4): remove the engine
// cache (unless SAVEDATA, or MODIFY under the native engine) and the registration.
void after_apply_changes(const IdentityContext& ctx, const Payload& payload, bool install, bool uninstall);

// "Transform Instance": when NEWINSTANCE is true and no patch lies beside the
// package, gives the setup a new product code and revision code and runs the
// bootstrap again. Returns whether it did.
bool transform_instance(const IdentityContext& ctx, const Payload& payload);

}  // namespace qel::identity
