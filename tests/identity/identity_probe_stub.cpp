// qelstub with the product identity installed and two test statements:
// "Probe Variables" (tests/engine) and "Identity Apply", which does what a
// successful "Apply Changes" does afterwards: removal when REMOVE is true, else
// installation.
#include <windows.h>

#include "commands/engine_binding.h"
#include "commands/win/windows_platform.h"
#include "engine/dispatch.h"
#include "engine/win/run_script_win.h"
#include "engine/variables.h"
#include "native/identity/win/install_product_identity.h"
#include "stub/stub_driver.h"
#include "stub/wizard_wiring.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qel::commands::InstallWindowsPlatform();
  qel::commands::AddAllCommandHandlers();
  qel::commands::BindCommandsToEngine();
  qel::stub::install_wizard();
  qel::identity::InstallProductIdentity();
  qel::register_command(
      "Identity Apply",
      [](qel::Statement& s) {
        const bool remove = qel::IsTrue(s.vars().ReadVariable("REMOVE"));
        qel::identity::ProductIdentityAfterApplyChanges(s.vars(), !remove, remove);
      },
      "tests");
  qel::engine_win::InstallWindowsRunScript();
  return qel::run_stub();
}
