// The Win32 calls behind SpoolerPlatform and the folder walk of the queue
// weights.
#pragma once

namespace qel::native {

void InstallWindowsSpoolerPlatform();

}  // namespace qel::native
