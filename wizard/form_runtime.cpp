#include "wizard/form_runtime.h"

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/ascii.h"
#include "wizard/form_layout.h"
#include "wizard/form_parser.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard {

using namespace detail;

int Component::tag() const { return stored_int(*this, "Tag", 0); }

LRESULT CALLBACK form_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

namespace {

std::u16string acp_to_utf16(std::string_view ansi) {
  if (ansi.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::u16string out(n, u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

std::string utf16_to_acp(std::u16string_view text) {
  if (text.empty()) return {};
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
  int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

LRESULT CALLBACK container_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK graphic_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void register_classes() {
  static bool done = false;
  if (done) return;
  done = true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                           ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_ANIMATE_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpfnWndProc = form_window_proc;
  wc.lpszClassName = kFormWindowClass;
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  RegisterClassExA(&wc);
  wc.hIcon = nullptr;
  wc.lpfnWndProc = container_proc;
  wc.lpszClassName = kContainerClass;
  RegisterClassExA(&wc);
  wc.lpfnWndProc = graphic_proc;
  wc.lpszClassName = kGraphicClass;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  RegisterClassExA(&wc);
}

Component* component_of(HWND hwnd) { return static_cast<Component*>(GetPropA(hwnd, "QelComponent")); }

LRESULT CALLBACK container_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Component* c = component_of(hwnd);
  if (c) {
    if (auto r = c->form().handle_child_message(hwnd, msg, wp, lp)) return *r;
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paint_container(*c, dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_SIZE:
        c->form().relayout(*c);
        break;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK graphic_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Component* c = component_of(hwnd);
  if (c) {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paint_graphic(*c, dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_SETTEXT: {
        LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (GetParent(hwnd)) {
          RECT rc;
          GetWindowRect(hwnd, &rc);
          MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rc), 2);
          InvalidateRect(GetParent(hwnd), &rc, TRUE);
        }
        return r;
      }
      case WM_SETFONT:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(c->font);
      case WM_NCHITTEST:
        // Disabled graphic controls still take the mouse, so that pages can
        // react to clicks on pictures; transparent ones let clicks through.
        return HTCLIENT;
      case WM_LBUTTONUP: {
        Component& comp = *c;
        if (IsWindowEnabled(hwnd)) {
          comp.form().fire(comp, "OnMouseUp");
          comp.form().fire(comp, "OnClick");
        }
        return 0;
      }
      case WM_LBUTTONDBLCLK:
        c->form().fire(*c, "OnDblClick");
        return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

LRESULT CALLBACK form_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Component* c = component_of(hwnd);
  if (c) {
    Form& form = c->form();
    if (form.hook_) {
      if (auto r = form.hook_(hwnd, msg, wp, lp)) return *r;
    }
    if (auto r = form.handle_child_message(hwnd, msg, wp, lp)) return *r;
    switch (msg) {
      case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(reinterpret_cast<HDC>(wp), &rc, background_brush(*c));
        return 1;
      }
      case WM_SIZE:
        form.relayout(*c);
        break;
      case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TextCodec ansi_codec() { return TextCodec{acp_to_utf16, utf16_to_acp}; }

struct FormBuilder {
  Form& form;
  const FormOptions& options;
  TextCodec codec = ansi_codec();

  int scale(int v) const { return scale_value(v, form.screen_dpi_, form.design_dpi_); }

  Component& make(const FormObject& obj, Component* parent, const ClassInfo* info) {
    auto owned = std::make_unique<Component>();
    Component& c = *owned;
    form.owned_.push_back(std::move(owned));
    c.name_ = obj.name;
    c.class_name_ = obj.class_name;
    c.parent_ = parent;
    c.form_ = &form;
    c.info = info;
    for (const Property& p : obj.properties) {
      if (p.value.kind == ValueKind::Binary) {
        if (EqualsNoCase(p.name, "Picture.Data") || EqualsNoCase(p.name, "Glyph.Data") ||
            EqualsNoCase(p.name, "Bitmap.Data") || EqualsNoCase(p.name, "PngImage.Data")) {
          try {
            PictureFile pic = EqualsNoCase(p.name, "Picture.Data") ? decode_picture_property(p.value.bytes)
                                                                   : decode_glyph_property(p.value.bytes);
            DecodedImage img;
            if (decode_picture_bytes(pic.bytes, img)) c.picture = std::move(img);
          } catch (const PictureError&) {
            if (EqualsNoCase(p.name, "PngImage.Data")) {
              DecodedImage img;
              if (decode_picture_bytes(p.value.bytes, img)) c.picture = std::move(img);
            }
          }
        }
        continue;  // binary blobs are not readable as text properties
      }
      if (p.value.kind == ValueKind::Collection) continue;
      std::string text = value_as_text(p.value, codec);
      // "Lines.Strings" and "Items.Strings" read as the whole list under both names.
      if (p.name.size() > 8 && EqualsNoCase(std::string_view(p.name).substr(p.name.size() - 8), ".Strings"))
        store(c, std::string_view(p.name).substr(0, p.name.size() - 8), text);
      store(c, p.name, text);
    }
    if (parent) parent->children_.push_back(&c);
    return c;
  }

  DWORD child_style(Component& c, const char*& window_class, DWORD& ex) {
    Kind k = kind_of(c);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    ex = 0;
    bool tab_stop = stored_bool(c, "TabStop", true);
    auto border = [&] {
      const std::string* b = stored(c, "BorderStyle");
      if (!b || EqualsNoCase(*b, "bsSingle")) ex |= WS_EX_CLIENTEDGE;
    };
    auto scrollbars = [&](DWORD none) {
      const std::string* s = stored(c, "ScrollBars");
      if (!s) return none;
      if (EqualsNoCase(*s, "ssVertical")) return DWORD(WS_VSCROLL);
      if (EqualsNoCase(*s, "ssHorizontal")) return DWORD(WS_HSCROLL);
      if (EqualsNoCase(*s, "ssBoth")) return DWORD(WS_VSCROLL | WS_HSCROLL);
      return DWORD(0);
    };
    auto alignment = [&](DWORD left, DWORD center, DWORD right) {
      const std::string* a = stored(c, "Alignment");
      if (a && EqualsNoCase(*a, "taCenter")) return center;
      if (a && EqualsNoCase(*a, "taRightJustify")) return right;
      return left;
    };
    switch (k) {
      case Kind::Label:
      case Kind::Image:
      case Kind::Shape:
      case Kind::Bevel:
        window_class = kGraphicClass;
        return style;
      case Kind::StaticText:
        window_class = "STATIC";
        style |= SS_NOTIFY | alignment(SS_LEFT, SS_CENTER, SS_RIGHT);
        if (!stored_bool(c, "ShowAccelChar", true)) style |= SS_NOPREFIX;
        if (const std::string* b = stored(c, "BorderStyle"); b && EqualsNoCase(*b, "sbsSunken")) ex |= WS_EX_STATICEDGE;
        return style;
      case Kind::Edit:
        window_class = "EDIT";
        border();
        style |= ES_AUTOHSCROLL | alignment(ES_LEFT, ES_CENTER, ES_RIGHT);
        if (const std::string* p = stored(c, "PasswordChar"); p && !p->empty() && *p != "#0") style |= ES_PASSWORD;
        if (stored_bool(c, "ReadOnly", false)) style |= ES_READONLY;
        if (const std::string* cc = stored(c, "CharCase")) {
          if (EqualsNoCase(*cc, "ecUpperCase")) style |= ES_UPPERCASE;
          if (EqualsNoCase(*cc, "ecLowerCase")) style |= ES_LOWERCASE;
        }
        break;
      case Kind::Memo:
      case Kind::HtmlViewer:
        window_class = "EDIT";
        border();
        style |= ES_MULTILINE | ES_WANTRETURN | ES_NOHIDESEL | alignment(ES_LEFT, ES_CENTER, ES_RIGHT);
        style |= k == Kind::HtmlViewer ? WS_VSCROLL | ES_READONLY : scrollbars(0);
        if (!stored_bool(c, "WordWrap", true)) style |= ES_AUTOHSCROLL;
        if (stored_bool(c, "ReadOnly", false)) style |= ES_READONLY;
        style |= ES_AUTOVSCROLL;
        break;
      case Kind::RichEdit:
        window_class = "RichEdit20A";
        border();
        style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_NOHIDESEL | scrollbars(0);
        if (!stored_bool(c, "WordWrap", true)) style |= ES_AUTOHSCROLL;
        if (stored_bool(c, "ReadOnly", false)) style |= ES_READONLY;
        break;
      case Kind::Button:
        window_class = "BUTTON";
        style |= stored_bool(c, "Default", false) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (EqualsNoCase(c.class_name(), "TSpeedButton") && stored_bool(c, "Flat", false)) style |= BS_FLAT;
        if (stored_bool(c, "WordWrap", false)) style |= BS_MULTILINE;
        if (EqualsNoCase(c.class_name(), "TSpeedButton")) tab_stop = false;
        break;
      case Kind::CheckBox:
      case Kind::RadioButton:
        window_class = "BUTTON";
        style |= k == Kind::CheckBox ? BS_AUTOCHECKBOX : BS_RADIOBUTTON;
        if (stored_bool(c, "WordWrap", false)) style |= BS_MULTILINE;
        if (const std::string* a = stored(c, "Alignment"); a && EqualsNoCase(*a, "taLeftJustify")) style |= BS_LEFTTEXT;
        if (k == Kind::RadioButton) tab_stop = stored_bool(c, "Checked", false) || stored_bool(c, "TabStop", false);
        break;
      case Kind::ListBox:
      case Kind::FileListBox:
      case Kind::DirectoryListBox:
        window_class = "LISTBOX";
        border();
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
        if (stored_bool(c, "MultiSelect", false))
          style |= stored_bool(c, "ExtendedSelect", true) ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
        if (stored_bool(c, "Sorted", false)) style |= LBS_SORT;
        break;
      case Kind::ComboBox:
      case Kind::DriveComboBox:
      case Kind::FilterComboBox:
      case Kind::ShellCombo: {
        window_class = "COMBOBOX";
        style |= WS_VSCROLL | CBS_AUTOHSCROLL;
        const std::string* s = stored(c, "Style");
        if (k != Kind::ComboBox || (s && (EqualsNoCase(*s, "csDropDownList") || EqualsNoCase(*s, "csOwnerDrawFixed"))))
          style |= CBS_DROPDOWNLIST;
        else if (s && EqualsNoCase(*s, "csSimple"))
          style |= CBS_SIMPLE;
        else
          style |= CBS_DROPDOWN;
        if (stored_bool(c, "Sorted", false)) style |= CBS_SORT;
        break;
      }
      case Kind::GroupBox:
      case Kind::Panel:
      case Kind::TabSheet:
      case Kind::FlashFrame:
        window_class = kContainerClass;
        style |= WS_CLIPCHILDREN;
        ex |= WS_EX_CONTROLPARENT;
        tab_stop = false;
        break;
      case Kind::Gauge:
      case Kind::ProgressBar:
        window_class = PROGRESS_CLASSA;
        if (const std::string* o = stored(c, "Orientation"); o && EqualsNoCase(*o, "pbVertical")) style |= PBS_VERTICAL;
        if (stored_bool(c, "Smooth", false) || k == Kind::Gauge) style |= PBS_SMOOTH;
        tab_stop = false;
        break;
      case Kind::PageControl:
        window_class = WC_TABCONTROLA;
        style |= WS_CLIPCHILDREN;
        ex |= WS_EX_CONTROLPARENT;
        break;
      case Kind::TrackBar: {
        window_class = TRACKBAR_CLASSA;
        style |= TBS_AUTOTICKS;
        if (const std::string* o = stored(c, "Orientation"); o && EqualsNoCase(*o, "trVertical")) style |= TBS_VERT;
        break;
      }
      case Kind::UpDown:
        window_class = UPDOWN_CLASSA;
        style |= UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT;
        if (const std::string* o = stored(c, "Orientation"); o && EqualsNoCase(*o, "udHorizontal")) style |= UDS_HORZ;
        break;
      case Kind::Animate:
        window_class = ANIMATE_CLASSA;
        style |= ACS_TRANSPARENT | (stored_bool(c, "Center", true) ? ACS_CENTER : 0);
        tab_stop = false;
        break;
      case Kind::CheckListBox:
        window_class = WC_LISTVIEWA;
        border();
        style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        break;
      case Kind::TreeView:
      case Kind::ShellTree:
        window_class = WC_TREEVIEWA;
        border();
        style |= TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
        if (stored_bool(c, "ReadOnly", false) || true) style &= ~TVS_EDITLABELS;
        break;
      case Kind::ShellList:
        window_class = WC_LISTVIEWA;
        border();
        style |= LVS_LIST | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        break;
      case Kind::Form:
      case Kind::NonVisual:
        break;
    }
    if (tab_stop) style |= WS_TABSTOP;
    return style;
  }

  void create_children(const FormObject& obj, Component& parent, bool is_root);

  void create_component(const FormObject& obj, Component& parent) {
    const ClassInfo* info = find_class(obj.class_name);
    if (!info) {
      if (!EqualsNoCase(obj.name, "cmpFormDesigner"))
        throw FormError("class '" + obj.class_name + "' (object '" + obj.name + "', line " + std::to_string(obj.line) +
                        ") is not a registered component class");
      static const ClassInfo kDesigner{"", Kind::NonVisual};
      info = &kDesigner;
    }
    if (!options.allowed_classes.empty()) {
      bool ok = false;
      for (const std::string& a : options.allowed_classes) ok |= EqualsNoCase(a, obj.class_name);
      if (!ok && !EqualsNoCase(obj.name, "cmpFormDesigner"))
        throw FormError("class '" + obj.class_name + "' may not be used in this form");
    }
    Component& c = make(obj, &parent, info);
    form.order_.push_back(&c);
    if (info->kind == Kind::NonVisual) return;
    c.designed = RECT{scale(stored_int(c, "Left", 0)), scale(stored_int(c, "Top", 0)), 0, 0};
    c.designed.right = c.designed.left + scale(stored_int(c, "Width", 65));
    c.designed.bottom = c.designed.top + scale(stored_int(c, "Height", 17));
    const char* window_class = nullptr;
    DWORD ex = 0;
    DWORD style = child_style(c, window_class, ex);
    HWND parent_hwnd = parent.hwnd_;
    int height = c.designed.bottom - c.designed.top;
    if (info->kind == Kind::ComboBox || info->kind == Kind::DriveComboBox || info->kind == Kind::FilterComboBox ||
        info->kind == Kind::ShellCombo) {
      if (!(style & CBS_SIMPLE & ~CBS_DROPDOWN)) height += scale(160);  // room for the drop-down list
    }
    std::string caption;
    if (const std::string* t = stored(c, has_caption(info->kind) ? "Caption" : "Text")) caption = *t;
    else if (info->kind == Kind::Memo || info->kind == Kind::RichEdit || info->kind == Kind::HtmlViewer)
      if (const std::string* l = stored(c, "Lines")) caption = *l;
    c.hwnd_ = CreateWindowExA(ex, window_class, caption.c_str(), style, c.designed.left, c.designed.top,
                              c.designed.right - c.designed.left, height, parent_hwnd, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!c.hwnd_)
      throw FormError("cannot create the window of '" + c.name() + "' (" + c.class_name() + "), error " +
                      std::to_string(GetLastError()));
    SetPropA(c.hwnd_, "QelComponent", &c);
    if (info->kind == Kind::Memo || info->kind == Kind::RichEdit || info->kind == Kind::Edit)
      SendMessageA(c.hwnd_, EM_LIMITTEXT, 0, 0);
    if (info->kind == Kind::CheckListBox) {
      ListView_SetExtendedListViewStyle(c.hwnd_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
      LVCOLUMNA col{};
      col.mask = LVCF_WIDTH;
      col.cx = c.designed.right - c.designed.left - GetSystemMetrics(SM_CXVSCROLL) - 4;
      ListView_InsertColumn(c.hwnd_, 0, &col);
    }
    RECT client;
    GetClientRect(c.hwnd_, &client);
    c.designed_client = SIZE{client.right, client.bottom};
    create_children(obj, c, false);
  }

  void apply_all(Component& c) {
    if (kind_of(c) == Kind::NonVisual) return;
    static const char* const kSkip[] = {"Left", "Top", "Width", "Height", "ClientWidth", "ClientHeight", "Caption",
                                        "Text", "Name", "Lines", "Lines.Strings", "Visible", "Font.Name",
                                        "Font.Height", "Font.Size", "Font.Style", "Font.Color", "Font.Charset"};
    for (size_t i = 0; i < c.properties.size(); ++i) {
      std::string name = c.properties[i].name, value = c.properties[i].value;
      bool skip = false;
      for (const char* s : kSkip) skip |= EqualsNoCase(name, s);
      if (!skip) apply_property(c, name, value);
    }
    if (kind_of(c) == Kind::Memo || kind_of(c) == Kind::RichEdit) {
      if (const std::string* l = stored(c, "Lines")) apply_property(c, "Lines", *l);
    }
    for (Component* child : c.children()) apply_all(*child);
  }

  // Windowed controls above graphic ones; windowed in TabOrder, graphic in file
  // order from the bottom (a later picture paints over an earlier one).
  void order_siblings(Component& parent) {
    std::vector<Component*> windowed, graphic;
    for (Component* child : parent.children()) {
      if (!child->hwnd()) continue;
      (is_graphic(kind_of(*child)) ? graphic : windowed).push_back(child);
    }
    std::stable_sort(windowed.begin(), windowed.end(), [](Component* a, Component* b) {
      return stored_int(*a, "TabOrder", 1 << 20) < stored_int(*b, "TabOrder", 1 << 20);
    });
    HWND after = HWND_TOP;
    for (Component* w : windowed) {
      SetWindowPos(w->hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      after = w->hwnd();
    }
    for (auto it = graphic.rbegin(); it != graphic.rend(); ++it) {
      SetWindowPos((*it)->hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      after = (*it)->hwnd();
    }
    for (Component* child : parent.children()) order_siblings(*child);
  }

  void show_tree(Component& c) {
    for (Component* child : c.children()) {
      if (child->hwnd() && stored_bool(*child, "Visible", true) && kind_of(*child) != Kind::TabSheet)
        ShowWindow(child->hwnd(), SW_SHOWNA);
      show_tree(*child);
    }
  }

  void create_root(const FormObject& tree) {
    Component& root = make(tree, nullptr, form_class());
    form.root_ = &root;
    form.design_dpi_ = stored_int(root, "PixelsPerInch", 96);
    if (form.design_dpi_ <= 0) form.design_dpi_ = 96;
    form.screen_dpi_ = options.screen_dpi;
    if (form.screen_dpi_ <= 0) {
      HDC dc = GetDC(nullptr);
      form.screen_dpi_ = GetDeviceCaps(dc, LOGPIXELSX);
      ReleaseDC(nullptr, dc);
    }
    if (!stored_bool(root, "Scaled", true)) form.screen_dpi_ = form.design_dpi_;
    DWORD style = WS_CLIPCHILDREN, ex = WS_EX_CONTROLPARENT | options.extra_ex_style;
    std::string border = stored(root, "BorderStyle") ? *stored(root, "BorderStyle") : "bsSizeable";
    std::string icons = stored(root, "BorderIcons") ? *stored(root, "BorderIcons") : "[biSystemMenu,biMinimize,biMaximize]";
    bool sys = FindNoCase(icons, "biSystemMenu") != std::string::npos;
    if (EqualsNoCase(border, "bsNone")) {
      style |= WS_POPUP;
    } else {
      style |= WS_CAPTION;
      if (sys) style |= WS_SYSMENU;
      if (EqualsNoCase(border, "bsSizeable") || EqualsNoCase(border, "bsSizeToolWin")) style |= WS_THICKFRAME;
      else style |= WS_BORDER;
      if (EqualsNoCase(border, "bsDialog")) ex |= WS_EX_DLGMODALFRAME;
      if (EqualsNoCase(border, "bsToolWindow") || EqualsNoCase(border, "bsSizeToolWin")) ex |= WS_EX_TOOLWINDOW;
      bool dialog = EqualsNoCase(border, "bsDialog");
      if (sys && !dialog && FindNoCase(icons, "biMinimize") != std::string::npos) style |= WS_MINIMIZEBOX;
      if (sys && !dialog && FindNoCase(icons, "biMaximize") != std::string::npos) style |= WS_MAXIMIZEBOX;
    }
    RECT r{0, 0, 0, 0};
    if (stored(root, "ClientWidth") || stored(root, "ClientHeight")) {
      r.right = scale(stored_int(root, "ClientWidth", 462));
      r.bottom = scale(stored_int(root, "ClientHeight", 181));
      AdjustWindowRectEx(&r, style, FALSE, ex);
    } else {
      r.right = scale(stored_int(root, "Width", 470));
      r.bottom = scale(stored_int(root, "Height", 210));
    }
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = stored_int(root, "Left", 0), y = stored_int(root, "Top", 0);
    const std::string* position = stored(root, "Position");
    if (!position || !EqualsNoCase(*position, "poDesigned")) {
      x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    }
    std::string caption = stored(root, "Caption") ? *stored(root, "Caption") : std::string();
    root.hwnd_ = CreateWindowExA(ex, kFormWindowClass, caption.c_str(), style, x, y, w, h, options.owner, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!root.hwnd_) throw FormError("cannot create the form window, error " + std::to_string(GetLastError()));
    SetPropA(root.hwnd_, "QelComponent", &root);
    RECT client;
    GetClientRect(root.hwnd_, &client);
    root.designed_client = SIZE{client.right, client.bottom};
    rebuild_font(root);
    create_children(tree, root, true);
    for (Component* c : form.order_) rebuild_font(*c);
    apply_all(root);
    for (Component* c : form.order_) autosize(*c);
    order_siblings(root);
    form.relayout(root);
    show_tree(root);
  }
};

void FormBuilder::create_children(const FormObject& obj, Component& parent, bool) {
  for (const FormObject& child : obj.children) create_component(child, parent);
}

std::unique_ptr<Form> Form::create(const FormObject& tree, const FormOptions& options) {
  register_classes();
  std::unique_ptr<Form> form(new Form());
  FormBuilder builder{*form, options};
  builder.create_root(tree);
  return form;
}

std::unique_ptr<Form> Form::load_file(const std::string& path, const FormOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FormError("cannot read the form file " + path);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  FormObject tree;
  try {
    tree = parse_form(buffer.str(), ansi_codec());
  } catch (const FormParseError& e) {
    throw FormError(path + ": " + e.what());
  }
  try {
    return create(tree, options);
  } catch (const FormError& e) {
    throw FormError(path + ": " + e.what());
  }
}

Form::~Form() {
  if (root_ && root_->hwnd()) DestroyWindow(root_->hwnd());
  for (auto& c : owned_) {
    if (c->own_font && c->font) DeleteObject(c->font);
    if (c->background) DeleteObject(c->background);
    if (c->picture_bitmap) DeleteObject(c->picture_bitmap);
  }
}

Component* Form::find(std::string_view name) {
  if (name.empty()) return nullptr;
  if (EqualsNoCase(root_->name(), name)) return root_;
  for (Component* c : order_)
    if (EqualsNoCase(c->name(), name)) return c;
  return nullptr;
}

Component* Form::from_hwnd(HWND hwnd) const {
  Component* c = component_of(hwnd);
  return c && &c->form() == this ? c : nullptr;
}

void Form::fire(Component& c, std::string_view event) {
  if (sink_) sink_(c, event);
}

void Form::relayout(Component& container) {
  if (!container.hwnd()) return;
  RECT client;
  GetClientRect(container.hwnd(), &client);
  if (kind_of(container) == Kind::PageControl) {
    TabCtrl_AdjustRect(container.hwnd(), FALSE, &client);
    for (Component* sheet : container.children())
      if (sheet->hwnd())
        MoveWindow(sheet->hwnd(), client.left, client.top, client.right - client.left, client.bottom - client.top, TRUE);
    return;
  }
  std::vector<LayoutItem> items;
  std::vector<Component*> placed;
  for (Component* child : container.children()) {
    if (!child->hwnd() || kind_of(*child) == Kind::TabSheet) continue;
    LayoutItem it;
    it.align = stored(*child, "Align") ? parse_align(*stored(*child, "Align")) : Align::None;
    if (const std::string* a = stored(*child, "Anchors")) it.anchors = parse_anchors(*a);
    it.designed = {child->designed.left, child->designed.top, child->designed.right - child->designed.left,
                   child->designed.bottom - child->designed.top};
    it.visible = stored_bool(*child, "Visible", true);
    items.push_back(it);
    placed.push_back(child);
  }
  int inset = 0, top_inset = 0;
  if (kind_of(container) == Kind::GroupBox) {
    inset = 2;
    top_inset = 14;
  }
  std::vector<Rect> rects = layout_children(items, container.designed_client.cx, container.designed_client.cy,
                                            client.right, client.bottom);
  for (size_t i = 0; i < placed.size(); ++i) {
    Rect r = rects[i];
    if (items[i].align != Align::None) {
      r.left = std::max(r.left, inset);
      r.top = std::max(r.top, items[i].align == Align::Top || items[i].align == Align::Left ||
                                      items[i].align == Align::Right || items[i].align == Align::Client
                                  ? top_inset
                                  : r.top);
    }
    RECT now;
    GetWindowRect(placed[i]->hwnd(), &now);
    MapWindowPoints(nullptr, container.hwnd(), reinterpret_cast<POINT*>(&now), 2);
    bool combo = placed[i]->hwnd() && (kind_of(*placed[i]) == Kind::ComboBox || kind_of(*placed[i]) == Kind::DriveComboBox ||
                                       kind_of(*placed[i]) == Kind::FilterComboBox || kind_of(*placed[i]) == Kind::ShellCombo);
    int h = combo ? now.bottom - now.top : r.height;
    if (now.left != r.left || now.top != r.top || now.right - now.left != r.width || now.bottom - now.top != h)
      MoveWindow(placed[i]->hwnd(), r.left, r.top, r.width, h, TRUE);
  }
}

}  // namespace qel::wizard
