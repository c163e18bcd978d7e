// The wizard's notification-area icon: shown and hidden by "System Tray",
// used by "MessageBalloon", restoring the wizard on click. While the wizard is
// minimized to the tray, pages that the script displays wait as the pending
// dialog until the icon is clicked.
#pragma once

#include <windows.h>

#include <string>

namespace qel::wizard::tray {

// Makes the icon visible with TITLE as its tip and turns the taskbar overlay on.
// Returns what the shell answered (false also without a pool window).
bool show_icon();
// Hides the icon and turns the overlay off. Returns the shell's answer; true
// when the icon was not shown.
bool hide_icon();
bool icon_visible();

// Minimize to tray: the icon is shown, the window (the non-modal page, or the
// taskbar window when none is given) hidden, and the minimized-to-tray state set.
void minimize_to_tray(HWND window = nullptr);
// Restores the wizard: the pending dialog if any, then the taskbar window is
// shown, raised and restored; the minimized-to-tray state is cleared.
void restore();
bool minimized_to_tray();
// Called when a page minimizes itself from its system menu: with the icon
// visible, hides the taskbar window and sets the minimized-to-tray state.
void page_minimized();

// A page that was to become visible while minimized to tray.
void set_pending_dialog(HWND page);
HWND pending_dialog();

enum class BalloonIcon { Info = 0, Warning = 1, Error = 2 };
// The balloon time-out in seconds as shown: clamped to 10..30.
int balloon_seconds(int requested);
// "MessageBalloon": the icon becomes visible with TITLE as its tip, the taskbar
// is paused until the balloon time-out ends, and the balloon is shown. Returns
// the shell's answer. Nothing happens in silent mode (returns true).
bool show_balloon(const std::string& title, const std::string& text, BalloonIcon icon, int seconds);

// "System Tray" with its four flags, acted on in this order.
void system_tray(bool minimize, bool show, bool restore_window, bool remove);

// At the end of the run.
void shutdown();

}  // namespace qel::wizard::tray
