#include <windows.h>

#include "commands/engine_binding.h"
#include "commands/win/windows_platform.h"
#include "stub/stub_driver.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qel::commands::InstallWindowsPlatform();
  qel::commands::AddAllCommandHandlers();
  qel::commands::BindCommandsToEngine();
  return qel::run_stub();
}
