// Window-test driver: finds a program's windows and controls and acts on them.
// One command per run; prints results on standard output; exit code 0 on
// success, 1 when the window or control was not found in time, 2 on bad usage.
//
//   wait-window TITLE [timeout-ms]        a visible top-level window; prints its handle
//   wait-gone TITLE [timeout-ms]          until no visible window has that title
//   wait-control TITLE CONTROL [timeout]  until the control exists and is visible
//   list-controls TITLE                   handle, class, id, visible, enabled, rect, text
//   get-text TITLE CONTROL                the control's text
//   set-text TITLE CONTROL TEXT           WM_SETTEXT
//   click TITLE CONTROL                   BM_CLICK, posted (a modal box may open)
//   is-enabled TITLE CONTROL              prints 1 or 0
//   answer-msgbox IDYES|IDNO|IDOK|IDCANCEL [timeout-ms]   prints the box's text
//   wait-pid PID [timeout-ms]             prints the exit code
//   get-rect TITLE [CONTROL]              screen rectangle: left top right bottom
//   move TITLE X Y                        moves the window (size kept)
//   progress TITLE CONTROL                a progress bar's position, minimum and maximum
//   style TITLE CONTROL                   the control's window style in hex
//   sys-command TITLE minimize|close      WM_SYSCOMMAND, posted
//   start-windows [timeout-ms]            prints "watching", waits for the setup's initialization window, prints
//                                         "splash L T R B" (when shown) and "init L T R B", then
//                                         "gone" once both have disappeared
//
// TITLE is matched exactly, or as a substring when it starts with "~", or
// names the window class when it starts with "class:".
// CONTROL is the control's text (with or without "&"), "#ID", "@N" (N-th
// visible control in window order) or "CLASS@N" (N-th visible control of a class).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string text_of(HWND h) {
  char buffer[8192];
  LRESULT n = SendMessageTimeoutA(h, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                                  2000, nullptr);
  (void)n;
  buffer[sizeof buffer - 1] = 0;
  return buffer;
}

std::string class_of(HWND h) {
  char buffer[256] = {};
  GetClassNameA(h, buffer, sizeof buffer);
  return buffer;
}

std::string without_ampersand(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size() && s[i + 1] != '&') continue;
    out += s[i];
  }
  return out;
}

bool title_matches(HWND h, const std::string& title) {
  if (title.rfind("class:", 0) == 0) return class_of(h) == title.substr(6);
  std::string t = text_of(h);
  if (!title.empty() && title[0] == '~') return t.find(title.substr(1)) != std::string::npos;
  return t == title;
}

HWND find_top(const std::string& title) {
  struct Search {
    const std::string* title;
    HWND found;
  } s{&title, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (IsWindowVisible(h) && title_matches(h, *s->title)) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::vector<HWND> controls_of(HWND top) {
  std::vector<HWND> out;
  EnumChildWindows(
      top,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

bool really_visible(HWND h) { return IsWindowVisible(h); }

HWND find_control(HWND top, const std::string& spec) {
  std::vector<HWND> all = controls_of(top);
  if (spec.size() > 1 && spec[0] == '#') {
    int id = std::atoi(spec.c_str() + 1);
    for (HWND h : all)
      if (GetDlgCtrlID(h) == id) return h;
    return nullptr;
  }
  size_t at = spec.rfind('@');
  if (at != std::string::npos && at + 1 < spec.size() && std::isdigit(static_cast<unsigned char>(spec[at + 1]))) {
    std::string cls = spec.substr(0, at);
    int n = std::atoi(spec.c_str() + at + 1);
    for (HWND h : all) {
      if (!really_visible(h)) continue;
      if (!cls.empty() && _stricmp(class_of(h).c_str(), cls.c_str()) != 0) continue;
      if (n-- == 0) return h;
    }
    return nullptr;
  }
  for (HWND h : all)
    if (really_visible(h) && (text_of(h) == spec || without_ampersand(text_of(h)) == spec)) return h;
  return nullptr;
}

template <typename F>
bool poll(DWORD timeout_ms, F f) {
  DWORD start = GetTickCount();
  while (true) {
    if (f()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);  // a short wait between probes
  }
}

int usage() {
  std::fprintf(stderr, "usage: window_driver COMMAND ARGS (see the source)\n");
  return 2;
}

HWND wait_top(const std::string& title, DWORD timeout) {
  HWND found = nullptr;
  poll(timeout, [&] { return (found = find_top(title)) != nullptr; });
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  std::string cmd = argv[1];
  auto arg = [&](int i) { return i < argc ? std::string(argv[i]) : std::string(); };
  auto timeout_at = [&](int i) { return i < argc ? static_cast<DWORD>(std::atol(argv[i])) : DWORD(10000); };

  if (cmd == "wait-window") {
    HWND h = wait_top(arg(2), timeout_at(3));
    if (!h) return std::fprintf(stderr, "no window '%s'\n", arg(2).c_str()), 1;
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
    return 0;
  }
  if (cmd == "wait-gone") return poll(timeout_at(3), [&] { return find_top(arg(2)) == nullptr; }) ? 0 : 1;
  if (cmd == "wait-pid") {
    HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, std::atol(argv[2]));
    if (!p) return 1;
    if (WaitForSingleObject(p, timeout_at(3)) != WAIT_OBJECT_0) return 1;
    DWORD code = 0;
    GetExitCodeProcess(p, &code);
    std::printf("%lu\n", code);
    return 0;
  }
  if (cmd == "start-windows") {
    DWORD timeout = timeout_at(2);
    std::printf("watching\n");  // the caller may start the setup now
    std::fflush(stdout);
    HWND init = wait_top("class:TSetupInit", timeout);
    if (!init) return std::fprintf(stderr, "no initialization window\n"), 1;
    HWND splash = find_top("class:TSetupSplash");
    RECT r;
    if (splash && GetWindowRect(splash, &r)) std::printf("splash %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    GetWindowRect(init, &r);
    std::printf("init %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    std::fflush(stdout);
    bool gone = poll(timeout, [] { return !find_top("class:TSetupInit") && !find_top("class:TSetupSplash"); });
    std::printf("%s\n", gone ? "gone" : "still shown");
    return gone ? 0 : 1;
  }
  if (cmd == "answer-msgbox") {
    std::string which = arg(2);
    int id = which == "IDYES" ? IDYES : which == "IDNO" ? IDNO : which == "IDOK" ? IDOK : which == "IDCANCEL" ? IDCANCEL : 0;
    if (!id) return usage();
    HWND box = nullptr;
    poll(timeout_at(3), [&] {
      box = FindWindowA("#32770", nullptr);
      return box && IsWindowVisible(box);
    });
    if (!box) return std::fprintf(stderr, "no message box\n"), 1;
    HWND text = GetDlgItem(box, 0xFFFF);
    std::printf("%s\n", text ? text_of(text).c_str() : "");
    HWND button = GetDlgItem(box, id);
    if (!button) return std::fprintf(stderr, "the box has no button %s\n", which.c_str()), 1;
    PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }

  if (argc < 3) return usage();
  HWND top = wait_top(arg(2), 10000);
  if (!top) return std::fprintf(stderr, "no window '%s'\n", arg(2).c_str()), 1;

  if (cmd == "list-controls") {
    for (HWND h : controls_of(top)) {
      RECT r;
      GetWindowRect(h, &r);
      MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
      std::printf("%llu\t%s\t%d\t%d\t%d\t%ld,%ld,%ld,%ld\t%s\n",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)), class_of(h).c_str(),
                  GetDlgCtrlID(h), IsWindowVisible(h) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0, r.left, r.top,
                  r.right - r.left, r.bottom - r.top, text_of(h).c_str());
    }
    return 0;
  }
  auto print_rect = [](HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  };
  if (cmd == "get-rect" && argc == 3) {
    print_rect(top);
    return 0;
  }
  if (cmd == "move") {
    if (argc < 5) return usage();
    SetWindowPos(top, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (cmd == "sys-command") {
    std::string what = arg(3);
    WPARAM code = what == "minimize" ? SC_MINIMIZE : what == "close" ? SC_CLOSE : 0;
    if (!code) return usage();
    PostMessageA(top, WM_SYSCOMMAND, code, 0);
    return 0;
  }
  if (argc < 4) return usage();
  HWND control = nullptr;
  if (cmd == "wait-control") {
    return poll(timeout_at(4), [&] { return (control = find_control(wait_top(arg(2), 0), arg(3))) != nullptr; }) ? 0 : 1;
  }
  control = find_control(top, arg(3));
  if (!control) return std::fprintf(stderr, "no control '%s' in '%s'\n", arg(3).c_str(), arg(2).c_str()), 1;
  if (cmd == "get-rect") {
    print_rect(control);
    return 0;
  }
  if (cmd == "progress") {
    std::printf("%d %d %d\n", static_cast<int>(SendMessageA(control, PBM_GETPOS, 0, 0)),
                static_cast<int>(SendMessageA(control, PBM_GETRANGE, TRUE, 0)),
                static_cast<int>(SendMessageA(control, PBM_GETRANGE, FALSE, 0)));
    return 0;
  }
  if (cmd == "style") {
    std::printf("%lx\n", static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)));
    return 0;
  }
  if (cmd == "get-text") {
    std::printf("%s\n", text_of(control).c_str());
    return 0;
  }
  if (cmd == "is-enabled") {
    std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    return 0;
  }
  if (cmd == "set-text") {
    std::string t = arg(4);
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
    return 0;
  }
  if (cmd == "click") {
    PostMessageA(control, BM_CLICK, 0, 0);
    return 0;
  }
  return usage();
}
