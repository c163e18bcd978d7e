#include "wizard/dialog_host.h"

#include <windowsx.h>

#include <dwmapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include <fstream>

#include "engine/ascii.h"
#include "engine/comma_text.h"
#include "engine/variables.h"
#include "wizard/control_classes.h"
#include "wizard/form_layout.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard {

namespace {

std::string current_directory() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// Restores the working directory when a scope ends, if it still exists.
class DirectoryScope {
 public:
  explicit DirectoryScope(const std::string& enter) : saved_(current_directory()) {
    if (!enter.empty()) SetCurrentDirectoryA(enter.c_str());
  }
  ~DirectoryScope() {
    if (!saved_.empty() && GetFileAttributesA(saved_.c_str()) != INVALID_FILE_ATTRIBUTES) SetCurrentDirectoryA(saved_.c_str());
  }

 private:
  std::string saved_;
};

std::string folder_of(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string file_name_of(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void process_pending_messages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool composition_enabled() {
  BOOL on = FALSE;
  return SUCCEEDED(DwmIsCompositionEnabled(&on)) && on;
}

bool vista_or_later() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&v);
#pragma GCC diagnostic pop
  return v.dwMajorVersion >= 6;
}

std::string shell_browse_folder(HWND owner) {
  char display[MAX_PATH] = {};
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  CoInitialize(nullptr);
  LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
  if (!pidl) return {};
  char path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListA(pidl, path);
  CoTaskMemFree(pidl);
  return ok ? std::string(path) : std::string();
}

bool clickable(const Component& c) {
  switch (c.info->kind) {
    case Kind::Label: case Kind::Button: case Kind::Image: case Kind::Shape:
      return true;
    default:
      return false;
  }
}

}  // namespace

TPoolTemplate::TPoolTemplate(std::unique_ptr<Form> form, std::string dialog_file_name) : form_(std::move(form)) {
  form_->root().properties.push_back({"Hint", std::move(dialog_file_name)});
  form_->set_message_hook([this](HWND h, UINT m, WPARAM w, LPARAM l) { return on_message(h, m, w, l); });
  form_->set_event_sink([this](Component& c, std::string_view e) { on_event(c, e); });
}

void TPoolTemplate::on_event(Component& c, std::string_view event) {
  DialogHost& host = dialog_host();
  bool click = event == "OnClick" && clickable(c) && c.info->kind != Kind::Shape;
  bool shape_up = event == "OnMouseUp" && c.info->kind == Kind::Shape;
  if (click || shape_up) {
    // Labels, glow labels and the other graphic kinds hand an empty browse result on.
    bool pass_empty = c.info->kind != Kind::Button || EqualsNoCase(c.class_name(), "TBitBtn") ||
                      EqualsNoCase(c.class_name(), "TSpeedButton");
    navigate(c, pass_empty);
  }
  if (!host.events_suspended && host.hooks.event) host.hooks.event(*this, c, event);
}

void TPoolTemplate::navigate(Component& control, bool pass_empty_browse) {
  DialogHost& host = dialog_host();
  outcome = kOutcomePending;
  if (host.events_suspended) return;
  int tag = control.tag();
  switch (tag) {
    case 1:
      outcome = kOutcomeNext;
      break;
    case 2:
      outcome = kOutcomeBack;
      break;
    case 3: {
      if (host.hooks.taskbar_paused) host.hooks.taskbar_paused(true);
      std::string caption = host.hooks.setup_caption ? host.hooks.setup_caption() : variables().Get("TITLE");
      std::string question = host.hooks.cancel_question ? host.hooks.cancel_question()
                                                        : std::string("Are you sure you want to cancel the setup?");
      int answer = MessageBoxA(hwnd(), question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
      if (answer == IDYES) {
        variables().Assign("OXLE_IsCancelled", "TRUE", kContextShowDesign);
        if (control.hwnd()) EnableWindow(control.hwnd(), FALSE);
        if (!worker_started) outcome = kOutcomeCancel;
      }
      if (host.hooks.taskbar_paused) host.hooks.taskbar_paused(false);
      break;
    }
    case 4: {
      if (host.hooks.taskbar_paused) host.hooks.taskbar_paused(true);
      std::string folder = host.hooks.browse_folder ? host.hooks.browse_folder(hwnd()) : shell_browse_folder(hwnd());
      if (host.hooks.taskbar_paused) host.hooks.taskbar_paused(false);
      if (folder.empty() && !pass_empty_browse) break;
      if (host.hooks.browse_target_folder) {
        host.hooks.browse_target_folder(*this, folder);
      } else if (!folder.empty()) {
        for (Component* c : form().components())
          if (EqualsNoCase(c->class_name(), "TEdit") && c->tag() == 2) set_property(*c, "Text", folder);
      }
      break;
    }
    case 5:
      outcome = kOutcomeNamed;
      outcome_name = control.name();
      break;
    case 6: {
      std::string folder = host.hooks.browse_folder ? host.hooks.browse_folder(hwnd()) : shell_browse_folder(hwnd());
      if (!folder.empty()) {
        if (folder.back() != '\\') folder += '\\';
        variables().Assign(ToUpperAscii(control.name()), folder, "SetCustomDirectoryEditText");
        if (host.hooks.refresh) host.hooks.refresh(*this);
      }
      break;
    }
    default:
      break;
  }
  if (host.hooks.evaluate_rules) host.hooks.evaluate_rules(*this);
}

std::optional<LRESULT> TPoolTemplate::on_message(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp) on_show();
      return std::nullopt;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_CLOSE && !may_hide) return 0;
      return std::nullopt;
    case WM_CLOSE:
      if (may_hide) {
        ShowWindow(h, SW_HIDE);
      } else {
        // Close refused: the page comes back to the front instead.
        if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
        SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(h);
      }
      return 0;
    case WM_ACTIVATE:
      InvalidateRect(h, nullptr, FALSE);
      return std::nullopt;
    case WM_NCHITTEST:
      if (glass_fallback) {
        LRESULT hit = DefWindowProcA(h, msg, wp, lp);
        if (hit == HTCLIENT) {
          POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
          ScreenToClient(h, &p);
          int top = detail::stored_int(form().root(), "GlassFrame.Top", 0);
          bool sheet = detail::stored_bool(form().root(), "GlassFrame.SheetOfGlass", false);
          if (sheet || p.y < top) return HTCAPTION;
        }
        return hit;
      }
      return std::nullopt;
    case WM_PAINT:
      if (glass_fallback || separator_top > 0) {
        LRESULT r = DefWindowProcA(h, msg, wp, lp);
        HDC dc = GetDC(h);
        RECT client;
        GetClientRect(h, &client);
        if (glass_fallback && separator_top > 0) {
          RECT band = client;
          band.bottom = separator_top;
          bool active = GetForegroundWindow() == h;
          HBRUSH b = CreateSolidBrush(GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION));
          FillRect(dc, &band, b);
          DeleteObject(b);
        }
        if (separator_top > 0) {
          RECT line{0, separator_top, client.right, separator_top + 1};
          HBRUSH b = CreateSolidBrush(separator_color);
          FillRect(dc, &line, b);
          DeleteObject(b);
        }
        ReleaseDC(h, dc);
        return r;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

// Grey Close, folder auto-completion, glass (or its fallback), once per show.
void TPoolTemplate::on_show() {
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (menu) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  if (dialog_host().hooks.shown) dialog_host().hooks.shown(*this);
  for (Component* c : form().components()) {
    if (!EqualsNoCase(c->class_name(), "TEdit") || !c->hwnd()) continue;
    std::string hint = get_property(*c, "Hint").value_or("");
    if (c->tag() == 2 || (c->tag() == 100 && form().find(hint))) SHAutoComplete(c->hwnd(), SHACF_FILESYS_DIRS);
  }
  Component& root = form().root();
  bool wants_glass = detail::stored_bool(root, "GlassFrame.Enabled", false);
  if (!wants_glass || glass_applied) return;
  glass_applied = true;
  int dpi = form().screen_dpi();
  for (const char* margin : {"GlassFrame.Bottom", "GlassFrame.Top", "GlassFrame.Left", "GlassFrame.Right"}) {
    int v = detail::stored_int(root, margin, 0);
    detail::store(root, margin, std::to_string(scale_value(v, dpi, 96)));
  }
  if (vista_or_later() && composition_enabled()) {
    MARGINS m{detail::stored_int(root, "GlassFrame.Left", 0), detail::stored_int(root, "GlassFrame.Right", 0),
              detail::stored_int(root, "GlassFrame.Top", 0), detail::stored_int(root, "GlassFrame.Bottom", 0)};
    if (detail::stored_bool(root, "GlassFrame.SheetOfGlass", false)) m = MARGINS{-1, -1, -1, -1};
    DwmExtendFrameIntoClientArea(hwnd(), &m);
    return;
  }
  bool themes = vista_or_later() && IsThemeActive();
  glass_fallback = themes;
  if (!themes) {
    auto color = parse_form_color(get_property(root, "Color").value_or(""));
    if (color && !color->system && color->value == 0xFFFFFF) set_property(root, "Color", "clBtnFace");
  }
  // A one-pixel line across the form under the glass band, painted by the page.
  separator_top = detail::stored_int(root, "GlassFrame.Top", 0);
  separator_color = themes ? 14073769 : 14671839;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

DialogHost& dialog_host() {
  static DialogHost host;
  return host;
}

bool DialogHost::silent() const { return hooks.silent ? hooks.silent() : variables().Silent(); }

void DialogHost::prepare(const std::string& support_folder) {
  folder_ = support_folder;
  if (!folder_.empty() && folder_.back() != '\\') folder_ += '\\';
  recenter_next_ = true;
  table_.clear();
  shown_key_.clear();
  current_ = nullptr;
  variables().Assign("OXLE_IsCancelled", "FALSE", kContextShowDesign);
}

DialogHost::Entry* DialogHost::find(const std::string& key) {
  std::string upper = ToUpperAscii(key);
  for (Entry& e : table_)
    if (e.key == upper) return &e;
  return nullptr;
}

TPoolTemplate* DialogHost::dialog(const std::string& key) {
  Entry* e = find(key);
  return e ? e->page.get() : nullptr;
}

HWND DialogHost::load_dialog(const std::string& key, const std::string& path) {
  DirectoryScope scope(folder_of(path));
  Entry* entry = find(key);
  if (!entry) {
    table_.push_back({ToUpperAscii(key), nullptr});
    entry = &table_.back();
  } else if (entry->page) {
    ShowWindow(entry->page->hwnd(), SW_HIDE);
    if (current_ == entry->page.get()) current_ = nullptr;
    entry->page.reset();
    process_pending_messages();
  }
  FormOptions options;
  options.extra_ex_style = WS_EX_APPWINDOW;  // each page has its own taskbar button
  size_t count = 0;
  const ClassInfo* classes = registered_classes(count);
  for (size_t i = 0; i < count; ++i) options.allowed_classes.emplace_back(classes[i].name);
  SetErrorMode(SEM_FAILCRITICALERRORS);
  auto page = std::make_unique<TPoolTemplate>(Form::load_file(path, options), file_name_of(path));
  std::ifstream rules(path + ".qelf", std::ios::binary);
  if (!rules) throw FormError("cannot read the rules file " + path + ".qelf");
  std::vector<std::string> lines;
  for (std::string line; std::getline(rules, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  page->rules_text = JoinCommaText(lines);
  entry = find(key);  // the table may have moved
  entry->page = std::move(page);
  return entry->page->hwnd();
}

void DialogHost::make_visible(TPoolTemplate& page) {
  page.may_hide = false;
  ShowWindow(page.hwnd(), SW_SHOW);
  SetForegroundWindow(page.hwnd());
  process_pending_messages();
  if (current_ && current_ != &page) {
    current_->may_hide = true;
    ShowWindow(current_->hwnd(), SW_HIDE);
    if (current_window_ && current_window_ != page.hwnd()) ShowWindow(current_window_, SW_HIDE);
    if (last_unbound_window && last_unbound_window != page.hwnd()) ShowWindow(last_unbound_window, SW_HIDE);
    process_pending_messages();
  }
  current_ = &page;
  current_window_ = page.hwnd();
  ShowWindow(page.hwnd(), SW_SHOW);
}

intptr_t DialogHost::show_dialog(const std::string& key, std::string& outcome_name, bool modal, bool drive_worker) {
  variables().Assign("OXLE_IsCancelled", "FALSE", kContextShowDesign);
  DirectoryScope scope(folder_);
  shown_key_ = key;
  if (silent()) {
    if (drive_worker && hooks.run_worker) hooks.run_worker();
    shown_key_.clear();
    return kOutcomeNext;
  }
  TPoolTemplate* page = dialog(key);
  if (!page) {
    shown_key_.clear();
    return modal ? kOutcomeNext : 0;
  }
  HWND h = page->hwnd();
  RECT r;
  GetWindowRect(h, &r);
  int w = r.right - r.left, ht = r.bottom - r.top;
  if (!recenter_next_ && (w != last_place_.right || ht != last_place_.bottom)) recenter_next_ = true;
  if (recenter_next_) {
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - ht) / 2;
    SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    last_place_.right = w;
    last_place_.bottom = ht;
  } else {
    SetWindowPos(h, nullptr, last_place_.left, last_place_.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  recenter_next_ = false;
  variables().Assign("OXLE_IsCancelled", "FALSE", kContextShowDesign);
  page->non_modal = !modal;
  intptr_t result;
  if (modal) {
    if (drive_worker) page->worker_dialog = true;
    page->outcome = kOutcomePending;
    make_visible(*page);
    MSG msg;
    while (page->outcome == kOutcomePending) {
      BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0 || got == -1) {
        // The process is ending: leave the wait as a cancel rather than spin.
        PostQuitMessage(static_cast<int>(msg.wParam));
        page->outcome = kOutcomeCancel;
        break;
      }
      if (IsDialogMessageA(h, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (page->outcome != kOutcomeNamed) page->outcome_name.clear();
    outcome_name = page->outcome_name;
    shown_key_.clear();
    result = page->outcome;
  } else {
    result = reinterpret_cast<intptr_t>(h);
    make_visible(*page);
  }
  GetWindowRect(h, &r);
  last_place_.left = r.left;
  last_place_.top = r.top;
  return result;
}

void DialogHost::hide_current() {
  TPoolTemplate* page = shown_key_.empty() ? current_ : dialog(shown_key_);
  if (!page) return;
  page->may_hide = true;
  ShowWindow(page->hwnd(), SW_HIDE);
  if (current_window_) ShowWindow(current_window_, SW_HIDE);
  if (last_unbound_window) ShowWindow(last_unbound_window, SW_HIDE);
  process_pending_messages();
  if (page == current_) {
    current_ = nullptr;
    current_window_ = nullptr;
  }
  shown_key_.clear();
  RECT r;
  GetWindowRect(page->hwnd(), &r);
  last_place_.left = r.left;
  last_place_.top = r.top;
}

void DialogHost::unload_all() {
  for (Entry& e : table_)
    if (e.page) e.page->may_hide = true;
  table_.clear();
  current_ = nullptr;
  current_window_ = nullptr;
  shown_key_.clear();
  if (hooks.unloaded) hooks.unloaded();
}

DisplayDialogResult run_display_dialog(size_t statement_index, const std::vector<std::string>& parameters,
                                       bool in_wizard_loop, DialogCommandState& state) {
  auto parameter = [&](size_t n) { return n <= parameters.size() ? parameters[n - 1] : std::string(); };
  TVariableManager& vars = variables();
  DialogHost& host = dialog_host();
  DisplayDialogResult result;
  std::string condition = parameter(4);
  if (!condition.empty()) {
    std::string_view name = condition;
    if (name.size() >= 2 && name.front() == '$' && name.back() == '$') name = name.substr(1, name.size() - 2);
    if (IsTrue(vars.ReadVariable(name)) == IsTrue(vars.Expand(parameter(6)))) {
      result.skipped = true;
      return result;
    }
  }
  std::string key = std::to_string(statement_index);
  state.last_displayed_key = key;
  if (!state.awaiting_unbind_key.empty()) {
    if (TPoolTemplate* old = host.dialog(state.awaiting_unbind_key)) {
      host.last_unbound_window = old->hwnd();
      if (host.hooks.unbind && !host.silent()) host.hooks.unbind(state.awaiting_unbind_key, *old);
    }
    state.awaiting_unbind_key.clear();
  }
  TPoolTemplate* page = host.dialog(key);
  if (page && !host.silent()) {
    if (state.non_modal_window) SendMessageA(state.non_modal_window, WM_SETREDRAW, FALSE, 0);
    if (host.hooks.bind) host.hooks.bind(key, *page);
    if (state.non_modal_window) {
      SendMessageA(state.non_modal_window, WM_SETREDRAW, TRUE, 0);
      RedrawWindow(state.non_modal_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
    }
  }
  std::string outcome_name;
  bool modal = in_wizard_loop || IsTrue(vars.Expand(parameter(3)));
  intptr_t shown = host.show_dialog(key, outcome_name, modal, false);
  if (modal) {
    result.outcome = static_cast<int>(shown);
    state.awaiting_unbind_key = key;
    if (!in_wizard_loop) {
      vars.Assign("WINDOWHANDLE", "0", "Display Dialog");
      state.non_modal_window = nullptr;
    }
  } else {
    state.non_modal_window = host.silent() ? nullptr : reinterpret_cast<HWND>(shown);
    vars.Assign("WINDOWHANDLE", std::to_string(host.silent() ? 0 : shown), "Display Dialog");
    result.outcome = 0;
  }
  std::string result_variable(VariableNameOf(parameter(2)));
  if (!result_variable.empty()) {
    if (!vars.Exists(result_variable)) vars.Define(ToUpperAscii(result_variable), "");
    std::string word;
    switch (result.outcome) {
      case 0: word = "NOTMODAL"; break;
      case kOutcomeCancel: word = "CANCEL"; break;
      case kOutcomeNext: word = "NEXT"; break;
      case kOutcomeBack: word = "BACK"; break;
      case kOutcomeNamed: word = ToUpperAscii(outcome_name); break;
      case kOutcomeFinished: word = "FINISHED"; break;
      default: break;
    }
    vars.Assign(result_variable, word, ActionContext("Display Dialog"));
  }
  if (in_wizard_loop) {
    if (result.outcome == kOutcomeCancel) result.loop_direction = 0, result.direction_set = true;
    if (result.outcome == kOutcomeNext) result.loop_direction = 1, result.direction_set = true;
    if (result.outcome == kOutcomeBack) result.loop_direction = -1, result.direction_set = true;
  }
  return result;
}

void run_hide_dialog(DialogCommandState& state) {
  dialog_host().hide_current();
  if (!state.last_displayed_key.empty()) {
    state.awaiting_unbind_key = state.last_displayed_key;
    state.last_displayed_key.clear();
  }
  state.non_modal_window = nullptr;
  variables().Assign("WINDOWHANDLE", "0", "Hide Dialog");
}

}  // namespace qel::wizard
