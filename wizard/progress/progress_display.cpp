#include "wizard/progress/progress_display.h"

#include <commctrl.h>

#include <atomic>
#include <map>
#include <string>

#include "engine/ascii.h"
#include "engine/conditions.h"
#include "engine/mathematics.h"
#include "engine/variables.h"
#include "wizard/control_classes.h"
#include "wizard/tray/image_list_pool.h"
#include "wizard/tray/taskbar.h"
#include "wizard/tray/tray.h"

namespace qel::wizard::progress {

namespace {

constexpr UINT_PTR kProgressTimerId = 0x5150;
constexpr UINT_PTR kSubclassId = 0x5150;
constexpr int kManualMarqueeEvery = 10;

std::atomic<bool> g_busy{false};
int g_manual_marquee_count = 0;
// The PROGRESS / PROGRESSTEXT pair last handed over to the delegate update.
std::string g_seen_progress;
std::string g_seen_text;
bool g_seen_valid = true;  // both start empty, as the variables do

std::map<HWND, TPoolTemplate*>& pages() {
  static std::map<HWND, TPoolTemplate*> m;
  return m;
}

bool os_at_least(DWORD major, DWORD minor) {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return false;
#pragma GCC diagnostic pop
  return v.dwMajorVersion > major || (v.dwMajorVersion == major && v.dwMinorVersion >= minor);
}

uint64_t now_ticks() {
  const auto& hook = display_hooks().tick_count;
  return hook ? hook() : GetTickCount64();
}

bool is_progress_bar(const Component& c) { return c.info && c.info->kind == Kind::ProgressBar; }
bool is_gauge(const Component& c) { return c.info && c.info->kind == Kind::Gauge; }

void set_if_differs(Component& c, const char* property, const std::string& value) {
  if (get_property(c, property).value_or("") != value) set_property(c, property, value);
}

void set_marquee(Component& bar, bool on) {
  HWND h = bar.hwnd();
  if (!h) return;
  LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
  bool has = (style & PBS_MARQUEE) != 0;
  if (on == has) return;
  SetWindowLongPtrA(h, GWL_STYLE, on ? (style | PBS_MARQUEE) : (style & ~static_cast<LONG_PTR>(PBS_MARQUEE)));
  SendMessageA(h, PBM_SETMARQUEE, on ? TRUE : FALSE, 100);
}

// Sets a bar or gauge to its own maximum (the fallback for values that fail).
void show_maximum(Component& c) {
  const char* max_name = is_gauge(c) ? "MaxValue" : "Max";
  const char* pos_name = is_gauge(c) ? "Progress" : "Position";
  set_property(c, pos_name, get_property(c, max_name).value_or("100"));
}

void show_range(Component& c, int64_t min, int64_t max, int64_t position, bool scale) {
  const bool gauge = is_gauge(c);
  BarValues b = scale ? bar_values(min, max, position) : bar_values(min, std::min<int64_t>(max, INT32_MAX), position);
  set_property(c, gauge ? "MaxValue" : "Max", std::to_string(b.max));
  set_property(c, gauge ? "MinValue" : "Min", std::to_string(b.min));
  set_property(c, gauge ? "Progress" : "Position", std::to_string(b.position));
}

void show_percent_from_hint(Component& c) {
  const bool gauge = is_gauge(c);
  set_if_differs(c, gauge ? "MaxValue" : "Max", "100");
  set_if_differs(c, gauge ? "MinValue" : "Min", "0");
  std::string hint = get_property(c, "Hint").value_or("");
  int32_t value = 0;
  if (!ParseInt32(variables().Expand("$" + hint + "$"), value)) {
    show_maximum(c);
    return;
  }
  set_if_differs(c, gauge ? "Progress" : "Position", std::to_string(value));
}

void show_taskbar(const Values& v) {
  if (!os_at_least(6, 1) || !taskbar::available()) return;
  TaskbarProgress t = taskbar_progress(variables(), v.position, v.max);
  if (t.state == TaskbarState::Indeterminate) {
    taskbar::set_state(TaskbarState::Indeterminate);
  } else {
    taskbar::set_state(TaskbarState::Normal);
    if (t.has_value) taskbar::set_value(t.completed, t.total);
  }
  if (t.state == TaskbarState::Error || t.state == TaskbarState::Paused) taskbar::set_state(t.state);
}

LRESULT CALLBACK page_subclass(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* page = reinterpret_cast<TPoolTemplate*>(data);
  switch (msg) {
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      if ((pos->flags & SWP_SHOWWINDOW) && tray::minimized_to_tray() && !IsWindowVisible(h)) {
        // Minimized to the tray: the page waits until the icon is clicked.
        pos->flags &= ~SWP_SHOWWINDOW;
        tray::set_pending_dialog(h);
      }
      break;
    }
    case WM_SHOWWINDOW:
      if (wp) {
        taskbar::set_window(h);
        if (os_at_least(6, 1))
          if (TImageListPool* pool = image_list_pool()) pool->start_reapply_timer();
      }
      break;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        LRESULT r = DefSubclassProc(h, msg, wp, lp);
        tray::page_minimized();
        return r;
      }
      break;
    case WM_CLOSE:
      if (!page->may_hide && tray::icon_visible()) {
        tray::restore();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      KillTimer(h, kProgressTimerId);
      pages().erase(h);
      RemoveWindowSubclass(h, page_subclass, kSubclassId);
      break;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

void CALLBACK timer_proc(HWND h, UINT, UINT_PTR, DWORD) {
  auto it = pages().find(h);
  if (it != pages().end()) progress_tick(*it->second);
}

void restart_timer(TPoolTemplate& page) { SetTimer(page.hwnd(), kProgressTimerId, kProgressTimerMs, timer_proc); }

}  // namespace

DisplayHooks& display_hooks() {
  static DisplayHooks hooks;
  return hooks;
}

void set_worker_busy(bool busy) { g_busy = busy; }

bool worker_busy() {
  const auto& running = display_hooks().worker_running;
  return g_busy || (running && running());
}

void show_on_page(TPoolTemplate& page, const Values& v) {
  TVariableManager& vars = variables();
  const bool marquee = vars.Expand(vars.Get("PROGRESSMODE")) == "MARQUEE";
  const bool xp = os_at_least(5, 1);
  if (display_hooks().refresh_captions) display_hooks().refresh_captions(page);
  bool step_manual_marquee = marquee && !xp && ++g_manual_marquee_count % kManualMarqueeEvery == 0;
  for (Component* c : page.form().components()) {
    if (EqualsNoCase(c->name(), "cmpFormDesigner")) continue;
    const int tag = c->tag();
    if ((EqualsNoCase(c->class_name(), "TGlowLabel") || EqualsNoCase(c->class_name(), "TStaticText")) && tag == 1) {
      set_if_differs(*c, "Caption", v.text);
      continue;
    }
    if (!is_progress_bar(*c) && !is_gauge(*c)) continue;
    if (tag == 100) {
      show_percent_from_hint(*c);
      continue;
    }
    if (tag != 1) continue;
    if (!v.numbers_valid) {
      show_maximum(*c);
      continue;
    }
    if (is_gauge(*c)) {
      show_range(*c, v.min, v.max, v.position, false);
      continue;
    }
    if (!marquee) {
      if (xp) set_marquee(*c, false);
      show_range(*c, v.min, v.max, v.position, true);
    } else if (xp) {
      set_marquee(*c, true);
    } else if (step_manual_marquee) {
      int32_t lo = 0, hi = 0, pos = 0;
      ParseInt32(get_property(*c, "Min").value_or("0"), lo);
      ParseInt32(get_property(*c, "Max").value_or("100"), hi);
      ParseInt32(get_property(*c, "Position").value_or("0"), pos);
      set_property(*c, "Position", std::to_string(manual_marquee_step(lo, hi, pos)));
    }
  }
  if (dialog_host().hooks.evaluate_rules) dialog_host().hooks.evaluate_rules(page);
}

bool display_update(std::string_view text, bool write_cancelled, int64_t min, int64_t max, int64_t position) {
  TVariableManager& vars = variables();
  const bool cancelled = IsTrue(vars.Get("OXLE_IsCancelled"));
  if (write_cancelled) vars.Set("OXLE_thCancelled", cancelled ? "TRUE" : "FALSE");
  if (vars.Silent()) return cancelled;
  Values v = resolve(vars, Values{std::string(text), min, max, position, true});
  TPoolTemplate* page = dialog_host().current();
  if (!page) return cancelled;
  show_taskbar(v);
  show_on_page(*page, v);
  return cancelled;
}

void attach_page(TPoolTemplate& page) {
  HWND h = page.hwnd();
  if (!h || pages().count(h)) return;
  pages()[h] = &page;
  SetWindowSubclass(h, page_subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(&page));
  restart_timer(page);
}

void progress_tick(TPoolTemplate& page) {
  HWND h = page.hwnd();
  KillTimer(h, kProgressTimerId);
  if (page.skip_tick) {
    page.skip_tick = false;
    return;
  }
  TVariableManager& vars = variables();
  if (page.worker_dialog) {
    if (page.worker_started) {
      if (!IsIconic(h)) display_update(kFromVariables, true, 0, 0, 0);
      if (IsTrue(vars.Get("OXLE_thFinished"))) page.outcome = kOutcomeFinished;
    } else {
      page.worker_started = true;
      vars.Set("OXLE_thCancelled", "FALSE");
      vars.Set("OXLE_thFinished", "FALSE");
      if (display_hooks().reset_installer_flags) display_hooks().reset_installer_flags();
      if (display_hooks().start_installer_worker) display_hooks().start_installer_worker();
    }
  } else if (worker_busy()) {
    display_update(kFromVariables, true, 0, 0, 0);
  } else if (page.non_modal && &page == dialog_host().current() && executor_handover()) {
    display_update(kFromVariables, false, 0, 0, 0);
  }
  // The page may have been freed by what ran above only through unload, which
  // destroys its window; the timer then simply never comes back.
  if (pages().count(h)) restart_timer(page);
}

void progress_variable_set() {
  TVariableManager& vars = variables();
  int64_t position = 0;
  Values v{vars.Get("PROGRESSTEXT"), 0, 100, 0, ParseInt64(vars.Get("PROGRESS"), position)};
  v.position = position;
  if (vars.Silent()) return;
  if (TPoolTemplate* page = dialog_host().current()) {
    show_taskbar(v);
    show_on_page(*page, v);
  }
}

bool executor_handover() {
  TVariableManager& vars = variables();
  std::string progress = vars.Get("PROGRESS");
  std::string text = vars.Get("PROGRESSTEXT");
  if (g_seen_valid && progress == g_seen_progress && text == g_seen_text) return false;
  g_seen_valid = true;
  g_seen_progress = progress;
  g_seen_text = text;
  int64_t position = 0;
  if (!ParseInt64(progress, position)) position = kKeepNumbers;
  delegate_update(vars, text, 0, 100, position, now_ticks());
  return true;
}

void start_worker_from_dialog(bool on) {
  TVariableManager& vars = variables();
  if (vars.Silent()) {
    if (on && display_hooks().start_installer_worker) display_hooks().start_installer_worker();
    return;
  }
  TPoolTemplate* page = dialog_host().current();
  if (!page) return;
  if (on) {
    page->worker_started = false;
    page->skip_tick = false;
    page->worker_dialog = true;
    restart_timer(*page);
  } else {
    page->skip_tick = true;
  }
}

}  // namespace qel::wizard::progress
