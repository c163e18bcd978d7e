// The Native Spooler: queues an action, or runs the native worker at once (one
// action, the delayed install of the queue, the rollback or the uninstall)
// while the script thread waits, and handles a cancellation of the run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "commands/command_params.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

inline constexpr std::string_view kNativeSpoolerContext = "Native Spooler";
inline constexpr std::string_view kSourceAcquisitionContext = "Native Engine Source Acquisition";
inline constexpr std::string_view kSetupCancelled = "Setup cancelled";
inline constexpr std::string_view kLocateSourcesPrompt = "Please locate your original setup sources to continue operation";
inline constexpr std::string_view kSourcesNotFound =
    "Original setup sources required to complete operation, sources not found";

struct SpoolRequest {
  std::string name;        // statement name, or DELAYEDINSTALL / ROLLBACK / UNINSTALL / PIN / UNPIN
  // The statement (null for the special names); the record is built from it.
  const commands::CommandParams* params = nullptr;
  bool queue = false;      // DELAYUNTIL_APPLYCHANGES is "TRUE"
  int statement_number = 0;
  std::string header;      // the command header ("" when the statement has none)
};

// False only when the run was cancelled and ABORTONERROR asks to end the script.
// A failed action does not make it false: its outcome is the native result.
bool NativeSpooler(const SpoolRequest& request, TVariableManager& vars);

// Whether the data folder holds the source marker (a file named PRODUCTCODE);
// in maintenance (and build mode other than 2) asks for the sources folder
// until it holds the marker, directly or in its "data\" subfolder. On success
// the data folder may change; on cancel LASTERROR is set and false returned.
bool AcquireNativeSources(TVariableManager& vars);

}  // namespace qel::native
