#include <windows.h>

#include "commands/engine_binding.h"
#include "commands/win/windows_platform.h"
#include "engine/win/run_script_win.h"
#include "stub/engine_wiring.h"
#include "stub/stub_driver.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qel::commands::InstallWindowsPlatform();
  qel::commands::AddAllCommandHandlers();
  qel::commands::BindCommandsToEngine();
  qel::stub::install_native_engine();
  qel::engine_win::InstallWindowsRunScript();
  return qel::run_stub();
}
