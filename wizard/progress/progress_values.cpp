#include "wizard/progress/progress_values.h"

#include <algorithm>
#include <limits>
#include <mutex>

#include "engine/ascii.h"
#include "engine/mathematics.h"
#include "engine/variables.h"

namespace qel::wizard::progress {

namespace {

constexpr int64_t kScaleLimit = int64_t{1} << 31;
constexpr int64_t kScaleDivisor = 1024;

int32_t clamp32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

uint64_t non_negative(int64_t v) { return v < 0 ? 0 : static_cast<uint64_t>(v); }

}  // namespace

Values resolve(const TVariableManager& vars, Values values) {
  if (values.text != kFromVariables) return values;
  values.text = vars.Get("OXLE_thProgressText");
  values.numbers_valid = ParseInt64(vars.Get("OXLE_thProgress"), values.position) &&
                         ParseInt64(vars.Get("OXLE_thMax"), values.max) &&
                         ParseInt64(vars.Get("OXLE_thMin"), values.min);
  return values;
}

void delegate_update(TVariableManager& vars, std::string_view text, int64_t min, int64_t max, int64_t position,
                     uint64_t tick_count) {
  // One lock for the whole report, so that a reader never sees half of it.
  std::lock_guard<std::recursive_mutex> lock(vars.Mutex());
  vars.Set("OXLE_LastDelegateTick", std::to_string(tick_count));
  Values v{std::string(text), min, max, position, true};
  v = resolve(vars, std::move(v));
  if (v.position != kKeepNumbers && v.numbers_valid) {
    vars.Set("OXLE_thMax", std::to_string(v.max));
    vars.Set("OXLE_thMin", std::to_string(v.min));
    vars.Set("OXLE_thProgress", std::to_string(v.position));
  }
  if (v.text != kKeepText) vars.Set("OXLE_thProgressText", v.text);
}

BarValues bar_values(int64_t min, int64_t max, int64_t position) {
  if (max >= kScaleLimit) {
    min /= kScaleDivisor;
    max /= kScaleDivisor;
    position /= kScaleDivisor;
  }
  return {clamp32(min), clamp32(max), clamp32(position)};
}

int32_t manual_marquee_step(int32_t min, int32_t max, int32_t position) {
  if (position >= max) return min;
  return position + 1;
}

TaskbarState state_for_mode(std::string_view mode) {
  if (mode == "MARQUEE") return TaskbarState::Indeterminate;
  if (mode == "ERROR") return TaskbarState::Error;
  if (mode == "PAUSE") return TaskbarState::Paused;
  return TaskbarState::Normal;
}

TaskbarProgress taskbar_progress(const TVariableManager& vars, int64_t position, int64_t max) {
  TaskbarProgress out;
  const std::string mode = vars.Get("PROGRESSMODE");
  if (mode == "MARQUEE") {
    out.state = TaskbarState::Indeterminate;
  } else {
    out.state = TaskbarState::Normal;
    int64_t completed = position, total = max;
    bool usable = true;
    if (EqualsNoCase(vars.Get("CUSTOM_TASKBAR_PROGRESS_ENABLED"), "TRUE")) {
      usable = ParseInt64(vars.Get("CUSTOM_TASKBAR_PROGRESS_PERCENT"), completed) &&
               ParseInt64(vars.Get("CUSTOM_TASKBAR_PROGRESS_MAX"), total);
    }
    if (usable) {
      out.has_value = true;
      out.total = non_negative(total);
      out.completed = std::min(non_negative(completed), out.total);
    }
  }
  if (mode == "ERROR") out.state = TaskbarState::Error;
  if (mode == "PAUSE") out.state = TaskbarState::Paused;
  return out;
}

}  // namespace qel::wizard::progress
