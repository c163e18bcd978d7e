// What the immediate actions and the plug-in runner need from the wizard, the
// tray form, the native engine and the media code. Every hook may stay empty:
// then the step it stands for is left out (no owner window, no taskbar state,
// no balloon, no rollback).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qel::commands::actions {

struct BalloonRequest {
  std::string title;
  std::string text;
  int icon = 0;          // 0 information, 1 warning, 2 error
  int timeout_ms = 10000;
  std::string hint;      // the tray icon's tip (TITLE)
};

struct TrayRequest {
  bool minimize_to_tray = false;
  bool show_icon = false;
  bool restore_window = false;
  bool remove_icon = false;
  bool silent = false;
  std::string hint;      // TITLE
};

struct ActionHooks {
  // The window of the non-modal dialog (an HWND), or null.
  std::function<void*()> owner_window;
  // Taskbar pause/error request around a message box: on(error) ... off.
  std::function<void(bool on, bool error)> taskbar_request;
  // Native rollback before a cancelled worker command ends the script.
  std::function<void()> rollback;
  // Display update with PROGRESSTEXT and PROGRESS while "Run Program" waits.
  std::function<void(const std::string& text, int64_t position)> refresh_progress;
  // The tray form: balloon tips and "System Tray". Empty until the form exists.
  std::function<void(const BalloonRequest&)> show_balloon;
  std::function<void(const TrayRequest&)> system_tray;
  // Makes the web media block named by a plug-in source entry present; returns
  // "" on success or the error text.
  std::function<std::string(const std::string& block)> ensure_web_block;
  // Folder browser with the given prompt; "" when the user cancelled.
  std::function<std::string(const std::string& prompt)> browse_folder;
};

ActionHooks& action_hooks();

}  // namespace qel::commands::actions
