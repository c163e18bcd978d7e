// Connects the identity to the other parts of the native engine in this process:
// the component table and its feature selection file, the property journal, the
// native log and the pinning step.
#pragma once

namespace qel::identity {

// Fills identity_services(); members whose part does not exist yet stay empty.
void BindIdentityServices();

}  // namespace qel::identity
