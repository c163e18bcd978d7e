#include "stub/setup_splash.h"

namespace qel::stub {

namespace {
constexpr const char* kClassName = "TSetupSplash";
}

TSetupSplash::TSetupSplash() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  // No border, no caption, no taskbar button of its own.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
}

TSetupSplash::~TSetupSplash() {
  if (window_) DestroyWindow(window_);
  if (picture_) DeleteObject(picture_);
}

LRESULT CALLBACK TSetupSplash::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(h, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<TSetupSplash*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (self && msg == WM_PAINT) {
    self->paint();
    return 0;
  }
  if (msg == WM_ERASEBKGND && self && self->picture_) return 1;
  if (msg == WM_NCDESTROY && self) self->window_ = nullptr;
  return DefWindowProcA(h, msg, wp, lp);
}

void TSetupSplash::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (picture_) {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, picture_);
    BitBlt(dc, 0, 0, size_.cx, size_.cy, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  EndPaint(window_, &ps);
}

bool TSetupSplash::load_picture(const std::string& path) {
  auto* bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (!bitmap) return false;
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) {
    DeleteObject(bitmap);
    return false;
  }
  if (picture_) DeleteObject(picture_);
  picture_ = bitmap;
  size_ = {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
  // AutoSize: the window takes the picture's size.
  if (window_) SetWindowPos(window_, nullptr, 0, 0, size_.cx, size_.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void TSetupSplash::centre_on_screen() {
  if (!window_) return;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - size_.cx) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - size_.cy) / 2;
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSetupSplash::show() {
  if (window_) ShowWindow(window_, SW_SHOWNOACTIVATE);
}

void TSetupSplash::hide() {
  if (window_) ShowWindow(window_, SW_HIDE);
}

void TSetupSplash::repaint() {
  if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

bool TSetupSplash::visible() const { return window_ && IsWindowVisible(window_); }

RECT TSetupSplash::rect() const {
  RECT r{0, 0, 0, 0};
  if (window_) GetWindowRect(window_, &r);
  return r;
}

}  // namespace qel::stub
