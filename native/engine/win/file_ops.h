// File steps shared by the actions and the reverse operations: folders created
// as nested actions, replacing an existing (possibly locked) destination,
// copying with byte progress, and changes scheduled for the next restart.
#pragma once

#include <windows.h>

#include <string>

#include "native/engine/win/worker_context.h"

namespace qel::native::win {

bool FileExistsA(const std::string& path);
bool FolderExistsA(const std::string& path);
// Creates the folder with its parents, without logging; true when it exists afterwards.
bool CreateFolderTree(const std::string& folder);

// The action "Create Folder": trace lines, log element (every missing folder,
// deepest first), progress step (no units when nested), asks on failure.
bool CreateFolderAction(WorkerContext& ctx, const std::string& folder);
// Runs "Create Folder" as a nested action when the folder is missing.
bool EnsureFolder(WorkerContext& ctx, const std::string& folder);

// Where the file being installed goes once the Native Overwrite Processor said yes.
struct Placement {
  std::string copy_target;  // the destination, or a placeholder that replaces it at restart
  bool at_restart = false;
};
// A destination that exists is deleted; a locked one is moved aside to
// name + "." + n (deleted at restart); when even that fails the copy goes to a
// placeholder in the instance's cache folder.
Placement PrepareDestination(WorkerContext& ctx, const std::string& destination, bool exists);
// After a successful copy into a placeholder: schedules the move onto the
// destination at restart and marks the run as needing a restart.
void CompletePlacement(const Placement& placement, const std::string& destination);

enum class CopyOutcome { kCopied, kSkipped, kAborted, kExists };
// Copies (or moves) one file with byte progress, asking the Native Error
// Processor while it fails. error_object names the file in the question. With
// only_new set an existing target is left alone and reported as kExists: a
// fresh install then needs no separate look-up of every destination.
CopyOutcome CopyOneFile(WorkerContext& ctx, const std::string& source, const std::string& target, bool move,
                        const std::string& error_object, bool only_new = false);

// The locked-file step of a deletion: delete when possible, else move aside.
enum class LockedFileResult { kDeleted, kMovedAside, kStillLocked };
LockedFileResult ReleaseLockedFile(const std::string& path);

// Move-on-reboot: with an empty destination the source is deleted at restart.
bool ScheduleAtRestart(const std::string& source, const std::string& destination);

// The instance's cache folder (with a trailing backslash), for placeholders.
std::string InstanceCacheFolder();

// Runs a program and waits for it; false when it could not start.
bool RunAndWait(const std::string& command_line, const std::string& folder, DWORD& exit_code);

// Whether a file is a 64-bit image (PE32+).
bool Is64BitImage(const std::string& path);

}  // namespace qel::native::win
