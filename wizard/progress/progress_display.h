// The progress display of wizard pages: the display update that shows the
// progress values on the page and the taskbar button, the once-a-second
// progress timer of every page, and the worker busy flag that lets it poll.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "wizard/dialog_host.h"
#include "wizard/progress/progress_values.h"

namespace qel::wizard::progress {

// What other parts plug in; each may stay empty.
struct DisplayHooks {
  // Refreshes the captions of labels, buttons, panels and tab sheets from the
  // text table (expanded), on every display update.
  std::function<void(TPoolTemplate& page)> refresh_captions;
  // The Windows Installer worker that a page may drive, and the reset of its
  // result flags before the page starts it.
  std::function<void()> start_installer_worker;
  std::function<void()> reset_installer_flags;
  // Whether a worker wait loop runs (besides set_worker_busy).
  std::function<bool()> worker_running;
  // The tick count written as OXLE_LastDelegateTick (default: GetTickCount64).
  std::function<uint64_t()> tick_count;
};
DisplayHooks& display_hooks();

// Set while a statement waits for a worker and during "Set Variable".
void set_worker_busy(bool busy);
bool worker_busy();

// Main thread only. Shows text and numbers ("$OXLE$": from the progress
// variables) on the page being displayed and its taskbar button; with
// write_cancelled mirrors OXLE_IsCancelled into OXLE_thCancelled. Returns
// whether the user asked to cancel.
bool display_update(std::string_view text, bool write_cancelled, int64_t min, int64_t max, int64_t position);

// The page part of a display update, on one page (tests use it directly).
void show_on_page(TPoolTemplate& page, const Values& values);

// Gives a loaded page its progress timer and lets the tray and taskbar follow
// its window (shown, minimized, close refused). Called once per loaded page.
void attach_page(TPoolTemplate& page);
// The page's own timer tick (Timer1Timer); public for tests.
void progress_tick(TPoolTemplate& page);
inline constexpr unsigned kProgressTimerMs = 1000;

// "Set Variable" of PROGRESS or PROGRESSTEXT: a display update with the
// current PROGRESSTEXT, 0..100 and PROGRESS.
void progress_variable_set();
// Before each statement while a non-modal page is up: a changed PROGRESS or
// PROGRESSTEXT becomes a delegate update (0..100). Returns whether it did.
bool executor_handover();

// The Windows Installer worker driven by the shown page (on), or the page's
// timer told to skip its next tick (off). Silent mode with on: the worker is
// started here and waited for by the hook.
void start_worker_from_dialog(bool on);

}  // namespace qel::wizard::progress
