// Painting of the controls the runtime draws itself: labels, pictures, shapes,
// bevels, panels and group boxes; picture loading.
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <fstream>
#include <iterator>

#include "engine/ascii.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard {

namespace detail {

namespace {

std::string text_of(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(n + 1, '\0');
  n = GetWindowTextA(h, s.data(), n + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

UINT label_format(const Component& c) {
  UINT f = 0;
  const std::string* a = stored(c, "Alignment");
  if (a && EqualsNoCase(*a, "taCenter")) f |= DT_CENTER;
  if (a && EqualsNoCase(*a, "taRightJustify")) f |= DT_RIGHT;
  if (stored_bool(c, "WordWrap", false)) f |= DT_WORDBREAK;
  if (!stored_bool(c, "ShowAccelChar", true)) f |= DT_NOPREFIX;
  return f;
}

// Straight-alpha BGRA to a premultiplied top-down DIB section.
HBITMAP make_bitmap(const DecodedImage& img) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = static_cast<LONG>(img.width);
  bi.bmiHeader.biHeight = -static_cast<LONG>(img.height);
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return nullptr;
  uint8_t* out = static_cast<uint8_t*>(bits);
  for (size_t i = 0; i < img.bgra.size(); i += 4) {
    unsigned a = img.bgra[i + 3];
    out[i] = static_cast<uint8_t>(img.bgra[i] * a / 255);
    out[i + 1] = static_cast<uint8_t>(img.bgra[i + 1] * a / 255);
    out[i + 2] = static_cast<uint8_t>(img.bgra[i + 2] * a / 255);
    out[i + 3] = static_cast<uint8_t>(a);
  }
  return bmp;
}

RECT picture_rect(const Component& c, const RECT& box, const DecodedImage& img) {
  int bw = box.right - box.left, bh = box.bottom - box.top;
  int w = static_cast<int>(img.width), h = static_cast<int>(img.height);
  bool stretch = stored_bool(c, "Stretch", false), proportional = stored_bool(c, "Proportional", false);
  if (stretch || (proportional && (w > bw || h > bh))) {
    if (proportional && w > 0 && h > 0) {
      if (static_cast<long long>(bw) * h > static_cast<long long>(bh) * w) {
        w = static_cast<int>(static_cast<long long>(w) * bh / h);
        h = bh;
      } else {
        h = static_cast<int>(static_cast<long long>(h) * bw / w);
        w = bw;
      }
    } else {
      w = bw;
      h = bh;
    }
  }
  int x = 0, y = 0;
  if (stored_bool(c, "Center", false) || (proportional && stretch)) {
    x = (bw - w) / 2;
    y = (bh - h) / 2;
  }
  return RECT{box.left + x, box.top + y, box.left + x + w, box.top + y + h};
}

void draw_picture(Component& c, HDC dc, const RECT& box) {
  if (!c.picture) return;
  if (!c.picture_bitmap) c.picture_bitmap = make_bitmap(*c.picture);
  if (!c.picture_bitmap) return;
  RECT r = picture_rect(c, box, *c.picture);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, c.picture_bitmap);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  SetStretchBltMode(dc, HALFTONE);
  GdiAlphaBlend(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, static_cast<int>(c.picture->width),
                static_cast<int>(c.picture->height), bf);
  SelectObject(mem, old);
  DeleteDC(mem);
}

COLORREF color_property(const Component& c, const char* name, COLORREF fallback) {
  if (const std::string* v = stored(c, name))
    if (auto color = parse_form_color(*v); color && !color->none) return to_colorref(*color);
  return fallback;
}

void draw_shape(Component& c, HDC dc, const RECT& box) {
  int pen_width = stored_int(c, "Pen.Width", 1);
  COLORREF pen_color = color_property(c, "Pen.Color", RGB(0, 0, 0));
  COLORREF brush_color = color_property(c, "Brush.Color", RGB(255, 255, 255));
  const std::string* pen_style = stored(c, "Pen.Style");
  const std::string* brush_style = stored(c, "Brush.Style");
  HPEN pen = pen_style && EqualsNoCase(*pen_style, "psClear") ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                                                                : CreatePen(PS_INSIDEFRAME, pen_width, pen_color);
  HBRUSH brush = brush_style && EqualsNoCase(*brush_style, "bsClear") ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                                                        : CreateSolidBrush(brush_color);
  HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
  RECT r = box;
  std::string shape = stored(c, "Shape") ? *stored(c, "Shape") : "stRectangle";
  if (EqualsNoCase(shape, "stSquare") || EqualsNoCase(shape, "stCircle") || EqualsNoCase(shape, "stRoundSquare")) {
    int side = std::min(r.right - r.left, r.bottom - r.top);
    r.left += (r.right - r.left - side) / 2;
    r.top += (r.bottom - r.top - side) / 2;
    r.right = r.left + side;
    r.bottom = r.top + side;
  }
  if (EqualsNoCase(shape, "stCircle") || EqualsNoCase(shape, "stEllipse"))
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
  else if (EqualsNoCase(shape, "stRoundRect") || EqualsNoCase(shape, "stRoundSquare"))
    RoundRect(dc, r.left, r.top, r.right, r.bottom, (r.right - r.left) / 4, (r.bottom - r.top) / 4);
  else
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  if (!(pen_style && EqualsNoCase(*pen_style, "psClear"))) DeleteObject(pen);
  if (!(brush_style && EqualsNoCase(*brush_style, "bsClear"))) DeleteObject(brush);
}

void draw_bevel(Component& c, HDC dc, const RECT& box) {
  std::string shape = stored(c, "Shape") ? *stored(c, "Shape") : "bsBox";
  bool raised = stored(c, "Style") && EqualsNoCase(*stored(c, "Style"), "bsRaised");
  UINT edge = raised ? EDGE_RAISED : EDGE_ETCHED;
  if (EqualsNoCase(shape, "bsBox")) edge = raised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER;
  RECT r = box;
  UINT flags = BF_RECT;
  if (EqualsNoCase(shape, "bsTopLine")) { r.bottom = r.top + 2; flags = BF_TOP; edge = raised ? EDGE_BUMP : EDGE_ETCHED; }
  else if (EqualsNoCase(shape, "bsBottomLine")) { r.top = r.bottom - 2; flags = BF_TOP; edge = raised ? EDGE_BUMP : EDGE_ETCHED; }
  else if (EqualsNoCase(shape, "bsLeftLine")) { r.right = r.left + 2; flags = BF_LEFT; edge = raised ? EDGE_BUMP : EDGE_ETCHED; }
  else if (EqualsNoCase(shape, "bsRightLine")) { r.left = r.right - 2; flags = BF_LEFT; edge = raised ? EDGE_BUMP : EDGE_ETCHED; }
  else if (EqualsNoCase(shape, "bsSpacer")) return;
  DrawEdge(dc, &r, edge, flags);
}

void draw_label(Component& c, HDC dc, const RECT& box) {
  std::string text = text_of(c.hwnd());
  HGDIOBJ old = SelectObject(dc, c.font);
  SetBkMode(dc, TRANSPARENT);
  RECT r = box;
  UINT format = label_format(c);
  const std::string* layout = stored(c, "Layout");
  if (layout && !EqualsNoCase(*layout, "tlTop")) {
    RECT calc = r;
    DrawTextA(dc, text.c_str(), -1, &calc, format | DT_CALCRECT);
    int h = calc.bottom - calc.top, avail = r.bottom - r.top;
    r.top += EqualsNoCase(*layout, "tlCenter") ? (avail - h) / 2 : avail - h;
  }
  if (!IsWindowEnabled(c.hwnd())) {
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text.c_str(), -1, &r, format);
    OffsetRect(&r, -1, -1);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, text_color(c));
  }
  DrawTextA(dc, text.c_str(), -1, &r, format);
  SelectObject(dc, old);
}

void draw_content(Component& c, HDC dc, const RECT& box) {
  switch (kind_of(c)) {
    case Kind::Label: draw_label(c, dc, box); break;
    case Kind::Image: draw_picture(c, dc, box); break;
    case Kind::Shape: draw_shape(c, dc, box); break;
    case Kind::Bevel: draw_bevel(c, dc, box); break;
    default: break;
  }
}

bool opaque(const Component& c) {
  if (kind_of(c) == Kind::Label) return !stored_bool(c, "Transparent", false);
  return false;
}

}  // namespace

// Graphic controls are drawn as their parent would draw them: the parent's
// background, then every earlier graphic sibling that overlaps, then this one.
void paint_graphic(Component& c, HDC target) {
  RECT client;
  GetClientRect(c.hwnd(), &client);
  HDC dc = CreateCompatibleDC(target);
  HBITMAP buffer = CreateCompatibleBitmap(target, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
  HGDIOBJ old_bitmap = SelectObject(dc, buffer);
  Component* parent = c.parent();
  HBRUSH parent_brush = background_brush(*parent);
  if (opaque(c)) {
    FillRect(dc, &client, background_brush(c));
  } else {
    FillRect(dc, &client, parent_brush);
    RECT mine;
    GetWindowRect(c.hwnd(), &mine);
    for (Component* sibling : parent->children()) {
      if (sibling == &c) break;
      if (!sibling->hwnd() || !is_graphic(kind_of(*sibling)) || !IsWindowVisible(sibling->hwnd())) continue;
      RECT theirs, overlap;
      GetWindowRect(sibling->hwnd(), &theirs);
      if (!IntersectRect(&overlap, &mine, &theirs)) continue;
      POINT origin{theirs.left - mine.left, theirs.top - mine.top};
      SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
      RECT box{0, 0, theirs.right - theirs.left, theirs.bottom - theirs.top};
      if (opaque(*sibling)) FillRect(dc, &box, background_brush(*sibling));
      draw_content(*sibling, dc, box);
      SetViewportOrgEx(dc, 0, 0, nullptr);
    }
  }
  draw_content(c, dc, client);
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old_bitmap);
  DeleteObject(buffer);
  DeleteDC(dc);
}

void paint_container(Component& c, HDC dc) {
  RECT r;
  GetClientRect(c.hwnd(), &r);
  FillRect(dc, &r, background_brush(c));
  std::string caption = text_of(c.hwnd());
  HGDIOBJ old = SelectObject(dc, c.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_color(c));
  Kind k = kind_of(c);
  if (k == Kind::GroupBox) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT frame = r;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (!caption.empty()) {
      RECT t{8, 0, r.right - 8, tm.tmHeight};
      RECT calc = t;
      DrawTextA(dc, caption.c_str(), -1, &calc, DT_CALCRECT | DT_SINGLELINE);
      RECT gap{calc.left - 2, 0, calc.right + 2, tm.tmHeight};
      FillRect(dc, &gap, background_brush(c));
      if (!IsWindowEnabled(c.hwnd())) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      DrawTextA(dc, caption.c_str(), -1, &t, DT_SINGLELINE);
    }
  } else if (k == Kind::Panel || k == Kind::FlashFrame) {
    auto edge_of = [&](const char* name, const char* fallback) {
      std::string v = stored(c, name) ? *stored(c, name) : fallback;
      if (EqualsNoCase(v, "bvRaised")) return UINT(BDR_RAISEDOUTER);
      if (EqualsNoCase(v, "bvLowered")) return UINT(BDR_SUNKENOUTER);
      return UINT(0);
    };
    RECT inner = r;
    if (UINT outer = edge_of("BevelOuter", "bvRaised")) DrawEdge(dc, &inner, outer, BF_RECT | BF_ADJUST);
    if (UINT in = edge_of("BevelInner", "bvNone")) DrawEdge(dc, &inner, in == BDR_RAISEDOUTER ? BDR_RAISEDINNER : BDR_SUNKENINNER, BF_RECT | BF_ADJUST);
    if (c.picture) draw_picture(c, dc, inner);
    if (!caption.empty() && stored_bool(c, "ShowCaption", true)) {
      UINT format = DT_SINGLELINE | DT_VCENTER;
      const std::string* a = stored(c, "Alignment");
      format |= !a || EqualsNoCase(*a, "taCenter") ? DT_CENTER : EqualsNoCase(*a, "taRightJustify") ? DT_RIGHT : DT_LEFT;
      DrawTextA(dc, caption.c_str(), -1, &inner, format);
    }
  }
  SelectObject(dc, old);
}

void picture_changed(Component& c) {
  if (c.picture_bitmap) DeleteObject(c.picture_bitmap);
  c.picture_bitmap = nullptr;
  autosize(c);
  if (c.hwnd()) {
    InvalidateRect(c.hwnd(), nullptr, TRUE);
    for (Component* s : c.parent() ? c.parent()->children() : std::vector<Component*>{})
      if (s != &c && s->hwnd() && is_graphic(kind_of(*s))) InvalidateRect(s->hwnd(), nullptr, FALSE);
  }
}

namespace {

// JPEG and anything else OLE understands, drawn into an opaque 32-bit picture.
bool decode_with_ole(const std::vector<uint8_t>& file, DecodedImage& out) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, file.size());
  if (!mem) return false;
  memcpy(GlobalLock(mem), file.data(), file.size());
  GlobalUnlock(mem);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(mem, TRUE, &stream))) {
    GlobalFree(mem);
    return false;
  }
  static bool com = SUCCEEDED(CoInitialize(nullptr)) || true;
  (void)com;
  IPicture* picture = nullptr;
  HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(file.size()), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(hr) || !picture) return false;
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  picture->get_Width(&hw);
  picture->get_Height(&hh);
  HDC screen = GetDC(nullptr);
  int w = MulDiv(hw, GetDeviceCaps(screen, LOGPIXELSX), 2540), h = MulDiv(hh, GetDeviceCaps(screen, LOGPIXELSY), 2540);
  bool ok = w > 0 && h > 0 && static_cast<uint32_t>(w) <= kMaxPictureSide && static_cast<uint32_t>(h) <= kMaxPictureSide;
  if (ok) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    picture->Render(dc, 0, 0, w, h, 0, hh, hw, -hh, nullptr);
    GdiFlush();
    out.width = w;
    out.height = h;
    out.bgra.assign(static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits) + size_t(w) * h * 4);
    for (size_t i = 3; i < out.bgra.size(); i += 4) out.bgra[i] = 255;
    out.has_alpha = false;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
  }
  ReleaseDC(nullptr, screen);
  picture->Release();
  return ok;
}

}  // namespace

bool decode_picture_bytes(const std::vector<uint8_t>& file, DecodedImage& out) {
  try {
    if (file.size() >= 8 && file[0] == 0x89 && file[1] == 'P') {
      out = decode_png(file);
      return true;
    }
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
      out = decode_bmp(file);
      return true;
    }
    if (file.size() >= 4 && file[0] == 0 && file[1] == 0 && file[2] == 1 && file[3] == 0) {
      out = decode_ico(file);
      return true;
    }
  } catch (const PictureError&) {
    // fall through to OLE, which knows compressed bitmaps and more
  }
  return decode_with_ole(file, out);
}

SIZE label_text_size(Component& c, int fixed_width) {
  std::string text = text_of(c.hwnd());
  HDC dc = GetDC(c.hwnd());
  HGDIOBJ old = SelectObject(dc, c.font);
  RECT r{0, 0, fixed_width > 0 ? fixed_width : 0, 0};
  UINT format = label_format(c) | DT_CALCRECT;
  if (text.empty()) {
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    r.bottom = tm.tmHeight;
  } else {
    DrawTextA(dc, text.c_str(), -1, &r, format);
  }
  SelectObject(dc, old);
  ReleaseDC(c.hwnd(), dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void autosize(Component& c) {
  if (!c.hwnd()) return;
  Kind k = kind_of(c);
  if (k == Kind::Label && stored_bool(c, "AutoSize", true)) {
    bool wrap = stored_bool(c, "WordWrap", false);
    RECT r = c.designed;
    SIZE s = label_text_size(c, wrap ? r.right - r.left : 0);
    if (!wrap) {
      const std::string* a = stored(c, "Alignment");
      if (a && EqualsNoCase(*a, "taRightJustify")) r.left = r.right - s.cx;
      else if (a && EqualsNoCase(*a, "taCenter")) r.left += ((r.right - r.left) - s.cx) / 2;
      r.right = r.left + s.cx;
    }
    r.bottom = r.top + s.cy;
    move_component(c, r);
  } else if (k == Kind::Image && c.picture && stored_bool(c, "AutoSize", false)) {
    RECT r = c.designed;
    r.right = r.left + static_cast<LONG>(c.picture->width);
    r.bottom = r.top + static_cast<LONG>(c.picture->height);
    move_component(c, r);
  }
}

}  // namespace detail

bool load_picture_file(Component& image, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  DecodedImage img;
  if (!detail::decode_picture_bytes(bytes, img)) return false;
  image.picture = std::move(img);
  detail::picture_changed(image);
  return true;
}

}  // namespace qel::wizard
