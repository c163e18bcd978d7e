// Binding of single controls on hidden pages (runs headless under Wine): each
// case writes a small dialog file, binds it and drives its change handlers.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>

#include "engine/variables.h"
#include "lang/language_strings.h"
#include "wizard/binding/dialog_binding.h"
#include "wizard/binding/text_table.h"
#include "wizard/dialog_host.h"
#include "wizard/form_runtime.h"

namespace qel::wizard::binding {
namespace {

std::string temp_folder() {
  char buffer[MAX_PATH];
  GetTempPathA(sizeof buffer, buffer);
  std::string folder = std::string(buffer) + "qel-binding-test\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class BoundPage : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = temp_folder();
    variables().Clear();
    DialogHost& host = dialog_host();
    host.unload_all();
    host.prepare(folder);
    install_binding(host);
    binding_services() = BindingServices{};
    binding_services().components = &table;
    LanguageStrings strings{};
    strings[5] = "bytes";
    strings[6] = "KB";
    strings[7] = "MB";
    set_language_strings(strings);
  }
  void TearDown() override {
    dialog_host().unload_all();
    binding_services() = BindingServices{};
  }

  // A page holding the given objects; rules lines in the ".qelf" file.
  TPoolTemplate& load(const std::string& objects, const std::string& rules = "", const char* caption = "Page") {
    std::string name = "page" + std::to_string(++counter);
    write_file(folder + name + ".dfm", std::string("object PageForm: TForm\n  Caption = '") + caption +
                                           "'\n  ClientHeight = 300\n  ClientWidth = 400\n" + objects + "end\n");
    write_file(folder + name + ".dfm.qelf", rules);
    dialog_host().load_dialog(name, folder + name + ".dfm");
    return *dialog_host().dialog(name);
  }
  static Component& get(TPoolTemplate& page, const char* name) {
    Component* c = page.form().find(name);
    if (!c) throw std::runtime_error(std::string("no component ") + name);
    return *c;
  }
  static std::string prop(TPoolTemplate& page, const char* name, const char* property) {
    return get_property(get(page, name), property).value_or("<none>");
  }

  std::string folder;
  MemoryComponentTable table;
  int counter = 0;
};

TEST_F(BoundPage, EditsTakeTheirVariableOrTheirTagDefault) {
  variables().Define("STARTMENU", "Firm\\Tool");
  variables().Define("TARGETDIR", "C:\\\\Program Files\\\\$PRODUCT$");
  variables().Define("PRODUCT", "Tool");
  variables().Define("USERNAME", "Ann");
  variables().Define("USERCOMPANY", "Firm");
  variables().Define("MYDIR", "D:\\\\x\\\\y");
  TPoolTemplate& page = load(
      "  object e1: TEdit\n    Tag = 1\n  end\n"
      "  object e2: TEdit\n    Tag = 2\n  end\n"
      "  object e3: TEdit\n    Tag = 3\n  end\n"
      "  object e4: TEdit\n    Tag = 4\n  end\n"
      "  object eBound: TEdit\n    Hint = '$mydir$'\n    Tag = 2\n  end\n"
      "  object eMissing: TEdit\n    Hint = 'NOSUCH'\n    Text = 'designed'\n  end\n"
      "  object eMask: TMaskEdit\n    Hint = 'MYDIR'\n  end\n");
  bind_dialog(page);
  const std::pair<const char*, const char*> cases[] = {
      {"e1", "Firm\\Tool"},    {"e2", "C:\\Program Files\\Tool"}, {"e3", "Ann"},
      {"e4", "Firm"},          {"eBound", "D:\\x\\y"},            {"eMissing", "designed"},
      {"eMask", "D:\\\\x\\\\y"},  // a mask edit keeps double backslashes
  };
  for (auto [name, text] : cases) EXPECT_EQ(prop(page, name, "Text"), text) << name;
}

TEST_F(BoundPage, EditChangesWriteTheVariableUntilUnbound) {
  TPoolTemplate& page = load("  object ed: TEdit\n    Hint = '$NAME$'\n  end\n");
  bind_dialog(page);
  set_property(get(page, "ed"), "Text", "typed");
  EXPECT_EQ(variables().Get("NAME"), "typed");
  unbind_dialog(page);
  set_property(get(page, "ed"), "Text", "after");
  EXPECT_EQ(variables().Get("NAME"), "typed");
}

TEST_F(BoundPage, CheckBoxesRadioButtonsAndTrackBars) {
  variables().Define("C1", "-1");
  variables().Define("C2", "yes");
  variables().Define("R1", "FALSE");
  variables().Define("R2", "TRUE");
  variables().Define("POS", "7");
  TPoolTemplate& page = load(
      "  object c1: TRzCheckBox\n    Hint = 'C1'\n  end\n"
      "  object c2: TRzCheckBox\n    Hint = 'C2'\n    Checked = True\n  end\n"
      "  object r1: TRzRadioButton\n    Hint = 'R1'\n  end\n"
      "  object r2: TRzRadioButton\n    Hint = 'R2'\n  end\n"
      "  object tb: TTrackBar\n    Hint = 'POS'\n    Max = 10\n  end\n");
  bind_dialog(page);
  EXPECT_EQ(prop(page, "c1", "Checked"), "True");
  EXPECT_EQ(prop(page, "c2", "Checked"), "False");  // "yes" is not true
  EXPECT_EQ(prop(page, "r2", "Checked"), "True");
  EXPECT_EQ(prop(page, "tb", "Position"), "7");
  SendMessageA(get(page, "r1").hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(variables().Get("R1"), "TRUE");
  EXPECT_EQ(variables().Get("R2"), "FALSE");
  SendMessageA(get(page, "c1").hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(variables().Get("C1"), "FALSE");
  set_property(get(page, "tb"), "Position", "3");
  page.form().fire(get(page, "tb"), "OnChange");
  EXPECT_EQ(variables().Get("POS"), "3");
}

TEST_F(BoundPage, TrackBarWithoutAnIntegerIsAnError) {
  variables().Define("POS", "seven");
  TPoolTemplate& page = load("  object tb: TTrackBar\n    Hint = 'POS'\n  end\n");
  EXPECT_THROW(bind_dialog(page), std::exception);
}

TEST_F(BoundPage, MemosUseNewlineTokensAndReadOnlyWhenUnbound) {
  variables().Define("NOTES", "one$NEWLINE$two");
  variables().Define("WHO", "Ann");
  TPoolTemplate& page = load(
      "  object mBound: TMemo\n    Hint = 'NOTES'\n  end\n"
      "  object mFree: TMemo\n    Lines.Strings = (\n      'Hello $WHO$')\n  end\n");
  bind_dialog(page);
  EXPECT_EQ(prop(page, "mBound", "Lines"), "one\r\ntwo");
  EXPECT_EQ(prop(page, "mBound", "ReadOnly"), "False");
  EXPECT_EQ(prop(page, "mFree", "ReadOnly"), "True");
  EXPECT_EQ(prop(page, "mFree", "Lines"), "Hello Ann");
  // Typing: a multi-line edit reports no change for WM_SETTEXT.
  SendMessageA(get(page, "mBound").hwnd(), EM_SETSEL, 0, -1);
  SendMessageA(get(page, "mBound").hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("a\r\nb\r\n"));
  EXPECT_EQ(variables().Get("NOTES"), "a$NEWLINE$b$NEWLINE$");
  EXPECT_EQ(watched_control(page), "mFree");  // the first read-only memo
}

TEST_F(BoundPage, SupportDocumentsByLanguage) {
  write_file(folder + "readme.German.txt", "Liesmich");
  write_file(folder + "license.txt", "Licence text");
  DeleteFileA((folder + "license.German.txt").c_str());
  binding_services().active_language = [] { return std::string("German"); };
  TPoolTemplate& page = load(
      "  object mReadme: TMemo\n    Tag = 1\n  end\n"
      "  object mLicence: TMemo\n    Tag = 2\n  end\n"
      "  object reLicence: TRichEdit\n    Tag = 2\n  end\n");
  DeleteFileA((folder + "license.rtf").c_str());
  bind_dialog(page);
  EXPECT_EQ(prop(page, "mReadme", "Lines"), "Liesmich");
  EXPECT_EQ(prop(page, "mLicence", "Lines"), "Licence text");
  EXPECT_EQ(prop(page, "reLicence", "Lines"), "Licence text");
  DeleteFileA((folder + "license.txt").c_str());
  bind_dialog(page);
  EXPECT_EQ(prop(page, "mLicence", "Lines"),
            "Add a license.German.txt or license.txt file to your project as a support file/creative to display it here.");
  EXPECT_EQ(std::stoll(prop(page, "mLicence", "MaxLength")) >= 1048576, true);
}

TEST_F(BoundPage, ListsCombosAndMultiSelection) {
  variables().Define("ONE", "b");
  variables().Define("MANY", "A$NEWLINE$C$NEWLINE$");
  variables().Define("PICK", "two");
  variables().Define("FREE", "typed");
  variables().Define("CHECKS", "x$NEWLINE$z$NEWLINE$");
  const char* items = "    Items.Strings = (\n      'A'\n      ''\n      'B'\n      'C')\n";
  TPoolTemplate& page = load(std::string("  object lbOne: TListBox\n    Hint = 'ONE'\n") + items + "  end\n" +
                             "  object lbMany: TListBox\n    Hint = 'MANY'\n    MultiSelect = True\n" + items + "  end\n" +
                             "  object cbList: TComboBox\n    Hint = 'PICK'\n    Style = csDropDownList\n"
                             "    Items.Strings = (\n      'one'\n      'Two')\n  end\n"
                             "  object cbEdit: TComboBox\n    Hint = 'FREE'\n  end\n"
                             "  object clb: TCheckListBox\n    Hint = 'CHECKS'\n    Items.Strings = (\n      'x'\n      'y'\n      'z')\n  end\n");
  bind_dialog(page);
  Component& one = get(page, "lbOne");
  EXPECT_EQ(get_items(one), (std::vector<std::string>{"A", "B", "C"}));  // the empty item is dropped
  EXPECT_EQ(selected_items(one), std::vector<int>{1});
  // A multi-selection value equals no single item: nothing is selected.
  EXPECT_TRUE(selected_items(get(page, "lbMany")).empty());
  EXPECT_EQ(prop(page, "cbList", "ItemIndex"), "1");
  EXPECT_EQ(prop(page, "cbEdit", "Text"), "typed");
  Component& clb = get(page, "clb");
  EXPECT_TRUE(item_checked(clb, 0));
  EXPECT_FALSE(item_checked(clb, 1));
  EXPECT_TRUE(item_checked(clb, 2));
  Component& many = get(page, "lbMany");
  set_item_selected(many, 0, true);
  set_item_selected(many, 2, true);
  page.form().fire(many, "OnClick");
  EXPECT_EQ(variables().Get("MANY"), "A$NEWLINE$C$NEWLINE$");
  set_item_checked(clb, 1, true);
  page.form().fire(clb, "OnClickCheck");
  EXPECT_EQ(variables().Get("CHECKS"), "x$NEWLINE$y$NEWLINE$z$NEWLINE$");
}

TEST_F(BoundPage, ProgressBarsLimitPercent) {
  struct Case {
    const char* progress;  // nullptr: no variable
    const char* bar;
    const char* gauge;
  };
  const Case cases[] = {{"40", "40", "40"}, {"150", "100", "100"}, {"-5", "0", "0"}, {"abc", "100", "100"},
                        {"", "12", "100"}, {nullptr, "12", "12"}};
  for (const Case& c : cases) {
    variables().Clear();
    if (c.progress) variables().Define("PROGRESS", c.progress);
    TPoolTemplate& page = load("  object pb: TProgressBar\n    Tag = 1\n    Position = 12\n  end\n"
                               "  object g: TGauge\n    Tag = 1\n    Progress = 12\n  end\n");
    bind_dialog(page);
    EXPECT_EQ(prop(page, "pb", "Position"), c.bar) << (c.progress ? c.progress : "(none)");
    EXPECT_EQ(prop(page, "g", "Progress"), c.gauge) << (c.progress ? c.progress : "(none)");
  }
}

TEST_F(BoundPage, CaptionsComeFromTheTextTableAndBranding) {
  variables().Define("WHO", "Ann");
  TPoolTemplate& page = load("  object lbl: TLabel\n    Caption = 'Hello $WHO$'\n  end\n", "", "Setup");
  bind_dialog(page);
  EXPECT_EQ(prop(page, "lbl", "Caption"), "Hello Ann");
  EXPECT_EQ(prop(page, "PageForm", "Caption"), "Setup - Oakhollow Wizard");
  // The second bind starts again from the designed text, not from "Hello Ann".
  variables().Define("WHO", "Bob");
  variables().Define("OXLELOGO", "true");
  bind_dialog(page);
  EXPECT_EQ(prop(page, "lbl", "Caption"), "Hello Bob");
  EXPECT_EQ(prop(page, "PageForm", "Caption"), "Setup");
  // A translation replaces the entry while a language is active.
  binding_services().active_language = [] { return std::string("German"); };
  binding_services().translate_control = [](std::string_view, std::string_view control) -> std::optional<std::string> {
    if (control == "lbl") return std::string("Hallo $WHO$");
    return std::nullopt;
  };
  bind_dialog(page);
  EXPECT_EQ(prop(page, "lbl", "Caption"), "Hallo Bob");
}

TEST_F(BoundPage, RulesRunAfterBindAndAfterChanges) {
  TPoolTemplate& page = load(
      "  object cb: TRzCheckBox\n    Hint = 'AGREE'\n  end\n"
      "  object btn: TButton\n    Caption = 'Go'\n    Enabled = False\n  end\n",
      "IF (cb.Checked = True)  THEN  btn.Enabled := True;\r\nIF (cb.Checked = False)  THEN  btn.Enabled := False;\r\n");
  variables().Define("AGREE", "TRUE");
  bind_dialog(page);
  EXPECT_EQ(prop(page, "btn", "Enabled"), "True");
  set_property(get(page, "cb"), "Checked", "False");
  page.form().fire(get(page, "cb"), "OnClick");
  EXPECT_EQ(variables().Get("AGREE"), "FALSE");
  EXPECT_EQ(prop(page, "btn", "Enabled"), "False");
}

TEST_F(BoundPage, ComponentTreeAndStatusTexts) {
  table.rows = {{"OXLE-PREDEF-COMPONENT", true, "", 0},
                {"App", true, "Main$NEWLINE$program", 2048},
                {"App\\Help", false, "Help files", 1048576},
                {"Hidden", true, "", 5},
                {"Hidden\\Child", true, "", 5}};
  table.rows[3].hidden = true;
  TPoolTemplate& page = load(
      "  object tv: TTreeView\n    Tag = 1\n    Hint = 'NODE'\n  end\n"
      "  object stDesc: TStaticText\n    Tag = 2\n  end\n"
      "  object stSize: TStaticText\n    Tag = 3\n  end\n"
      "  object stNeed: TStaticText\n    Tag = 4\n  end\n");
  bind_dialog(page);
  HWND tree = get(page, "tv").hwnd();
  EXPECT_EQ(TreeView_GetCount(tree), 2u);
  EXPECT_EQ(page.selected_component, "App");
  EXPECT_EQ(variables().Get("NODE"), "App");
  EXPECT_EQ(prop(page, "stDesc", "Caption"), "Main\r\nprogram");
  EXPECT_EQ(prop(page, "stSize", "Caption"), "2,048 bytes");
  // Hidden components still count when selected: 2048 + 5 + 5.
  EXPECT_EQ(prop(page, "stNeed", "Caption"), "2,058 bytes");
  HTREEITEM child = TreeView_GetChild(tree, TreeView_GetRoot(tree));
  ASSERT_NE(child, nullptr);
  TreeView_SelectItem(tree, child);
  EXPECT_EQ(page.selected_component, "App\\Help");
  EXPECT_EQ(prop(page, "stDesc", "Caption"), "Help files");
  EXPECT_EQ(prop(page, "stSize", "Caption"), "1,024 KB");
}

TEST_F(BoundPage, ComponentListBoxOfAFixedComponentSnapsBack) {
  table.rows = {{"Core", true, "Always", 10}, {"Core\\Part", true, "", 1}, {"Extra", false, "", 2}};
  table.rows[0].fixed = true;
  TPoolTemplate& page = load("  object clb: TCheckListBox\n    Tag = 1\n  end\n"
                             "  object stDesc: TStaticText\n    Tag = 2\n  end\n");
  bind_dialog(page);
  Component& clb = get(page, "clb");
  ASSERT_EQ(get_items(clb), (std::vector<std::string>{"Core", "Extra"}));
  set_item_checked(clb, 0, false);
  set_item_checked(clb, 1, true);
  page.form().fire(clb, "OnClickCheck");
  EXPECT_TRUE(item_checked(clb, 0));
  EXPECT_TRUE(table.State("Core"));
  EXPECT_TRUE(table.State("Core\\Part"));  // fixed through its parent
  EXPECT_TRUE(table.State("Extra"));
  set_item_selected(clb, 0, true);
  page.form().fire(clb, "OnClick");
  EXPECT_EQ(page.selected_component, "Core");
  EXPECT_EQ(prop(page, "stDesc", "Caption"), "Always");
}

TEST_F(BoundPage, FolderListsFollowTheTargetAndBrowse) {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, sizeof windows);
  variables().Define("TARGETDIR", std::string(windows) + "\\NoSuch\\Deeper");
  TPoolTemplate& page = load(
      "  object dl: TDirectoryListBox\n    Tag = 1\n    Hint = 'PICKED'\n  end\n"
      "  object edTarget: TEdit\n    Tag = 2\n    Hint = 'NEWTARGET'\n  end\n"
      "  object edMirror: TEdit\n    Tag = 100\n    Hint = 'PICKED'\n  end\n");
  bind_dialog(page);
  Component& dl = get(page, "dl");
  EXPECT_EQ(prop(page, "dl", "Directory"), windows);  // the nearest existing folder of the target
  EXPECT_EQ(prop(page, "edTarget", "Text"), std::string(windows) + "\\NoSuch\\Deeper");
  std::vector<std::string> items = get_items(dl);
  int system32 = -1;
  for (size_t i = 0; i < items.size(); ++i)
    if (_stricmp(items[i].c_str(), "[system32]") == 0) system32 = static_cast<int>(i);
  ASSERT_GE(system32, 0);
  set_item_selected(dl, system32, true);
  page.form().fire(dl, "OnChange");
  std::string picked = variables().Get("PICKED");
  EXPECT_EQ(_stricmp(picked.c_str(), (std::string(windows) + "\\system32").c_str()), 0) << picked;
  // The browse rule keeps the missing tail; the Tag-100 edit shows the new folder.
  EXPECT_EQ(variables().Get("NEWTARGET"), picked + "\\NoSuch\\Deeper");
  EXPECT_EQ(prop(page, "edMirror", "Text"), picked);
}

}  // namespace
}  // namespace qel::wizard::binding
