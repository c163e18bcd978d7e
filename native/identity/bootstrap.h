// The bootstrap: the start-up step that fixes the product identity, the engine
// cache paths and whether this run is a maintenance run, an upgrade or a first
// installation. Run once by the engine start-up and again by "Transform Instance"
// and by a changed cache override.
#pragma once

#include "engine/payload.h"
#include "native/identity/identity_context.h"

namespace qel::identity {

// The state's program path, stub folder, package path, build mode and compiler
// variables must be set. The identity comes from the payload, or from an
// "instance.dat" beside the stub; after "Transform Instance" the state's own
// (new) codes are kept.
void bootstrap(const IdentityContext& ctx, const Payload& payload);

// The default target folder: the program files folder (the profile folder for a
// user without administrative rights) + instance name + "\".
std::string default_target_folder(IdentityPlatform& platform, bool administrator, const std::string& instance_name);

}  // namespace qel::identity
