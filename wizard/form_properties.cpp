// The property interface: published properties stored as text, applied to and
// read back from the live windows.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <cstdlib>

#include "engine/ascii.h"
#include "wizard/form_layout.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard {

namespace detail {

const std::string* stored(const Component& c, std::string_view name) {
  for (const Component::Stored& s : c.properties)
    if (EqualsNoCase(s.name, name)) return &s.value;
  return nullptr;
}

void store(Component& c, std::string_view name, std::string_view value) {
  for (Component::Stored& s : c.properties)
    if (EqualsNoCase(s.name, name)) {
      s.value.assign(value);
      return;
    }
  c.properties.push_back({std::string(name), std::string(value)});
}

bool parse_bool(std::string_view text, bool& out) {
  if (EqualsNoCase(text, "True") || text == "-1" || text == "1") {
    out = true;
    return true;
  }
  if (EqualsNoCase(text, "False") || text == "0") {
    out = false;
    return true;
  }
  return false;
}

bool parse_int(std::string_view text, long long& out) {
  std::string s(text);
  if (s.empty()) return false;
  char* end = nullptr;
  out = s[0] == '$' ? std::strtoll(s.c_str() + 1, &end, 16) : std::strtoll(s.c_str(), &end, 10);
  return end && *end == '\0' && end != s.c_str() + (s[0] == '$' ? 1 : 0);
}

bool stored_bool(const Component& c, std::string_view name, bool fallback) {
  const std::string* v = stored(c, name);
  bool b;
  return v && parse_bool(*v, b) ? b : fallback;
}

int stored_int(const Component& c, std::string_view name, int fallback) {
  const std::string* v = stored(c, name);
  long long n;
  return v && parse_int(*v, n) ? static_cast<int>(n) : fallback;
}

COLORREF to_colorref(const FormColor& color) {
  if (color.system) return GetSysColor(static_cast<int>(color.value));
  return static_cast<COLORREF>(color.value);
}

namespace {

FormColor default_background(const Component& c) {
  switch (kind_of(c)) {
    case Kind::Edit: case Kind::Memo: case Kind::RichEdit: case Kind::ListBox: case Kind::ComboBox:
    case Kind::CheckListBox: case Kind::TreeView: case Kind::FileListBox: case Kind::DirectoryListBox:
    case Kind::DriveComboBox: case Kind::FilterComboBox: case Kind::ShellTree: case Kind::ShellList:
    case Kind::ShellCombo: case Kind::HtmlViewer:
      return FormColor{true, false, false, COLOR_WINDOW};
    default:
      return FormColor{true, false, false, COLOR_BTNFACE};
  }
}

bool parent_color_by_default(const Component& c) {
  switch (kind_of(c)) {
    case Kind::Label: case Kind::StaticText: case Kind::CheckBox: case Kind::RadioButton: case Kind::GroupBox:
    case Kind::Image: case Kind::Shape: case Kind::Bevel: case Kind::TrackBar: case Kind::TabSheet:
      return true;
    default:
      return false;
  }
}

}  // namespace

COLORREF background_color(const Component& c) {
  const std::string* own = stored(c, "Color");
  bool parent_color = stored_bool(c, "ParentColor", parent_color_by_default(c) && !own);
  if (parent_color && c.parent()) return background_color(*c.parent());
  if (own)
    if (auto color = parse_form_color(*own); color && !color->none && !color->default_color) return to_colorref(*color);
  return to_colorref(default_background(c));
}

COLORREF text_color(const Component& c) {
  bool parent_font = stored_bool(c, "ParentFont", true);
  const std::string* own = stored(c, "Font.Color");
  if (own)
    if (auto color = parse_form_color(*own); color && !color->none && !color->default_color) return to_colorref(*color);
  if (parent_font && c.parent() && !own) return text_color(*c.parent());
  return GetSysColor(COLOR_WINDOWTEXT);
}

HBRUSH background_brush(Component& c) {
  COLORREF want = background_color(c);
  if (c.background) {
    LOGBRUSH lb;
    if (GetObjectA(c.background, sizeof lb, &lb) && lb.lbColor == want) return c.background;
    DeleteObject(c.background);
  }
  c.background = CreateSolidBrush(want);
  return c.background;
}

void rebuild_font(Component& c) {
  bool has_own = false;
  for (const Component::Stored& s : c.properties)
    if (s.name.size() > 5 && EqualsNoCase(std::string_view(s.name).substr(0, 5), "Font.")) has_own = true;
  bool parent_font = stored_bool(c, "ParentFont", !has_own);
  HFONT old = c.own_font ? c.font : nullptr;
  if (c.parent() && parent_font && !has_own) {
    c.font = c.parent()->font;
    c.own_font = false;
  } else {
    LOGFONTA lf{};
    if (c.parent() && c.parent()->font) {
      GetObjectA(c.parent()->font, sizeof lf, &lf);
    } else {
      lf.lfHeight = -scale_value(11, c.form().screen_dpi(), 96);
      lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
      lf.lfCharSet = DEFAULT_CHARSET;
      lf.lfWeight = FW_NORMAL;
    }
    if (const std::string* n = stored(c, "Font.Name")) lstrcpynA(lf.lfFaceName, n->c_str(), LF_FACESIZE);
    long long v;
    if (const std::string* h = stored(c, "Font.Height"); h && parse_int(*h, v))
      lf.lfHeight = scale_value(static_cast<int>(v), c.form().screen_dpi(), c.form().design_dpi());
    else if (const std::string* z = stored(c, "Font.Size"); z && parse_int(*z, v))
      lf.lfHeight = -scale_value(static_cast<int>(v), c.form().screen_dpi(), 72);
    if (const std::string* st = stored(c, "Font.Style")) {
      lf.lfWeight = FindNoCase(*st, "fsBold") != std::string::npos ? FW_BOLD : FW_NORMAL;
      lf.lfItalic = FindNoCase(*st, "fsItalic") != std::string::npos;
      lf.lfUnderline = FindNoCase(*st, "fsUnderline") != std::string::npos;
      lf.lfStrikeOut = FindNoCase(*st, "fsStrikeOut") != std::string::npos;
    }
    if (const std::string* cs = stored(c, "Font.Charset"); cs && parse_int(*cs, v)) lf.lfCharSet = static_cast<BYTE>(v);
    lf.lfQuality = DEFAULT_QUALITY;
    c.font = CreateFontIndirectA(&lf);
    c.own_font = true;
  }
  if (c.hwnd()) SendMessageA(c.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(c.font), TRUE);
  if (old && old != c.font) DeleteObject(old);
}

void rebuild_font_tree(Component& c) {
  rebuild_font(c);
  for (Component* child : c.children()) rebuild_font_tree(*child);
}

void move_component(Component& c, const RECT& r) {
  c.designed = r;
  if (!c.hwnd()) return;
  if (c.is_form()) {
    MoveWindow(c.hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    return;
  }
  int h = r.bottom - r.top;
  Kind k = kind_of(c);
  if (k == Kind::ComboBox || k == Kind::DriveComboBox || k == Kind::FilterComboBox || k == Kind::ShellCombo) {
    RECT now;
    GetWindowRect(c.hwnd(), &now);
    h = now.bottom - now.top;
  }
  MoveWindow(c.hwnd(), r.left, r.top, r.right - r.left, h, TRUE);
}

namespace {

bool is_combo(Kind k) {
  return k == Kind::ComboBox || k == Kind::DriveComboBox || k == Kind::FilterComboBox || k == Kind::ShellCombo;
}
bool is_listbox(Kind k) { return k == Kind::ListBox || k == Kind::FileListBox || k == Kind::DirectoryListBox; }

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t nl = text.find('\n', start);
    std::string_view line = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.emplace_back(line);
    if (nl == std::string_view::npos) break;
    start = nl + 1;
    if (start == text.size()) break;
  }
  return out;
}

std::string window_text(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  std::string s(n + 1, '\0');
  n = GetWindowTextA(hwnd, s.data(), n + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

std::string to_crlf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool is_position_property(std::string_view n) {
  return EqualsNoCase(n, "Left") || EqualsNoCase(n, "Top") || EqualsNoCase(n, "Width") || EqualsNoCase(n, "Height");
}

void select_tab(Component& page_control, int index) {
  TabCtrl_SetCurSel(page_control.hwnd(), index);
  int i = 0;
  for (Component* sheet : page_control.children()) {
    if (kind_of(*sheet) != Kind::TabSheet || !sheet->hwnd()) continue;
    ShowWindow(sheet->hwnd(), i == index ? SW_SHOW : SW_HIDE);
    ++i;
  }
}

}  // namespace

bool apply_property(Component& c, std::string_view name, std::string_view value) {
  HWND h = c.hwnd();
  Kind k = kind_of(c);
  long long n = 0;
  bool b = false;
  if (!h) return true;
  if (EqualsNoCase(name, "Caption") || EqualsNoCase(name, "Text")) {
    if (k == Kind::PageControl) return true;
    if (k == Kind::TabSheet && c.parent() && c.parent()->hwnd()) {
      int i = 0;
      for (Component* s : c.parent()->children()) {
        if (s == &c) break;
        if (kind_of(*s) == Kind::TabSheet) ++i;
      }
      std::string t(value);
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = t.data();
      TabCtrl_SetItem(c.parent()->hwnd(), i, &item);
    }
    std::string t = (k == Kind::Memo || k == Kind::RichEdit || k == Kind::HtmlViewer) ? to_crlf(value) : std::string(value);
    SetWindowTextA(h, t.c_str());
    if (k == Kind::Label || k == Kind::StaticText) autosize(c);
    if (k == Kind::Panel || k == Kind::GroupBox || k == Kind::FlashFrame) InvalidateRect(h, nullptr, TRUE);
    return true;
  }
  if (EqualsNoCase(name, "Lines") || EqualsNoCase(name, "Lines.Text") || EqualsNoCase(name, "Lines.Strings")) {
    if (k != Kind::Memo && k != Kind::RichEdit && k != Kind::HtmlViewer) return false;
    SetWindowTextA(h, to_crlf(value).c_str());
    return true;
  }
  if (EqualsNoCase(name, "Items") || EqualsNoCase(name, "Items.Text") || EqualsNoCase(name, "Items.Strings")) {
    if (!is_combo(k) && !is_listbox(k) && k != Kind::CheckListBox) return false;
    set_items(c, split_lines(value));
    return true;
  }
  if (EqualsNoCase(name, "Enabled")) {
    if (!parse_bool(value, b)) return false;
    EnableWindow(h, b);
    if (is_graphic(k)) InvalidateRect(h, nullptr, TRUE);
    return true;
  }
  if (EqualsNoCase(name, "Visible")) {
    if (!parse_bool(value, b)) return false;
    if (!c.is_form() && k != Kind::TabSheet) ShowWindow(h, b ? SW_SHOWNA : SW_HIDE);
    if (c.parent()) c.form().relayout(*c.parent());
    return true;
  }
  if (is_position_property(name)) {
    if (!parse_int(value, n)) return false;
    RECT r;
    GetWindowRect(h, &r);
    if (!c.is_form()) MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    if (k == Kind::ComboBox && c.designed.bottom > c.designed.top) r.bottom = r.top + (c.designed.bottom - c.designed.top);
    int w = r.right - r.left, ht = r.bottom - r.top;
    if (EqualsNoCase(name, "Left")) r.left = static_cast<int>(n);
    if (EqualsNoCase(name, "Top")) r.top = static_cast<int>(n);
    if (EqualsNoCase(name, "Width")) w = static_cast<int>(n);
    if (EqualsNoCase(name, "Height")) ht = static_cast<int>(n);
    move_component(c, RECT{r.left, r.top, r.left + w, r.top + ht});
    return true;
  }
  if (EqualsNoCase(name, "ClientWidth") || EqualsNoCase(name, "ClientHeight")) {
    if (!parse_int(value, n)) return false;
    if (!c.is_form()) return true;
    RECT client;
    GetClientRect(h, &client);
    if (EqualsNoCase(name, "ClientWidth")) client.right = static_cast<int>(n);
    else client.bottom = static_cast<int>(n);
    AdjustWindowRectEx(&client, GetWindowLongA(h, GWL_STYLE), FALSE, GetWindowLongA(h, GWL_EXSTYLE));
    RECT w;
    GetWindowRect(h, &w);
    MoveWindow(h, w.left, w.top, client.right - client.left, client.bottom - client.top, TRUE);
    return true;
  }
  if (EqualsNoCase(name, "Checked")) {
    if (!parse_bool(value, b)) return false;
    if (k != Kind::CheckBox && k != Kind::RadioButton) return true;
    SendMessageA(h, BM_SETCHECK, b ? BST_CHECKED : BST_UNCHECKED, 0);
    if (b && k == Kind::RadioButton && c.parent()) {
      for (Component* s : c.parent()->children())
        if (s != &c && kind_of(*s) == Kind::RadioButton && s->hwnd()) {
          SendMessageA(s->hwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
          store(*s, "Checked", "False");
        }
    }
    return true;
  }
  if (EqualsNoCase(name, "State")) {
    if (k != Kind::CheckBox) return true;
    WPARAM s = EqualsNoCase(value, "cbChecked") ? BST_CHECKED : EqualsNoCase(value, "cbGrayed") ? BST_INDETERMINATE : BST_UNCHECKED;
    SendMessageA(h, BM_SETCHECK, s, 0);
    return true;
  }
  if (EqualsNoCase(name, "MaxLength")) {
    if (!parse_int(value, n)) return false;
    if (k == Kind::Edit || k == Kind::Memo || k == Kind::RichEdit)
      SendMessageA(h, k == Kind::RichEdit ? EM_EXLIMITTEXT : EM_LIMITTEXT, 0, n > 0 && n < 0x7FFFFFFE ? n : 0);
    return true;
  }
  if (EqualsNoCase(name, "ReadOnly")) {
    if (!parse_bool(value, b)) return false;
    if (k == Kind::Edit || k == Kind::Memo || k == Kind::RichEdit) SendMessageA(h, EM_SETREADONLY, b, 0);
    return true;
  }
  if (EqualsNoCase(name, "PasswordChar")) {
    if (k == Kind::Edit) SendMessageA(h, EM_SETPASSWORDCHAR, value.empty() || value == "#0" ? 0 : value[0], 0);
    return true;
  }
  if (EqualsNoCase(name, "Color") || EqualsNoCase(name, "ParentColor")) {
    if (EqualsNoCase(name, "Color") && !parse_form_color(value)) return false;
    if (k == Kind::RichEdit) SendMessageA(h, EM_SETBKGNDCOLOR, 0, background_color(c));
    if (k == Kind::TreeView || k == Kind::ShellTree) TreeView_SetBkColor(h, background_color(c));
    if (k == Kind::CheckListBox || k == Kind::ShellList) {
      ListView_SetBkColor(h, background_color(c));
      ListView_SetTextBkColor(h, background_color(c));
    }
    if (k == Kind::ProgressBar || k == Kind::Gauge) SendMessageA(h, PBM_SETBKCOLOR, 0, background_color(c));
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return true;
  }
  if (name.size() > 5 && EqualsNoCase(name.substr(0, 5), "Font.")) {
    if (EqualsNoCase(name, "Font.Color") && !parse_form_color(value)) return false;
    rebuild_font_tree(c);
    autosize(c);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return true;
  }
  if (EqualsNoCase(name, "ParentFont")) {
    rebuild_font_tree(c);
    return true;
  }
  if (EqualsNoCase(name, "Position") || EqualsNoCase(name, "Progress") || EqualsNoCase(name, "Min") ||
      EqualsNoCase(name, "Max") || EqualsNoCase(name, "MinValue") || EqualsNoCase(name, "MaxValue")) {
    if (!parse_int(value, n)) return false;
    if (k == Kind::ProgressBar || k == Kind::Gauge) {
      int lo = stored_int(c, k == Kind::Gauge ? "MinValue" : "Min", 0);
      int hi = stored_int(c, k == Kind::Gauge ? "MaxValue" : "Max", 100);
      SendMessageA(h, PBM_SETRANGE32, lo, hi);
      SendMessageA(h, PBM_SETPOS, stored_int(c, k == Kind::Gauge ? "Progress" : "Position", 0), 0);
    } else if (k == Kind::TrackBar) {
      SendMessageA(h, TBM_SETRANGEMIN, FALSE, stored_int(c, "Min", 0));
      SendMessageA(h, TBM_SETRANGEMAX, FALSE, stored_int(c, "Max", 10));
      SendMessageA(h, TBM_SETPOS, TRUE, stored_int(c, "Position", 0));
    } else if (k == Kind::UpDown) {
      SendMessageA(h, UDM_SETRANGE32, stored_int(c, "Min", 0), stored_int(c, "Max", 100));
      SendMessageA(h, UDM_SETPOS32, 0, stored_int(c, "Position", 0));
    }
    return true;
  }
  if (EqualsNoCase(name, "Associate")) {
    if (k == Kind::UpDown)
      if (Component* buddy = c.form().find(value); buddy && buddy->hwnd())
        SendMessageA(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy->hwnd()), 0);
    return true;
  }
  if (EqualsNoCase(name, "ItemIndex") || EqualsNoCase(name, "TabIndex")) {
    if (!parse_int(value, n)) return false;
    if (is_listbox(k)) SendMessageA(h, LB_SETCURSEL, n, 0);
    if (is_combo(k)) SendMessageA(h, CB_SETCURSEL, n, 0);
    if (k == Kind::CheckListBox) ListView_SetItemState(h, static_cast<int>(n), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (k == Kind::PageControl) select_tab(c, static_cast<int>(n));
    return true;
  }
  if (EqualsNoCase(name, "ActivePage")) {
    if (k != Kind::PageControl) return true;
    int i = 0;
    for (Component* s : c.children()) {
      if (kind_of(*s) != Kind::TabSheet) continue;
      if (EqualsNoCase(s->name(), value)) {
        select_tab(c, i);
        return true;
      }
      ++i;
    }
    return false;
  }
  if (EqualsNoCase(name, "Default")) {
    if (!parse_bool(value, b)) return false;
    if (k == Kind::Button) SendMessageA(h, BM_SETSTYLE, b ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    return true;
  }
  if (EqualsNoCase(name, "FileName") && k == Kind::Animate) {
    std::string f(value);
    SendMessageA(h, ACM_OPENA, 0, reinterpret_cast<LPARAM>(f.c_str()));
    return true;
  }
  if (EqualsNoCase(name, "Picture") || EqualsNoCase(name, "Picture.FileName")) {
    if (k != Kind::Image) return false;
    return load_picture_file(c, std::string(value));
  }
  // Everything else changes how a graphic control paints, or is data only.
  if (is_graphic(k) || k == Kind::Panel || k == Kind::GroupBox) {
    if (EqualsNoCase(name, "AutoSize") || EqualsNoCase(name, "WordWrap")) autosize(c);
    InvalidateRect(h, nullptr, TRUE);
  }
  return true;
}

}  // namespace detail

using namespace detail;

namespace {

bool live_bool(bool b) { return b; }
std::string bool_text(bool b) { return b ? "True" : "False"; }

// Properties every component class publishes, with their default text.
struct Default {
  const char* name;
  const char* value;
};
constexpr Default kCommon[] = {{"Tag", "0"}, {"Hint", ""}, {"ShowHint", "False"}, {"Cursor", "crDefault"}};
constexpr Default kControl[] = {{"Enabled", "True"}, {"Visible", "True"}, {"ParentFont", "True"},
                                {"Align", "alNone"},  {"Anchors", "[akLeft,akTop]"}};

const char* default_text(Kind k, std::string_view name) {
  for (const Default& d : kCommon)
    if (EqualsNoCase(d.name, name)) return d.value;
  if (k == Kind::NonVisual) return nullptr;
  for (const Default& d : kControl)
    if (EqualsNoCase(d.name, name)) return d.value;
  auto is = [&](const char* n) { return EqualsNoCase(n, name); };
  if (has_caption(k) && is("Caption")) return "";
  if (has_text(k) && is("Text")) return "";
  if ((k == Kind::Edit || k == Kind::Memo || k == Kind::RichEdit || k == Kind::ComboBox) && is("MaxLength"))
    return "0";
  if ((k == Kind::Edit || k == Kind::Memo || k == Kind::RichEdit) && is("ReadOnly")) return "False";
  if ((k == Kind::CheckBox || k == Kind::RadioButton) && is("Checked")) return "False";
  if ((k == Kind::ProgressBar || k == Kind::TrackBar || k == Kind::UpDown) && (is("Position") || is("Min")))
    return "0";
  if ((k == Kind::ProgressBar || k == Kind::UpDown) && is("Max")) return "100";
  if (k == Kind::TrackBar && is("Max")) return "10";
  if (k == Kind::Gauge && (is("Progress") || is("MinValue"))) return "0";
  if (k == Kind::Gauge && is("MaxValue")) return "100";
  if ((k == Kind::ListBox || k == Kind::ComboBox || k == Kind::CheckListBox || k == Kind::FileListBox ||
       k == Kind::DirectoryListBox) && (is("ItemIndex") || is("Items")))
    return is("ItemIndex") ? "-1" : "";
  if ((k == Kind::Memo || k == Kind::RichEdit) && is("Lines")) return "";
  if ((k == Kind::Memo || k == Kind::RichEdit || k == Kind::Label) && is("WordWrap"))
    return k == Kind::Label ? "False" : "True";
  if (k == Kind::Label && (is("AutoSize") || is("ShowAccelChar"))) return "True";
  if (k == Kind::Label && is("Transparent")) return "False";
  if (k == Kind::Image && (is("Stretch") || is("Center") || is("Proportional") || is("AutoSize") || is("Transparent")))
    return "False";
  if (k != Kind::Form && !is_graphic(k) && (is("TabOrder") || is("TabStop")))
    return is("TabOrder") ? "-1" : "True";
  if (k == Kind::Button && (is("Default") || is("Cancel"))) return "False";
  if (k == Kind::PageControl && is("ActivePage")) return "";
  if (is("Color")) return "clBtnFace";
  if (k == Kind::Form && (is("ClientWidth") || is("ClientHeight"))) return "0";
  return nullptr;
}

}  // namespace

std::optional<std::string> get_property(const Component& c, std::string_view name) {
  HWND h = c.hwnd();
  Kind k = kind_of(c);
  if (EqualsNoCase(name, "Name")) return c.name();
  if (h) {
    if ((EqualsNoCase(name, "Caption") && has_caption(k)) || (EqualsNoCase(name, "Text") && has_text(k))) {
      if (k == Kind::Form || k != Kind::TabSheet) return window_text(h);
    }
    if ((EqualsNoCase(name, "Lines") || EqualsNoCase(name, "Lines.Text")) &&
        (k == Kind::Memo || k == Kind::RichEdit || k == Kind::HtmlViewer))
      return window_text(h);
    if (EqualsNoCase(name, "Enabled")) return bool_text(IsWindowEnabled(h));
    if (EqualsNoCase(name, "Visible")) return bool_text((GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0 ||
                                                        (c.is_form() ? false : stored_bool(c, "Visible", true) && k == Kind::TabSheet));
    if (EqualsNoCase(name, "Checked") && (k == Kind::CheckBox || k == Kind::RadioButton))
      return bool_text(SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED);
    if (EqualsNoCase(name, "ReadOnly") && (k == Kind::Edit || k == Kind::Memo || k == Kind::RichEdit))
      return bool_text((GetWindowLongA(h, GWL_STYLE) & ES_READONLY) != 0);
    if (is_position_property(name) || EqualsNoCase(name, "ClientWidth") || EqualsNoCase(name, "ClientHeight")) {
      RECT r;
      if (EqualsNoCase(name, "ClientWidth") || EqualsNoCase(name, "ClientHeight")) {
        GetClientRect(h, &r);
        return std::to_string(EqualsNoCase(name, "ClientWidth") ? r.right : r.bottom);
      }
      GetWindowRect(h, &r);
      if (!c.is_form()) MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
      if (EqualsNoCase(name, "Left")) return std::to_string(r.left);
      if (EqualsNoCase(name, "Top")) return std::to_string(r.top);
      if (EqualsNoCase(name, "Width")) return std::to_string(r.right - r.left);
      if (is_combo(k)) return std::to_string(c.designed.bottom - c.designed.top);
      return std::to_string(r.bottom - r.top);
    }
    if (EqualsNoCase(name, "ItemIndex")) {
      if (is_listbox(k)) return std::to_string(static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0)));
      if (is_combo(k)) return std::to_string(static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0)));
      if (k == Kind::CheckListBox) return std::to_string(ListView_GetNextItem(h, -1, LVNI_SELECTED));
    }
    if (EqualsNoCase(name, "Position")) {
      if (k == Kind::ProgressBar) return std::to_string(static_cast<int>(SendMessageA(h, PBM_GETPOS, 0, 0)));
      if (k == Kind::TrackBar) return std::to_string(static_cast<int>(SendMessageA(h, TBM_GETPOS, 0, 0)));
      if (k == Kind::UpDown) return std::to_string(static_cast<int>(SendMessageA(h, UDM_GETPOS32, 0, 0)));
    }
    if (EqualsNoCase(name, "Progress") && k == Kind::Gauge)
      return std::to_string(static_cast<int>(SendMessageA(h, PBM_GETPOS, 0, 0)));
    if ((EqualsNoCase(name, "Items") || EqualsNoCase(name, "Items.Text")) &&
        (is_listbox(k) || is_combo(k) || k == Kind::CheckListBox)) {
      std::string out;
      for (const std::string& item : get_items(c)) {
        out += item;
        out += "\r\n";
      }
      return out;
    }
    if (EqualsNoCase(name, "TabIndex") && k == Kind::PageControl) return std::to_string(TabCtrl_GetCurSel(h));
    if (EqualsNoCase(name, "ActivePage") && k == Kind::PageControl) {
      int want = TabCtrl_GetCurSel(h), i = 0;
      for (Component* s : c.children()) {
        if (kind_of(*s) != Kind::TabSheet) continue;
        if (i++ == want) return s->name();
      }
      return std::string();
    }
  }
  if (const std::string* s = stored(c, name)) return *s;
  if (const char* d = default_text(k, name)) return std::string(d);
  (void)live_bool;
  return std::nullopt;
}

bool set_property(Component& c, std::string_view name, std::string_view value) {
  if (EqualsNoCase(name, "Name")) return false;
  if (!stored(c, name) && !default_text(kind_of(c), name) && !EqualsNoCase(name, "Picture") &&
      !(name.size() > 5 && EqualsNoCase(name.substr(0, 5), "Font.")) && !EqualsNoCase(name, "Lines.Text") &&
      !EqualsNoCase(name, "Items.Text") && !EqualsNoCase(name, "Left") && !EqualsNoCase(name, "Top") &&
      !EqualsNoCase(name, "Width") && !EqualsNoCase(name, "Height"))
    return false;
  // Validate before storing, so that a refused value leaves the old one.
  std::string previous;
  const std::string* old = stored(c, name);
  bool had = old != nullptr;
  if (had) previous = *old;
  store(c, name, value);
  if (!apply_property(c, name, value)) {
    if (had) store(c, name, previous);
    else
      c.properties.pop_back();
    return false;
  }
  return true;
}

std::vector<std::string> get_items(const Component& c) {
  std::vector<std::string> out;
  HWND h = c.hwnd();
  Kind k = kind_of(c);
  if (!h) return out;
  char buffer[4096];
  if (is_listbox(k)) {
    int n = static_cast<int>(SendMessageA(h, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      int len = static_cast<int>(SendMessageA(h, LB_GETTEXTLEN, i, 0));
      std::string s(len + 1, '\0');
      SendMessageA(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
      s.resize(len);
      out.push_back(s);
    }
  } else if (is_combo(k)) {
    int n = static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      int len = static_cast<int>(SendMessageA(h, CB_GETLBTEXTLEN, i, 0));
      std::string s(len + 1, '\0');
      SendMessageA(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(s.data()));
      s.resize(len);
      out.push_back(s);
    }
  } else if (k == Kind::CheckListBox) {
    int n = ListView_GetItemCount(h);
    for (int i = 0; i < n; ++i) {
      buffer[0] = 0;
      ListView_GetItemText(h, i, 0, buffer, sizeof buffer);
      out.emplace_back(buffer);
    }
  }
  return out;
}

void set_items(Component& c, const std::vector<std::string>& items) {
  HWND h = c.hwnd();
  Kind k = kind_of(c);
  if (!h) return;
  if (is_listbox(k)) {
    SendMessageA(h, LB_RESETCONTENT, 0, 0);
    for (const std::string& s : items) SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  } else if (is_combo(k)) {
    SendMessageA(h, CB_RESETCONTENT, 0, 0);
    for (const std::string& s : items) SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  } else if (k == Kind::CheckListBox) {
    ListView_DeleteAllItems(h);
    int i = 0;
    for (const std::string& s : items) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = i++;
      item.pszText = const_cast<char*>(s.c_str());
      ListView_InsertItem(h, &item);
    }
  }
}

std::vector<int> selected_items(const Component& c) {
  std::vector<int> out;
  HWND h = c.hwnd();
  Kind k = kind_of(c);
  if (!h) return out;
  if (is_listbox(k)) {
    LONG style = GetWindowLongA(h, GWL_STYLE);
    if (style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) {
      int n = static_cast<int>(SendMessageA(h, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < n; ++i)
        if (SendMessageA(h, LB_GETSEL, i, 0) > 0) out.push_back(i);
    } else if (int i = static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0)); i >= 0) {
      out.push_back(i);
    }
  } else if (is_combo(k)) {
    if (int i = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0)); i >= 0) out.push_back(i);
  } else if (k == Kind::CheckListBox) {
    for (int i = ListView_GetNextItem(h, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(h, i, LVNI_SELECTED))
      out.push_back(i);
  }
  return out;
}

void set_item_selected(Component& c, int index, bool selected) {
  HWND h = c.hwnd();
  Kind k = kind_of(c);
  if (!h) return;
  if (is_listbox(k)) {
    if (GetWindowLongA(h, GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL))
      SendMessageA(h, LB_SETSEL, selected, index);
    else
      SendMessageA(h, LB_SETCURSEL, selected ? index : -1, 0);
  } else if (is_combo(k)) {
    SendMessageA(h, CB_SETCURSEL, selected ? index : -1, 0);
  } else if (k == Kind::CheckListBox) {
    ListView_SetItemState(h, index, selected ? LVIS_SELECTED | LVIS_FOCUSED : 0, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

bool item_checked(const Component& c, int index) {
  return c.hwnd() && kind_of(c) == Kind::CheckListBox && ListView_GetCheckState(c.hwnd(), index);
}

void set_item_checked(Component& c, int index, bool checked) {
  if (c.hwnd() && kind_of(c) == Kind::CheckListBox) ListView_SetCheckState(c.hwnd(), index, checked);
}

}  // namespace qel::wizard
