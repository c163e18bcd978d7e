// Progress as it travels between workers, the variable store and the page: the
// delegate update that any thread may call, and the pure rules that turn the
// progress variables into progress bar and taskbar values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qel {
class TVariableManager;
}

namespace qel::wizard::progress {

// Status texts with a meaning of their own: take text and numbers from the
// progress variables, or leave the status text as it is.
inline constexpr std::string_view kFromVariables = "$OXLE$";
inline constexpr std::string_view kKeepText = "$IGNORE$";
// A position that leaves position, minimum and maximum unchanged.
inline constexpr int64_t kKeepNumbers = -1;

struct Values {
  std::string text;
  int64_t min = 0;
  int64_t max = 0;
  int64_t position = 0;
  bool numbers_valid = true;  // false when a progress variable was not an integer
};

// When text is "$OXLE$", text and numbers come from OXLE_thProgressText,
// OXLE_thProgress, OXLE_thMin and OXLE_thMax; otherwise the values stay.
Values resolve(const TVariableManager& vars, Values values);

// Records a worker's progress in the variable store (any thread): the tick of
// the last report, then the numbers (unless position is -1) and the text
// (unless "$IGNORE$"). Writes go straight into the store, without assignment
// context or command-line protection.
void delegate_update(TVariableManager& vars, std::string_view text, int64_t min, int64_t max, int64_t position,
                     uint64_t tick_count);

// A progress bar holds 32-bit values: a maximum of 2^31 or more scales all
// three values down by 1024.
struct BarValues {
  int32_t min = 0;
  int32_t max = 0;
  int32_t position = 0;
};
BarValues bar_values(int64_t min, int64_t max, int64_t position);

// The next position of a bar that animates a marquee by hand (systems without
// the marquee style): one step, back to the minimum after the maximum.
int32_t manual_marquee_step(int32_t min, int32_t max, int32_t position);

// Taskbar button progress.
enum class TaskbarState { Normal, Indeterminate, Error, Paused };

// PROGRESSMODE as the taskbar shows it: "MARQUEE" indeterminate, "ERROR" error,
// "PAUSE" paused, anything else normal.
TaskbarState state_for_mode(std::string_view mode);

struct TaskbarProgress {
  TaskbarState state = TaskbarState::Normal;
  bool has_value = false;  // whether completed/total are to be set
  uint64_t completed = 0;
  uint64_t total = 0;
};

// What a display update shows on the taskbar button for a page with the given
// worker values: the custom percentage when CUSTOM_TASKBAR_PROGRESS_ENABLED is
// true, else position of max; indeterminate in marquee mode; then "ERROR" and
// "PAUSE" (exact text) override the state.
TaskbarProgress taskbar_progress(const TVariableManager& vars, int64_t position, int64_t max);

}  // namespace qel::wizard::progress
