#include "stub/setup_init.h"

#include <commctrl.h>
#include <dwmapi.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "lang/language_strings.h"
#include "wizard/picture_data.h"

namespace qel::stub {

namespace {

constexpr const char* kClassName = "TSetupInit";
constexpr const char* kLogoClassName = "TAeroPngImage";
constexpr int kDesignDpi = 96;

enum ControlId { kImage1 = 1, kImage2, kGlowLabel1, kLabel1, kProgressBar, kAeroPngImage1 };

int scaled(int value, int dpi) { return MulDiv(value, dpi, kDesignDpi); }

bool composition_enabled() {
  BOOL on = FALSE;
  return SUCCEEDED(DwmIsCompositionEnabled(&on)) && on;
}

// Straight-alpha BGRA to a premultiplied top-down DIB for AlphaBlend.
HBITMAP premultiplied_bitmap(const wizard::DecodedImage& image) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = static_cast<LONG>(image.width);
  bi.bmiHeader.biHeight = -static_cast<LONG>(image.height);
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  auto* out = static_cast<uint8_t*>(bits);
  for (size_t i = 0; i + 3 < image.bgra.size(); i += 4) {
    const unsigned a = image.bgra[i + 3];
    out[i] = static_cast<uint8_t>(image.bgra[i] * a / 255);
    out[i + 1] = static_cast<uint8_t>(image.bgra[i + 1] * a / 255);
    out[i + 2] = static_cast<uint8_t>(image.bgra[i + 2] * a / 255);
    out[i + 3] = static_cast<uint8_t>(a);
  }
  return bitmap;
}

HICON load_icon(const char* name, int size) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, 0));
}

}  // namespace

OsVersion OsVersion::current() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&v);
#pragma GCC diagnostic pop
  return {v.dwMajorVersion, v.dwMinorVersion};
}

TSetupInit::TSetupInit(const std::string& support_folder, OsVersion os) : support_folder_(support_folder) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  HDC screen = GetDC(nullptr);
  dpi_ = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  if (dpi_ <= 0) dpi_ = kDesignDpi;

  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  WNDCLASSA lc{};
  lc.lpfnWndProc = logo_proc;
  lc.hInstance = GetModuleHandleA(nullptr);
  lc.lpszClassName = kLogoClassName;
  RegisterClassA(&lc);

  // A single fixed border without border icons; the client area as designed.
  const DWORD style = WS_POPUP | WS_CAPTION;
  RECT r{0, 0, scaled(369, dpi_), scaled(89, dpi_)};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  window_ = CreateWindowExA(0, kClassName, kInitDefaultCaption, style, 0, 0, r.right - r.left, r.bottom - r.top,
                            nullptr, nullptr, GetModuleHandleA(nullptr), this);
  if (!window_) return;
  font_ = CreateFontA(-scaled(11, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");

  image1_ = child("Static", "", SS_ICON, 16, 16, 32, 32, kImage1);
  image2_ = child("Static", "", SS_ICON, 16, 16, 32, 32, kImage2);
  glow_label_ = child("Static", kInitWaitText, SS_LEFT, 50, 10, 309, 45, kGlowLabel1);
  label_ = child("Static", kInitWaitText, SS_LEFT, 56, 16, 297, 33, kLabel1);
  progress_ = child(PROGRESS_CLASSA, "", 0, 16, 56, 337, 17, kProgressBar);
  if (HICON i = load_icon("QELINIT", scaled(32, dpi_))) SendMessageA(image1_, STM_SETICON, reinterpret_cast<WPARAM>(i), 0);
  if (HICON i = load_icon("QELINIT8", scaled(32, dpi_))) SendMessageA(image2_, STM_SETICON, reinterpret_cast<WPARAM>(i), 0);
  form_create(os);
}

TSetupInit::~TSetupInit() {
  if (window_) DestroyWindow(window_);
  if (logo_bitmap_) DeleteObject(logo_bitmap_);
  if (font_) DeleteObject(font_);
}

HWND TSetupInit::child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | style, scaled(x, dpi_), scaled(y, dpi_), scaled(w, dpi_),
                           scaled(h, dpi_), window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  if (c && font_) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return c;
}

void TSetupInit::form_create(OsVersion os) {
  logo_ = nullptr;
  ShowWindow(image1_, SW_HIDE);
  ShowWindow(image2_, SW_HIDE);
  const bool xp = os.xp_or_later();
  ShowWindow(image1_, xp ? SW_SHOWNA : SW_HIDE);
  ShowWindow(image2_, xp ? SW_HIDE : SW_SHOWNA);
  ShowWindow(progress_, SW_SHOWNA);
  if (!xp) {
    ShowWindow(label_, SW_SHOWNA);
    return;
  }
  ShowWindow(glow_label_, SW_SHOWNA);
  ShowWindow(label_, SW_HIDE);
  ShowWindow(image1_, SW_HIDE);
  logo_ = CreateWindowExA(0, kLogoClassName, "", WS_CHILD, scaled(16, dpi_), scaled(16, dpi_), scaled(32, dpi_),
                          scaled(32, dpi_), window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAeroPngImage1)),
                          GetModuleHandleA(nullptr), this);
  write_logo_resource();
  load_logo(support_folder_ + kLogoFileName);  // a missing logo leaves the picture empty
  ShowWindow(logo_, SW_SHOWNA);
  // The whole window is glass where desktop composition is on.
  glass_ = os.major >= 6 && composition_enabled();
  if (glass_) {
    MARGINS sheet{-1, -1, -1, -1};
    DwmExtendFrameIntoClientArea(window_, &sheet);
  }
}

void TSetupInit::write_logo_resource() const {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, "ZAVEDU", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!found) return;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (!data) return;
  std::ofstream out(support_folder_ + kLogoFileName, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), size);
}

bool TSetupInit::load_logo(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  wizard::DecodedImage image;
  try {
    image = wizard::decode_png(bytes);
  } catch (const std::exception&) {
    return false;
  }
  HBITMAP bitmap = premultiplied_bitmap(image);
  if (!bitmap) return false;
  if (logo_bitmap_) DeleteObject(logo_bitmap_);
  logo_bitmap_ = bitmap;
  logo_size_ = {static_cast<LONG>(image.width), static_cast<LONG>(image.height)};
  if (logo_) InvalidateRect(logo_, nullptr, TRUE);
  return true;
}

void TSetupInit::reload_logo() {
  if (!logo_) return;
  const std::string path = support_folder_ + kLogoFileName;
  if (!load_logo(path)) throw std::runtime_error("Cannot load the picture " + path);
  repaint();
}

LRESULT CALLBACK TSetupInit::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(h, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<TSetupInit*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (self && msg == WM_ERASEBKGND && self->glass_) {
    RECT r;
    GetClientRect(h, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return 1;
  }
  if (msg == WM_CLOSE) return 0;  // no close button: only the stub ends it
  if (msg == WM_NCDESTROY && self) self->window_ = nullptr;
  return DefWindowProcA(h, msg, wp, lp);
}

LRESULT CALLBACK TSetupInit::logo_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(h, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<TSetupInit*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (msg == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    FillRect(dc, &r, self->glass_ ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)) : GetSysColorBrush(COLOR_BTNFACE));
    if (self->logo_bitmap_) {
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, self->logo_bitmap_);
      BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      AlphaBlend(dc, 0, 0, r.right, r.bottom, mem, 0, 0, self->logo_size_.cx, self->logo_size_.cy, blend);
      SelectObject(mem, old);
      DeleteDC(mem);
    }
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

void TSetupInit::show() {
  if (!window_) return;
  SetWindowTextA(window_, lang_string(23).c_str());
  SetWindowTextA(glow_label_, lang_string(24).c_str());
  ShowWindow(window_, SW_SHOW);
}

void TSetupInit::hide() {
  if (window_) ShowWindow(window_, SW_HIDE);
}

void TSetupInit::repaint() {
  if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TSetupInit::set_progress(int min, int max, int position) {
  SendMessageA(progress_, PBM_SETRANGE32, min, max);
  SendMessageA(progress_, PBM_SETPOS, position, 0);
}

void TSetupInit::step_progress() { SendMessageA(progress_, PBM_SETPOS, progress_position() + 1, 0); }

int TSetupInit::progress_position() const { return static_cast<int>(SendMessageA(progress_, PBM_GETPOS, 0, 0)); }

void TSetupInit::move_to(int left, int top) {
  if (window_) SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE TSetupInit::outer_size() const {
  RECT r{0, 0, 0, 0};
  if (window_) GetWindowRect(window_, &r);
  return {r.right - r.left, r.bottom - r.top};
}

bool TSetupInit::image1_visible() const { return image1_ && (GetWindowLongPtrA(image1_, GWL_STYLE) & WS_VISIBLE); }
bool TSetupInit::image2_visible() const { return image2_ && (GetWindowLongPtrA(image2_, GWL_STYLE) & WS_VISIBLE); }
bool TSetupInit::glow_label_visible() const {
  return glow_label_ && (GetWindowLongPtrA(glow_label_, GWL_STYLE) & WS_VISIBLE);
}
bool TSetupInit::label_visible() const { return label_ && (GetWindowLongPtrA(label_, GWL_STYLE) & WS_VISIBLE); }

}  // namespace qel::stub
