// The product's registration: the Uninstall entries that Add/Remove Programs
// shows and runs, and the engine's own cache entry.
#pragma once

#include <string>

#include "engine/payload.h"
#include "native/identity/identity_context.h"

namespace qel::identity {

// Writes the entries for cache folder C, in HKEY_LOCAL_MACHINE when ALLUSERS is
// true, else in HKEY_CURRENT_USER. The product information comes from the payload,
// the title and install location from the variables.
void register_product(const IdentityContext& ctx, const Payload& payload, const std::string& cache_folder);

// Deletes the entries (by title, by product code and the cache entry) in both hives.
void unregister_product(const IdentityContext& ctx);

}  // namespace qel::identity
