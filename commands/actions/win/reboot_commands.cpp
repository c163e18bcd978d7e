// "Reboot Computer", "Reboot and Resume" and "Reboot and Login".
#include <windows.h>

#include <string>

#include "commands/actions/action_values.h"
#include "commands/actions/win/action_commands.h"
#include "commands/actions/win/user_token.h"
#include "engine/process_state.h"
#include "engine/variables.h"

namespace qel::commands::actions {

namespace {

void RebootWindows() {
  EnablePrivilege("SeShutdownPrivilege");
  ExitWindowsEx(EWX_REBOOT, 0);
}

RebootRequest g_reboot = RebootWindows;

void RebootAndEnd(ActionFrame& frame) {
  g_reboot();
  if (frame.end_script) frame.end_script();
}

void WriteResumeValue(ActionFrame& frame, std::string_view key_path) {
  const ProcessState& state = process_state();
  HKEY root = IsTrue(frame.params.vars().ReadVariable("ALLUSERS")) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  HKEY key = nullptr;
  const std::string path(key_path);
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
  const std::string name = RebootValueName(state.payload.product_code);
  const std::string command = RebootCommand(state.sfx_path, state.program_path, state.command_tail);
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
}

}  // namespace

void SetRebootRequest(RebootRequest request) { g_reboot = request ? request : RebootWindows; }

void RebootComputerCommand(ActionFrame& frame) { RebootAndEnd(frame); }

void RebootAndResumeCommand(ActionFrame& frame) {
  WriteResumeValue(frame, kRunOnceKey);
  RebootAndEnd(frame);
}

void RebootAndLoginCommand(ActionFrame& frame) {
  WriteResumeValue(frame, kRunKey);
  RebootAndEnd(frame);
}

}  // namespace qel::commands::actions
