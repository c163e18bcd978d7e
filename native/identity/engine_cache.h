// The engine cache of an installed product: its creation after a successful
// installation or modification, its removal on uninstall (a folder that cannot be
// deleted is moved aside and deleted at the next restart), and the work at the
// end of the run.
#pragma once

#include <string>

#include "native/identity/identity_context.h"

namespace qel::identity {

// Creates the cache folder C of the kind given by ALLUSERS and fills it: the
// running stub (with its payload), the package, the resource archive, qel.lib,
// setup.bmp, the feature selection file, property journal, pinned shortcuts,
// language and "instance.dat"; flushes the native log under the native engine.
// Failures are not reported: a copy that fails leaves its file missing.
// Returns C.
std::string create_engine_cache(const IdentityContext& ctx);

// Deletes C. When it cannot be deleted, moves it to the first free "~N" beside it
// and schedules what is left in it, and the folder, for deletion at restart.
// The native log set is carried over the deletion when it must stay. Marks the
// cache as removed. Returns the folder it was moved to ("" when deleted or when
// nothing was there).
std::string remove_engine_cache(const IdentityContext& ctx);

// After the last statement: in build mode 2 without cached sources, deletes every
// subfolder of C but "OFFLINE"; unless the cache was removed in this run, makes C
// hidden, sets its compression and refreshes its feature selection file. Does
// nothing when C does not exist.
void finish_engine_cache(const IdentityContext& ctx);

}  // namespace qel::identity
