// The immediate actions: programs, processes, files, registry, libraries,
// message boxes, tray and restarts. AddActionCommands puts them (and the
// plug-in runner) into the executor's command table.
#pragma once

#include "commands/actions/win/action_frame.h"

namespace qel::commands::actions {

void RunProgramCommand(ActionFrame& frame);
void RunProgramAsCommand(ActionFrame& frame);
void TerminateProcessCommand(ActionFrame& frame);
void TerminateProgramCommand(ActionFrame& frame);
void DeleteRegistryCommand(ActionFrame& frame);
void FindAllFilesCommand(ActionFrame& frame);
void DeleteFilesRecursiveCommand(ActionFrame& frame);
void RegisterLibraryCommand(ActionFrame& frame);
void MessageBoxCommand(ActionFrame& frame);
void MessageBalloonCommand(ActionFrame& frame);
void SystemTrayCommand(ActionFrame& frame);
void RebootComputerCommand(ActionFrame& frame);
void RebootAndResumeCommand(ActionFrame& frame);
void RebootAndLoginCommand(ActionFrame& frame);

// Registers every command above under its statement name, and the plug-in runner.
void AddActionCommands();

// How "Reboot Computer" restarts Windows (SeShutdownPrivilege, then
// ExitWindowsEx). Tests replace it to observe the request.
using RebootRequest = void (*)();
void SetRebootRequest(RebootRequest request);

}  // namespace qel::commands::actions
