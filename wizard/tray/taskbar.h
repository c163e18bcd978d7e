// The taskbar button of the wizard (Windows 7 and later): progress state and
// value, the pause/error request that brackets message boxes, and the overlay
// icon. Every call acts on the taskbar window (the page last shown). Where the
// taskbar list interface is missing every call is skipped.
#pragma once

#include <windows.h>

#include <functional>

#include "wizard/progress/progress_values.h"

struct ITaskbarList3;

namespace qel::wizard::taskbar {

using progress::TaskbarState;

void set_window(HWND window);
HWND window();

// Creates the interface on first use (Windows 7 or later only); false when it
// is not available.
bool available();
// Replaces how the interface is obtained (tests; nullptr result: missing).
// Forgets an interface created before.
void set_factory(std::function<ITaskbarList3*()> factory);

void set_state(TaskbarState state);
void set_value(uint64_t completed, uint64_t total);

// Pause/error request: on saves PROGRESSMODE once and replaces it by "ERROR"
// or "PAUSE"; off puts the saved mode back. With reapply the saved request is
// used instead of the arguments. Then the state follows PROGRESSMODE.
void pause_error(bool on, bool error, bool reapply = false);
// Overlay request: on shows the overlay icon with TITLE as its description.
void overlay(bool on, bool reapply = false);

// Re-applies both saved requests (to a newly shown page).
void reapply_requests();

// Counts of interface calls made, for tests.
struct CallCounts {
  int state = 0;
  int value = 0;
  int overlay = 0;
};
CallCounts calls();

}  // namespace qel::wizard::taskbar
