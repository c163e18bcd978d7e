// How a statement body of this part ends the script: it requests the stop, and
// the binding to the executor (BindNativeModelToEngine) turns the request into
// the executor's normal termination after the statement returns.
#pragma once

namespace qel::native {

void RequestScriptStop();
// Whether a stop was requested since the last call; clears the request.
bool TakeScriptStopRequest();

}  // namespace qel::native
