// "MessageBox", "MessageBalloon" and "System Tray".
#include <windows.h>

#include <string>

#include "commands/actions/action_hooks.h"
#include "commands/actions/action_values.h"
#include "commands/actions/win/action_commands.h"
#include "engine/variables.h"

namespace qel::commands::actions {

void MessageBoxCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  const UINT style = MessageBoxStyle(p.number(3), p.number(4));
  if (frame.silent) return;
  const std::string title = p.translated(1, 1);
  const std::string text = p.translated(2, 2);
  const int answer = EngineMessageBox(text, title, style, IsErrorBoxStyle(style));
  const std::string variable = p.plain_name(5);
  if (!variable.empty()) p.assign(variable, ButtonName(answer));
}

void MessageBalloonCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  BalloonRequest request;
  request.title = p.translated(1, 1);
  request.text = p.translated(2, 2);
  const int icon = p.number(3);
  request.icon = icon >= 0 && icon <= 2 ? icon : 0;
  request.timeout_ms = BalloonTimeoutSeconds(p.number(4)) * 1000;
  if (frame.silent) return;
  request.hint = p.vars().ReadVariable("TITLE");
  if (const auto& show = action_hooks().show_balloon) show(request);
}

void SystemTrayCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  TrayRequest request;
  request.minimize_to_tray = p.text(1) == "TRUE";
  request.show_icon = p.text(2) == "TRUE";
  request.restore_window = p.text(3) == "TRUE";
  request.remove_icon = p.text(4) == "TRUE";
  request.silent = frame.silent;
  request.hint = p.vars().ReadVariable("TITLE");
  if (const auto& tray = action_hooks().system_tray) {
    tray(request);
    return;
  }
  // Without the tray form only restoring the window can be done here; the
  // window is not hidden, as there would be no tray icon to bring it back.
  HWND window = OwnerWindow();
  if (!window) return;
  if (request.restore_window || request.remove_icon) {
    ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
    SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(window);
  }
}

}  // namespace qel::commands::actions
