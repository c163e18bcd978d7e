// An in-memory dialog template: icon, message and five buttons, laid out at
// WM_INITDIALOG from the measured text.
#include <algorithm>
#include <vector>

#include "native/prompts/win/main_thread_prompt.h"

namespace qel::native::win {
namespace {

constexpr WORD kIdIcon = 1000;
constexpr WORD kIdText = 1001;
constexpr WORD kIdNoToAll = 1002;
constexpr WORD kIdYesToAll = 1003;

struct DialogData {
  PromptKind kind;
  const std::string* caption;
  const std::string* text;
};

void Align(std::vector<BYTE>& t, size_t n) {
  while (t.size() % n) t.push_back(0);
}
void PutWord(std::vector<BYTE>& t, WORD w) {
  t.push_back(static_cast<BYTE>(w & 0xFF));
  t.push_back(static_cast<BYTE>(w >> 8));
}
void PutDword(std::vector<BYTE>& t, DWORD d) {
  PutWord(t, static_cast<WORD>(d & 0xFFFF));
  PutWord(t, static_cast<WORD>(d >> 16));
}
void PutText(std::vector<BYTE>& t, const wchar_t* s) {
  do PutWord(t, static_cast<WORD>(*s)); while (*s++);
}

void AddItem(std::vector<BYTE>& t, DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls,
             const wchar_t* title) {
  Align(t, 4);
  PutDword(t, style | WS_CHILD | WS_VISIBLE);
  PutDword(t, 0);
  PutWord(t, static_cast<WORD>(x));
  PutWord(t, static_cast<WORD>(y));
  PutWord(t, static_cast<WORD>(cx));
  PutWord(t, static_cast<WORD>(cy));
  PutWord(t, id);
  PutWord(t, 0xFFFF);
  PutWord(t, cls);
  PutText(t, title);
  PutWord(t, 0);
}

std::vector<BYTE> BuildTemplate() {
  std::vector<BYTE> t;
  PutDword(t, DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  PutDword(t, 0);
  PutWord(t, 7);  // items
  PutWord(t, 0);
  PutWord(t, 0);
  PutWord(t, 300);
  PutWord(t, 120);
  PutWord(t, 0);  // menu
  PutWord(t, 0);  // class
  PutText(t, L"");
  PutWord(t, 8);
  PutText(t, L"MS Shell Dlg");
  AddItem(t, SS_ICON, 8, 8, 20, 20, kIdIcon, 0x0082, L"");
  AddItem(t, SS_LEFT | SS_NOPREFIX, 36, 8, 256, 80, kIdText, 0x0082, L"");
  AddItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 96, 50, 14, IDYES, 0x0080, L"&Yes");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 0, 96, 50, 14, IDNO, 0x0080, L"&No");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 0, 96, 50, 14, IDCANCEL, 0x0080, L"Cancel");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 0, 96, 50, 14, kIdNoToAll, 0x0080, L"No to A&ll");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 0, 96, 50, 14, kIdYesToAll, 0x0080, L"Yes to &All");
  return t;
}

void Layout(HWND dialog, const DialogData& data) {
  SetWindowTextA(dialog, data.caption->c_str());
  HICON icon = LoadIcon(nullptr, data.kind == PromptKind::kError ? IDI_ERROR : IDI_QUESTION);
  SendDlgItemMessageA(dialog, kIdIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  HWND label = GetDlgItem(dialog, kIdText);
  // Line breaks of the message are single CR characters.
  std::string text;
  for (char c : *data.text) {
    if (c == '\r') text += "\r\n";
    else text += c;
  }
  SetWindowTextA(label, text.c_str());

  RECT unit{0, 0, 4, 8};
  MapDialogRect(dialog, &unit);
  const int du_x = unit.right, du_y = unit.bottom;  // pixels of 4 x 8 dialog units
  const int margin = 2 * du_x;
  const int icon_size = GetSystemMetrics(SM_CXICON);
  const int button_w = 14 * du_x, button_h = 14 * du_y / 8, gap = du_x;
  const int buttons_w = 5 * button_w + 4 * gap;

  HDC dc = GetDC(label);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font);
  RECT measure{0, 0, buttons_w - icon_size - margin, 0};
  DrawTextA(dc, text.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);

  const int text_w = measure.right - measure.left;
  const int text_h = measure.bottom - measure.top;
  const int content_w = std::max(buttons_w, icon_size + margin + text_w);
  const int top_h = std::max(icon_size, text_h);
  const int client_w = content_w + 2 * margin;
  const int client_h = margin + top_h + margin + button_h + margin;

  MoveWindow(GetDlgItem(dialog, kIdIcon), margin, margin, icon_size, icon_size, FALSE);
  MoveWindow(label, margin + icon_size + margin, margin, text_w, text_h, FALSE);
  const WORD order[5] = {IDYES, IDNO, IDCANCEL, kIdNoToAll, kIdYesToAll};
  int x = margin + (content_w - buttons_w) / 2;
  const int y = margin + top_h + margin;
  for (WORD id : order) {
    MoveWindow(GetDlgItem(dialog, id), x, y, button_w, button_h, FALSE);
    x += button_w + gap;
  }
  RECT frame{0, 0, client_w, client_h};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(dialog, HWND_TOP, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, 0);
  SetFocus(GetDlgItem(dialog, IDYES));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Layout(dialog, *reinterpret_cast<const DialogData*>(lparam));
      return FALSE;  // focus set by Layout
    case WM_COMMAND: {
      const WORD id = LOWORD(wparam);
      if (id == IDYES || id == IDNO || id == IDCANCEL || id == kIdNoToAll || id == kIdYesToAll) {
        EndDialog(dialog, id);
        return TRUE;
      }
      break;
    }
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

PromptAnswer ShowFiveButtonDialog(PromptKind kind, const std::string& caption, const std::string& text) {
  std::vector<BYTE> t = BuildTemplate();
  DialogData data{kind, &caption, &text};
  HWND owner = GetActiveWindow();
  INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), owner,
                                      DialogProc, reinterpret_cast<LPARAM>(&data));
  switch (r) {
    case IDYES: return PromptAnswer::kYes;
    case IDNO: return PromptAnswer::kNo;
    case kIdNoToAll: return PromptAnswer::kNoToAll;
    case kIdYesToAll: return PromptAnswer::kYesToAll;
    default: return PromptAnswer::kCancel;  // Cancel, closed, or the dialog could not be shown
  }
}

}  // namespace qel::native::win
