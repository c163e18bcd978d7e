#include "wizard/tray/tray.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "engine/variables.h"
#include "wizard/tray/image_list_pool.h"
#include "wizard/tray/taskbar.h"

namespace qel::wizard::tray {

namespace {

constexpr UINT kIconId = 1;

struct State {
  bool visible = false;
  bool minimized = false;
  HWND pending = nullptr;
};

State& state() {
  static State s;
  return s;
}

HICON tray_icon() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  return icon ? icon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

void copy_text(char* target, size_t size, const std::string& text) {
  size_t n = std::min(size - 1, text.size());
  std::memcpy(target, text.data(), n);
  target[n] = 0;
}

NOTIFYICONDATAA icon_data() {
  NOTIFYICONDATAA d{};
  d.cbSize = sizeof d;
  TImageListPool* pool = image_list_pool();
  d.hWnd = pool ? pool->hwnd() : nullptr;
  d.uID = kIconId;
  return d;
}

bool silent() { return variables().Silent(); }

void bring_back(HWND w) {
  if (!w) return;
  ShowWindow(w, SW_SHOW);
  BringWindowToTop(w);
}

}  // namespace

bool show_icon() {
  NOTIFYICONDATAA d = icon_data();
  if (!d.hWnd) return false;
  d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  d.uCallbackMessage = kTrayCallbackMessage;
  d.hIcon = tray_icon();
  copy_text(d.szTip, sizeof d.szTip, variables().Get("TITLE"));
  bool ok = Shell_NotifyIconA(state().visible ? NIM_MODIFY : NIM_ADD, &d) != FALSE;
  if (ok) state().visible = true;
  taskbar::overlay(true);
  return ok;
}

bool hide_icon() {
  taskbar::overlay(false);
  if (!state().visible) return true;
  NOTIFYICONDATAA d = icon_data();
  bool ok = d.hWnd && Shell_NotifyIconA(NIM_DELETE, &d) != FALSE;
  state().visible = false;
  return ok;
}

bool icon_visible() { return state().visible; }

void minimize_to_tray(HWND window) {
  if (!silent()) show_icon();
  HWND w = window ? window : taskbar::window();
  if (w) ShowWindow(w, SW_HIDE);
  state().minimized = true;
}

void restore() {
  State& s = state();
  HWND w = taskbar::window();
  if (s.minimized) {
    s.minimized = false;
    if (s.pending) {
      ShowWindow(s.pending, SW_SHOW);
      SetFocus(s.pending);
      taskbar::set_window(s.pending);
      w = s.pending;
      s.pending = nullptr;
    }
    bring_back(w);
    if (w) SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else {
    bring_back(w);
  }
  if (w) SetForegroundWindow(w);
}

bool minimized_to_tray() { return state().minimized; }

void page_minimized() {
  if (!state().visible) return;
  if (HWND w = taskbar::window()) ShowWindow(w, SW_HIDE);
  state().minimized = true;
}

void set_pending_dialog(HWND page) { state().pending = page; }
HWND pending_dialog() { return state().pending; }

int balloon_seconds(int requested) { return std::clamp(requested, 10, 30); }

bool show_balloon(const std::string& title, const std::string& text, BalloonIcon icon, int seconds) {
  if (silent()) return true;
  int shown = balloon_seconds(seconds);
  bool ok = show_icon();
  taskbar::pause_error(true, false);
  if (TImageListPool* pool = image_list_pool()) pool->start_balloon_timer(static_cast<UINT>(shown) * 1000);
  NOTIFYICONDATAA d = icon_data();
  if (!d.hWnd) return false;
  d.uFlags = NIF_INFO;
  copy_text(d.szInfo, sizeof d.szInfo, text);
  copy_text(d.szInfoTitle, sizeof d.szInfoTitle, title);
  d.uTimeout = static_cast<UINT>(shown) * 1000;
  d.dwInfoFlags = icon == BalloonIcon::Warning ? NIIF_WARNING : icon == BalloonIcon::Error ? NIIF_ERROR : NIIF_INFO;
  return Shell_NotifyIconA(NIM_MODIFY, &d) != FALSE && ok;
}

void system_tray(bool minimize, bool show, bool restore_window, bool remove) {
  if (minimize) minimize_to_tray();
  if (show && !silent()) show_icon();
  auto restore_now = [] {
    HWND w = taskbar::window();
    if (w) {
      ShowWindow(w, SW_SHOW);
      BringWindowToTop(w);
      SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
      SetForegroundWindow(w);
    }
    state().minimized = false;
  };
  if (restore_window) restore_now();
  if (remove) {
    hide_icon();
    restore_now();
  }
}

void shutdown() {
  hide_icon();
  state() = State{};
}

}  // namespace qel::wizard::tray
