// Puts the command library's handlers into the executor's command table.
#pragma once

namespace qel::commands {

// Registers every implemented handler under its name. Catalogue names that have
// no handler yet get one that does nothing, unless the table already holds a
// handler for them (the engine's own, or one registered by another family).
void BindCommandsToEngine();

}  // namespace qel::commands
