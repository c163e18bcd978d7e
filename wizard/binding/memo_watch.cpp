// Memos and rich edits: support documents, automatic scroll bars, and the
// scroll watch that tells the page's rules when the reader reached the end.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "engine/variables.h"
#include "wizard/binding/binding_internal.h"
#include "wizard/binding/binding_text.h"
#include "wizard/binding/scroll_rules.h"
#include "wizard/binding/support_documents.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard::binding::detail {

namespace {

constexpr UINT_PTR kScrollWatchId = 0x514557;
constexpr long long kDocumentMaxLength = 1048576;

struct RtfSource {
  const std::string* text;
  size_t offset;
};

DWORD CALLBACK rtf_read(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* src = reinterpret_cast<RtfSource*>(cookie);
  size_t n = std::min(static_cast<size_t>(size), src->text->size() - src->offset);
  memcpy(buffer, src->text->data() + src->offset, n);
  src->offset += n;
  *done = static_cast<LONG>(n);
  return 0;
}

bool ends_with_no_case(const std::string& s, const char* suffix) {
  size_t n = strlen(suffix);
  return s.size() >= n && _stricmp(s.c_str() + s.size() - n, suffix) == 0;
}

long long max_length(const Component& c) {
  long long n = 0;
  return qel::wizard::detail::parse_int(get_property(c, "MaxLength").value_or("0"), n) ? n : 0;
}

// Reached the end: the signal the rules test.
void check_end(TPoolTemplate& page, Component& c) {
  if (max_length(c) == kReadToEndLength) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(c.hwnd(), SB_VERT, &si)) si = SCROLLINFO{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  if (!EndVisible(si.nMax, si.nPos, si.nPage)) return;
  set_property(c, "MaxLength", std::to_string(kReadToEndLength));
  evaluate_rules(page);
}

LRESULT CALLBACK scroll_watch_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  LRESULT r = DefSubclassProc(h, msg, wp, lp);
  if (msg == WM_KEYDOWN || msg == WM_VSCROLL || msg == WM_MOUSEWHEEL) {
    auto* page = reinterpret_cast<TPoolTemplate*>(data);
    if (Component* c = page->form().from_hwnd(h)) check_end(*page, *c);
  }
  return r;
}

}  // namespace

ScrollBars scroll_bars_of(const Component& c) {
  LONG style = c.hwnd() ? GetWindowLongA(c.hwnd(), GWL_STYLE) : 0;
  bool h = style & WS_HSCROLL, v = style & WS_VSCROLL;
  return h && v ? ScrollBars::Both : h ? ScrollBars::Horizontal : v ? ScrollBars::Vertical : ScrollBars::None;
}

void set_scroll_bars(Component& c, ScrollBars bars) {
  static const char* const kNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
  qel::wizard::detail::store(c, "ScrollBars", kNames[static_cast<int>(bars)]);
  if (!c.hwnd()) return;
  LONG style = GetWindowLongA(c.hwnd(), GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL);
  if (bars == ScrollBars::Horizontal || bars == ScrollBars::Both) style |= WS_HSCROLL;
  if (bars == ScrollBars::Vertical || bars == ScrollBars::Both) style |= WS_VSCROLL;
  SetWindowLongA(c.hwnd(), GWL_STYLE, style);
  SetWindowPos(c.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void apply_automatic_scroll_bars(Component& memo) {
  HWND h = memo.hwnd();
  if (!h) return;
  MemoMeasure m;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, memo.font ? memo.font : GetStockObject(DEFAULT_GUI_FONT));
  static const char kSample[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32A(dc, kSample, 62, &size);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  m.average_char_width = size.cx / 62;
  m.line_height = size.cy;
  m.word_wrap = qel::wizard::detail::stored_bool(memo, "WordWrap", true);
  for (const std::string& line : NonEmptyLines(window_text(h)))
    m.longest_line_chars = std::max(m.longest_line_chars, static_cast<int>(line.size()));
  m.line_count = static_cast<int>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
  ScrollBars previous = scroll_bars_of(memo);
  set_scroll_bars(memo, ScrollBars::Both);
  RECT client{};
  GetClientRect(h, &client);
  m.client_width = client.right;
  m.client_height = client.bottom;
  set_scroll_bars(memo, AutomaticScrollBars(previous, m));
}

void load_support_document(TPoolTemplate& page, Component& c, int tag) {
  Document document = c.info->kind == Kind::HtmlViewer ? Document::Index : tag == 2 ? Document::Licence : Document::Readme;
  Viewer viewer = c.info->kind == Kind::RichEdit ? Viewer::RichEdit : c.info->kind == Kind::HtmlViewer ? Viewer::Html : Viewer::Memo;
  std::string language = binding_services().active_language ? binding_services().active_language() : "";
  if (viewer != Viewer::Html && max_length(c) < kDocumentMaxLength)
    set_property(c, "MaxLength", std::to_string(kDocumentMaxLength));
  for (const std::string& path : DocumentCandidates(support_folder(), document, viewer, language)) {
    bool ok = false;
    std::string data = read_file(path, ok);
    if (!ok) continue;
    if (viewer == Viewer::RichEdit && ends_with_no_case(path, ".rtf")) {
      RtfSource src{&data, 0};
      EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, rtf_read};
      SendMessageA(c.hwnd(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    } else {
      set_property(c, "Lines", data);
    }
    (void)page;
    return;
  }
  set_property(c, "Lines", MissingDocumentNotice(document, viewer, language));
}

void start_scroll_watch(TPoolTemplate& page, Component& c) {
  PageState& state = state_of(page);
  bool rich = c.info->kind == Kind::RichEdit;
  Component*& slot = rich ? state.watched_rich : state.watched_memo;
  if (slot || !c.hwnd() || get_property(c, "ReadOnly").value_or("") != "True") return;
  slot = &c;
  SetWindowSubclass(c.hwnd(), scroll_watch_proc, kScrollWatchId, reinterpret_cast<DWORD_PTR>(&page));
  // Without a vertical bar, or when everything already shows, the end is visible now.
  if (!(GetWindowLongA(c.hwnd(), GWL_STYLE) & WS_VSCROLL)) {
    set_property(c, "MaxLength", std::to_string(kReadToEndLength));
    return;
  }
  check_end(page, c);
}

void stop_scroll_watch(TPoolTemplate& page) {
  PageState& state = state_of(page);
  for (Component* c : {state.watched_memo, state.watched_rich})
    if (c && c->hwnd()) RemoveWindowSubclass(c->hwnd(), scroll_watch_proc, kScrollWatchId);
  state.watched_memo = state.watched_rich = nullptr;
}

}  // namespace qel::wizard::binding::detail
