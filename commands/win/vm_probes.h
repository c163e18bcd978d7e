// The VMware backdoor and Virtual PC guest-call probes. Each runs its one
// instruction under a fault guard: where the instruction faults, the answer
// is false.
#pragma once

namespace qel::commands {

bool RunningInsideVmware();
bool RunningInsideVirtualPc();

}  // namespace qel::commands
