// Window-test helper for what the general window driver cannot do from outside
// the page's process: multi-selection in list boxes, check boxes of list views
// and scrolling. Controls are addressed as the window driver does: by text,
// "CLASS@N" (N-th visible control of a class) or "@N".
//
//   select-items TITLE CONTROL INDEX...   selects the items of a list box (notifies the page)
//   set-check TITLE CONTROL INDEX 0|1      the check box of a list-view item
//   get-checks TITLE CONTROL               "1 0 1 ..." for the list-view items
//   scroll-end TITLE CONTROL               scrolls a control to its end (WM_VSCROLL SB_BOTTOM)
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string text_of(HWND h) {
  char buffer[4096] = {};
  SendMessageTimeoutA(h, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

std::string class_of(HWND h) {
  char buffer[256] = {};
  GetClassNameA(h, buffer, sizeof buffer);
  return buffer;
}

std::string without_ampersand(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out += c;
  return out;
}

HWND find_top(const std::string& title) {
  struct Search {
    const std::string* title;
    HWND found;
  } s{&title, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        if (IsWindowVisible(h) && text_of(h) == *s->title) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND find_control(HWND top, const std::string& spec) {
  std::vector<HWND> all;
  EnumChildWindows(
      top, [](HWND h, LPARAM lp) -> BOOL { return reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h), TRUE; },
      reinterpret_cast<LPARAM>(&all));
  size_t at = spec.rfind('@');
  if (at != std::string::npos && at + 1 < spec.size() && isdigit(static_cast<unsigned char>(spec[at + 1]))) {
    std::string cls = spec.substr(0, at);
    int n = std::atoi(spec.c_str() + at + 1);
    for (HWND h : all) {
      if (!IsWindowVisible(h)) continue;
      if (!cls.empty() && _stricmp(class_of(h).c_str(), cls.c_str()) != 0) continue;
      if (n-- == 0) return h;
    }
    return nullptr;
  }
  for (HWND h : all)
    if (IsWindowVisible(h) && without_ampersand(text_of(h)) == without_ampersand(spec)) return h;
  return nullptr;
}

// An LVITEM in the page's process, so that the list view can read it.
bool set_remote_item_state(HWND list, int index, UINT state, UINT mask) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  bool ok = remote && WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  if (ok) SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(remote));
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

int usage() {
  std::fprintf(stderr, "usage: binding_driver COMMAND TITLE CONTROL ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return usage();
  std::string cmd = argv[1];
  HWND top = nullptr;
  for (int i = 0; i < 200 && !(top = find_top(argv[2])); ++i) Sleep(50);
  if (!top) return std::fprintf(stderr, "no window '%s'\n", argv[2]), 1;
  HWND control = find_control(top, argv[3]);
  if (!control) return std::fprintf(stderr, "no control '%s'\n", argv[3]), 1;
  HWND parent = GetParent(control);
  if (cmd == "select-items") {
    bool multi = GetWindowLongA(control, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL);
    if (multi) SendMessageA(control, LB_SETSEL, FALSE, -1);
    for (int i = 4; i < argc; ++i) {
      int index = std::atoi(argv[i]);
      if (multi) SendMessageA(control, LB_SETSEL, TRUE, index);
      else SendMessageA(control, LB_SETCURSEL, index, 0);
    }
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
    return 0;
  }
  if (cmd == "set-check" && argc == 6) {
    UINT state = INDEXTOSTATEIMAGEMASK(std::atoi(argv[5]) ? 2 : 1);
    return set_remote_item_state(control, std::atoi(argv[4]), state, LVIS_STATEIMAGEMASK) ? 0 : 1;
  }
  if (cmd == "get-checks") {
    int n = static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      UINT s = static_cast<UINT>(SendMessageA(control, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK));
      std::printf("%s%d", i ? " " : "", ((s & LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 0);
    }
    std::printf("\n");
    return 0;
  }
  if (cmd == "scroll-end") {
    SendMessageA(control, WM_VSCROLL, SB_BOTTOM, 0);
    return 0;
  }
  return usage();
}
