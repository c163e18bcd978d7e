#include "wizard/control_classes.h"

#include "engine/ascii.h"

namespace qel::wizard {

namespace {

constexpr ClassInfo kClasses[] = {
    {"TLabel", Kind::Label},
    {"TEdit", Kind::Edit},
    {"TMemo", Kind::Memo},
    {"TButton", Kind::Button},
    {"TRzCheckBox", Kind::CheckBox},
    {"TRzRadioButton", Kind::RadioButton},
    {"TListBox", Kind::ListBox},
    {"TComboBox", Kind::ComboBox},
    {"TGroupBox", Kind::GroupBox},
    {"TPanel", Kind::Panel},
    {"TBitBtn", Kind::Button},
    {"TSpeedButton", Kind::Button},
    {"TMaskEdit", Kind::Edit},
    {"TImage", Kind::Image},
    {"TShape", Kind::Shape},
    {"TBevel", Kind::Bevel},
    {"TStaticText", Kind::StaticText},
    {"TGauge", Kind::Gauge},
    {"TPageControl", Kind::PageControl},
    {"TTabSheet", Kind::TabSheet},
    {"TRichEdit", Kind::RichEdit},
    {"TTrackBar", Kind::TrackBar},
    {"TProgressBar", Kind::ProgressBar},
    {"TUpDown", Kind::UpDown},
    {"TAnimate", Kind::Animate},
    {"TCheckListBox", Kind::CheckListBox},
    {"TTreeView", Kind::TreeView},
    {"THTMLViewer", Kind::HtmlViewer},
    {"TFileListBox", Kind::FileListBox},
    {"TDirectoryListBox", Kind::DirectoryListBox},
    {"TDriveComboBox", Kind::DriveComboBox},
    {"TFilterComboBox", Kind::FilterComboBox},
    {"TPTShellTree", Kind::ShellTree},
    {"TPTShellList", Kind::ShellList},
    {"TPTShellCombo", Kind::ShellCombo},
    {"TFlashFrame", Kind::FlashFrame},
    {"TRzFormShape", Kind::Image},
    {"TRzBmpButton", Kind::Button},
    {"TVistaGlass", Kind::NonVisual},
    {"TGlowLabel", Kind::Label},
    {"TAeroButton", Kind::Button},
    {"TAeroPngImage", Kind::Image},
    {"TAeroBackButton", Kind::Button},
    {"TAeroPngButton", Kind::Button},
};

constexpr ClassInfo kForm{"TForm", Kind::Form};

}  // namespace

const ClassInfo* registered_classes(size_t& count) {
  count = sizeof kClasses / sizeof kClasses[0];
  return kClasses;
}

const ClassInfo* find_class(std::string_view class_name) {
  for (const ClassInfo& c : kClasses)
    if (EqualsNoCase(c.name, class_name)) return &c;
  return nullptr;
}

const ClassInfo* form_class() { return &kForm; }

bool is_graphic(Kind k) { return k == Kind::Label || k == Kind::Image || k == Kind::Shape || k == Kind::Bevel; }

bool is_container(Kind k) {
  return k == Kind::Form || k == Kind::GroupBox || k == Kind::Panel || k == Kind::PageControl ||
         k == Kind::TabSheet || k == Kind::FlashFrame;
}

bool has_caption(Kind k) {
  switch (k) {
    case Kind::Form: case Kind::Label: case Kind::StaticText: case Kind::Button: case Kind::CheckBox:
    case Kind::RadioButton: case Kind::GroupBox: case Kind::Panel: case Kind::TabSheet: case Kind::FlashFrame:
      return true;
    default:
      return false;
  }
}

bool has_text(Kind k) {
  switch (k) {
    case Kind::Edit: case Kind::Memo: case Kind::RichEdit: case Kind::ComboBox: case Kind::DriveComboBox:
    case Kind::FilterComboBox: case Kind::ShellCombo: case Kind::HtmlViewer:
      return true;
    default:
      return false;
  }
}

}  // namespace qel::wizard
