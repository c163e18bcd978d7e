// Registers the deferred statements, "Apply Changes" and the component
// statements, fills the start-up hooks of this part and installs the Windows
// side of the Native Spooler (message box, folder browser, message pump, ANSI
// folder walk).
#pragma once

namespace qel::native {

void AddNativeModelHandlers();

}  // namespace qel::native
