#include "native/win/native_model_handlers.h"

#include "native/spooler/deferred_statements.h"
#include "native/win/windows_spooler_platform.h"

namespace qel::native {

void AddNativeModelHandlers() {
  InstallWindowsSpoolerPlatform();
  AddPortableNativeModelHandlers();
}

}  // namespace qel::native
