#include "wizard/tray/taskbar.h"

#include <shobjidl.h>

#include <string>

#include "engine/variables.h"
#include "wizard/tray/image_list_pool.h"

namespace qel::wizard::taskbar {

namespace {

struct State {
  HWND window = nullptr;
  ITaskbarList3* list = nullptr;
  bool tried = false;
  std::function<ITaskbarList3*()> factory;
  // The saved pause/error request and the mode it replaced.
  bool pause_on = false;
  bool pause_error = false;
  bool mode_saved = false;
  std::string saved_mode;
  bool overlay_on = false;
  CallCounts counts;
};

State& state() {
  static State s;
  return s;
}

bool windows7_or_later() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return false;
#pragma GCC diagnostic pop
  return v.dwMajorVersion > 6 || (v.dwMajorVersion == 6 && v.dwMinorVersion >= 1);
}

ITaskbarList3* create_list() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ITaskbarList* base = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                              reinterpret_cast<void**>(&base))) ||
      !base)
    return nullptr;
  ITaskbarList3* list = nullptr;
  if (FAILED(base->HrInit()) ||
      FAILED(base->QueryInterface(IID_ITaskbarList3, reinterpret_cast<void**>(&list))))
    list = nullptr;
  base->Release();
  return list;
}

TBPFLAG flag_of(TaskbarState s) {
  switch (s) {
    case TaskbarState::Indeterminate: return TBPF_INDETERMINATE;
    case TaskbarState::Error: return TBPF_ERROR;
    case TaskbarState::Paused: return TBPF_PAUSED;
    case TaskbarState::Normal: break;
  }
  return TBPF_NORMAL;
}

}  // namespace

void set_window(HWND w) { state().window = w; }
HWND window() { return state().window; }

bool available() {
  State& s = state();
  if (!s.tried) {
    s.tried = true;
    if (s.factory)
      s.list = s.factory();
    else if (windows7_or_later())
      s.list = create_list();
  }
  return s.list != nullptr;
}

void set_factory(std::function<ITaskbarList3*()> factory) {
  State& s = state();
  if (s.list) s.list->Release();
  s.list = nullptr;
  s.tried = false;
  s.factory = std::move(factory);
}

void set_state(TaskbarState st) {
  if (!available() || !window()) return;
  ++state().counts.state;
  state().list->SetProgressState(window(), flag_of(st));  // failures are of no consequence
}

void set_value(uint64_t completed, uint64_t total) {
  if (!available() || !window()) return;
  ++state().counts.value;
  state().list->SetProgressValue(window(), completed, total);
}

void pause_error(bool on, bool error, bool reapply) {
  State& s = state();
  if (reapply) {
    on = s.pause_on;
    error = s.pause_error;
  } else {
    s.pause_on = on;
    s.pause_error = error;
  }
  TVariableManager& vars = variables();
  if (on) {
    if (!s.mode_saved) {
      s.saved_mode = vars.Get("PROGRESSMODE");
      s.mode_saved = true;
    }
    vars.Set("PROGRESSMODE", error ? "ERROR" : "PAUSE");
  } else if (s.mode_saved) {
    vars.Set("PROGRESSMODE", s.saved_mode);
    s.mode_saved = false;
    s.saved_mode.clear();
  }
  set_state(progress::state_for_mode(vars.Get("PROGRESSMODE")));
}

void overlay(bool on, bool reapply) {
  State& s = state();
  if (reapply)
    on = s.overlay_on;
  else
    s.overlay_on = on;
  if (!available() || !window()) return;
  ++s.counts.overlay;
  if (on) {
    std::string title = variables().Get("TITLE");
    std::wstring description(title.begin(), title.end());
    int n = MultiByteToWideChar(CP_ACP, 0, title.c_str(), -1, nullptr, 0);
    if (n > 0) {
      description.assign(static_cast<size_t>(n), L'\0');
      MultiByteToWideChar(CP_ACP, 0, title.c_str(), -1, description.data(), n);
    }
    s.list->SetOverlayIcon(window(), overlay_icon(), description.c_str());
  } else {
    s.list->SetOverlayIcon(window(), nullptr, nullptr);
  }
}

void reapply_requests() {
  overlay(false, true);
  pause_error(false, false, true);
}

CallCounts calls() { return state().counts; }

}  // namespace qel::wizard::taskbar
