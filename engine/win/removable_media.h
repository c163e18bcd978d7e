// The end of a run whose setup was started from removable media that is gone.
#pragma once

#include <string>

namespace qel::engine_win {

// EXEDIR lies on a drive that is not fixed and no longer exists.
bool source_media_removed(const std::string& exe_folder);

// Finishes the run in place of the stub (trace tags, global lists, support folder)
// and ends the process with the exit code. Does not return.
[[noreturn]] void finish_after_media_removed(int exit_code);

}  // namespace qel::engine_win
