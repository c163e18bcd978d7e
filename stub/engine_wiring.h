// Connects the native install engine to the running setup: the deferred
// statements' link to the executor, the native worker, the product identity and
// the registration after a successful "Apply Changes".
#pragma once

namespace qel::stub {

void install_native_engine();

}  // namespace qel::stub
