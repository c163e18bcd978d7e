// Bind dialog: each control by its class, Hint, Tag and Name.
#include <windows.h>

#include <commctrl.h>

#include <stdexcept>

#include "engine/ascii.h"
#include "engine/variables.h"
#include "lang/language_strings.h"
#include "wizard/binding/binding_internal.h"
#include "wizard/binding/binding_text.h"
#include "wizard/binding/scroll_rules.h"
#include "wizard/binding/support_documents.h"
#include "wizard/binding/text_table.h"
#include "wizard/control_classes.h"
#include "wizard/form_runtime_internal.h"

namespace qel::wizard::binding::detail {

namespace {

void bind_caption(TPoolTemplate& page, Component& c) {
  std::string design = get_property(c, "Caption").value_or("");
  set_property(c, "Caption", displayed_text(page, c, design));
}

// The design text of a list-like control, one item per line.
std::string design_items(const Component& c) { return get_property(c, "Items").value_or(""); }

void fill_items(TPoolTemplate& page, Component& c) {
  std::string text = displayed_text(page, c, design_items(c));
  set_items(c, NonEmptyLines(text));
}

void select_equal_item(Component& c, const std::string& value) {
  std::vector<std::string> items = get_items(c);
  for (int i : selected_items(c)) set_item_selected(c, i, false);
  for (size_t i = 0; i < items.size(); ++i)
    if (EqualsNoCase(items[i], value)) {
      set_item_selected(c, static_cast<int>(i), true);
      break;
    }
}

void bind_edit(TPoolTemplate& page, Component& c, bool collapse) {
  std::string design = get_property(c, "Text").value_or("");
  std::string text = table_entry(page, c, design);
  if (auto t = translation(page, c)) text = *t;
  if (auto value = read_binding(c)) text = collapse ? NormalizeBackslashes(*value) : *value;
  if (text.empty()) {
    static const char* const kDefaults[] = {"$STARTMENU$", "$TARGETDIR$", "$USERNAME$", "$USERCOMPANY$"};
    int tag = c.tag();
    if (tag >= 1 && tag <= 4) {
      text = variables().Expand(kDefaults[tag - 1]);
      if (collapse) text = NormalizeBackslashes(text);
    }
  }
  set_property(c, "Text", text);
}

void bind_check(TPoolTemplate& page, Component& c) {
  qel::wizard::detail::store(c, "WordWrap", "False");
  if (c.hwnd()) SetWindowLongA(c.hwnd(), GWL_STYLE, GetWindowLongA(c.hwnd(), GWL_STYLE) & ~BS_MULTILINE);
  if (auto value = read_binding(c)) set_property(c, "Checked", IsTrue(*value) ? "True" : "False");
  bind_caption(page, c);
}

void bind_memo(TPoolTemplate& page, Component& c, bool rich) {
  bool bound = !variable_of(c).empty();
  set_property(c, "ReadOnly", bound ? "False" : "True");
  std::string design = get_property(c, "Lines").value_or("");
  std::string text = table_entry(page, c, design);
  if (rich) set_scroll_bars(c, ScrollBars::Both);
  if (bound) {
    if (auto value = read_binding(c)) text = FromNewlineTokens(NormalizeBackslashes(*value));
  } else {
    text = FromNewlineTokens(variables().Expand(text));
  }
  set_property(c, "Lines", text);
  int tag = c.tag();
  if (tag == 1 || tag == 2) load_support_document(page, c, tag);
  if (!rich) apply_automatic_scroll_bars(c);
  start_scroll_watch(page, c);
}

void bind_track_bar(Component& c) {
  auto value = read_binding(c);
  if (!value) return;
  long long n = 0;
  if (!qel::wizard::detail::parse_int(*value, n) || n < INT32_MIN || n > INT32_MAX)
    throw std::runtime_error("'" + *value + "' is not a valid integer value");
  set_property(c, "Position", std::to_string(n));
}

void bind_progress(Component& c, bool gauge) {
  if (c.tag() != 1) return;
  std::string progress;
  bool exists = variables().TryGet("PROGRESS", progress);
  if (gauge ? !exists : progress.empty()) return;
  long long n = 0;
  if (!qel::wizard::detail::parse_int(variables().Expand(progress), n)) n = 100;
  n = n < 0 ? 0 : n > 100 ? 100 : n;
  set_property(c, gauge ? "Progress" : "Position", std::to_string(n));
}

void bind_list_box(TPoolTemplate& page, Component& c) {
  fill_items(page, c);
  if (auto value = read_binding(c)) select_equal_item(c, *value);
}

void bind_check_list(TPoolTemplate& page, Component& c) {
  fill_items(page, c);
  if (auto value = read_binding(c)) {
    std::vector<std::string> items = get_items(c);
    for (const std::string& line : ValueLines(*value))
      for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == line) set_item_checked(c, static_cast<int>(i), true);
  }
  if (c.tag() == 1) fill_component_list(page, c);
  state_of(page).lists.push_back(&c);
}

void bind_combo(TPoolTemplate& page, Component& c) {
  fill_items(page, c);
  auto value = read_binding(c);
  if (!value) return;
  bool drop_down_list = (GetWindowLongA(c.hwnd(), GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
  if (drop_down_list) {
    std::vector<std::string> items = get_items(c);
    for (size_t i = 0; i < items.size(); ++i)
      if (EqualsNoCase(items[i], *value)) {
        set_property(c, "ItemIndex", std::to_string(i));
        break;
      }
  } else {
    set_property(c, "Text", *value);
  }
}

void expand_tree_texts(HWND tree, HTREEITEM item) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    char buffer[1024] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = sizeof buffer;
    if (TreeView_GetItem(tree, &tv)) {
      std::string expanded = variables().Expand(buffer);
      tv.pszText = expanded.data();
      TreeView_SetItem(tree, &tv);
    }
    expand_tree_texts(tree, TreeView_GetChild(tree, item));
  }
}

void bind_tree(TPoolTemplate& page, Component& c) {
  HWND h = c.hwnd();
  if (!h) return;
  // Selection stays visible; labels are never edited.
  SetWindowLongA(h, GWL_STYLE, (GetWindowLongA(h, GWL_STYLE) | TVS_SHOWSELALWAYS) & ~TVS_EDITLABELS);
  expand_tree_texts(h, TreeView_GetRoot(h));
  if (c.tag() == 1) {
    fill_component_tree(page, c);
    install_key_watch(page, c);
  }
  state_of(page).trees.push_back(&c);
}

// The nearest existing folder of the page's target, for Tag 1 folder controls.
std::string nearest_target(TPoolTemplate& page) { return state_of(page).target.nearest_existing; }

void bind_folder_control(TPoolTemplate& page, Component& c) {
  auto value = read_binding(c);
  std::string nearest = nearest_target(page);
  if (is_class(c, "TFileListBox")) {
    if (value && folder_exists(ParentFolder(*value))) set_folder_control(c, ParentFolder(*value), false);
    if (c.tag() == 1 && folder_exists(nearest)) set_folder_control(c, nearest, false);
  } else if (is_class(c, "TDirectoryListBox") || is_class(c, "TPTShellTree")) {
    if (value && folder_exists(*value)) set_folder_control(c, *value, false);
    if (c.tag() == 1) {
      if (folder_exists(nearest)) set_folder_control(c, nearest, false);
      else if (folder_exists(ParentFolder(nearest))) set_folder_control(c, ParentFolder(nearest), false);
    }
  } else if (is_class(c, "TDriveComboBox")) {
    if (value && !value->empty() && folder_exists(value->substr(0, 1) + ":\\")) set_folder_control(c, value->substr(0, 1), false);
    if (c.tag() == 1 && !nearest.empty()) set_folder_control(c, nearest.substr(0, 1), false);
  } else if (is_class(c, "TPTShellList")) {
    if (value) {
      std::string folder = folder_exists(*value) ? *value : ParentFolder(*value);
      if (folder_exists(folder)) set_folder_control(c, folder, false);
    }
    if (c.tag() == 1 && folder_exists(nearest)) set_folder_control(c, nearest, false);
  } else if (is_class(c, "TPTShellCombo")) {
    if (value && folder_exists(*value)) set_folder_control(c, *value, false);
    if (c.tag() == 1 && !nearest.empty()) set_folder_control(c, nearest.substr(0, 1), false);
  }
}

void bind_image(Component& c) {
  std::string path = variables().Expand("$" + c.name() + "$");
  if (path != "$" + c.name() + "$" && file_exists(path)) load_picture_file(c, path);
}

void bind_html(TPoolTemplate& page, Component& c) {
  if (c.tag() == 1) load_support_document(page, c, 1);
}

void bind_flash(TPoolTemplate& page, Component& c) {
  bind_caption(page, c);
  if (c.tag() != 1) return;
  std::string language = binding_services().active_language ? binding_services().active_language() : "";
  std::string movie;
  for (const std::string& name : DocumentCandidates(support_folder(), Document::Movie, Viewer::Flash, language))
    if (file_exists(name)) {
      movie = name;
      break;
    }
  // No Flash player is hosted: a movie that exists cannot be shown.
  set_property(c, "Caption", movie.empty() ? MissingDocumentNotice(Document::Movie, Viewer::Flash, language)
                                           : lang_string(112));
}

}  // namespace

void bind_form(TPoolTemplate& page) {
  Component& root = page.form().root();
  std::string design = get_property(root, "Caption").value_or("");
  std::string caption = displayed_text(page, root, design);
  set_property(root, "Caption", BrandCaption(caption, variables().Get("OXLELOGO")));
}

void bind_control(TPoolTemplate& page, Component& c) {
  const std::string& cls = c.class_name();
  auto is = [&](const char* name) { return EqualsNoCase(cls, name); };
  if (is("TLabel") || is("TPanel") || is("TGroupBox") || is("TTabSheet")) {
    bind_caption(page, c);
  } else if (is("TGlowLabel") || is("TStaticText")) {
    bind_caption(page, c);
    if (c.tag() == 1) set_property(c, "Caption", variables().Get("PROGRESSTEXT"));
  } else if (is("TButton") || is("TRzBmpButton") || is("TAeroButton") || is("TSpeedButton") || is("TBitBtn")) {
    bind_caption(page, c);
  } else if (is("TImage")) {
    bind_image(c);
  } else if (is("TEdit")) {
    bind_edit(page, c, true);
  } else if (is("TMaskEdit")) {
    bind_edit(page, c, false);
    install_key_watch(page, c);
  } else if (is("TRzCheckBox") || is("TRzRadioButton")) {
    bind_check(page, c);
  } else if (is("TTrackBar")) {
    bind_track_bar(c);
  } else if (is("TMemo")) {
    bind_memo(page, c, false);
  } else if (is("TRichEdit")) {
    bind_memo(page, c, true);
  } else if (is("TListBox")) {
    bind_list_box(page, c);
  } else if (is("TCheckListBox")) {
    bind_check_list(page, c);
  } else if (is("TComboBox")) {
    bind_combo(page, c);
  } else if (is("TTreeView")) {
    bind_tree(page, c);
  } else if (is("THTMLViewer")) {
    bind_html(page, c);
  } else if (is("TFlashFrame")) {
    bind_flash(page, c);
  } else if (is("TAnimate")) {
    if (c.hwnd()) SendMessageA(c.hwnd(), ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
  } else if (is("TProgressBar")) {
    bind_progress(c, false);
  } else if (is("TGauge")) {
    bind_progress(c, true);
  } else if (is("TFileListBox") || is("TDirectoryListBox") || is("TDriveComboBox") || is("TPTShellTree") ||
             is("TPTShellList") || is("TPTShellCombo")) {
    bind_folder_control(page, c);
  }
  if (is("TPTShellTree") && c.hwnd())
    SetWindowLongA(c.hwnd(), GWL_STYLE, GetWindowLongA(c.hwnd(), GWL_STYLE) | TVS_SHOWSELALWAYS);
}

}  // namespace qel::wizard::binding::detail
