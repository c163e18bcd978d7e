#include "stub/engine_wiring.h"

#include "native/engine/win/native_thread.h"
#include "native/identity/win/install_product_identity.h"
#include "native/spooler/deferred_statements.h"
#include "native/spooler/native_hooks.h"

namespace qel::stub {

void install_native_engine() {
  native::BindNativeModelToEngine();
  native::win::InstallNativeWorker();
  identity::InstallProductIdentity();
  native::native_hooks().after_success = [](TVariableManager& vars, int, bool install, bool uninstall) {
    identity::ProductIdentityAfterApplyChanges(vars, install, uninstall);
  };
}

}  // namespace qel::stub
