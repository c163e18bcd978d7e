// The component classes a wizard page may use and how each becomes a window.
#pragma once

#include <string_view>

namespace qel::wizard {

enum class Kind {
  Form, Label, StaticText, Edit, Memo, RichEdit, Button, CheckBox, RadioButton, ListBox, ComboBox,
  GroupBox, Panel, Image, Shape, Bevel, Gauge, ProgressBar, PageControl, TabSheet, TrackBar, UpDown,
  Animate, CheckListBox, TreeView, HtmlViewer, FileListBox, DirectoryListBox, DriveComboBox,
  FilterComboBox, ShellTree, ShellList, ShellCombo, FlashFrame, NonVisual
};

struct ClassInfo {
  const char* name;
  Kind kind;
};

// The 44 registered classes, in registration order.
const ClassInfo* registered_classes(size_t& count);
const ClassInfo* find_class(std::string_view class_name);
const ClassInfo* form_class();

// Painted by the runtime itself, beneath all windowed siblings (as graphic controls).
bool is_graphic(Kind kind);
// May hold child components.
bool is_container(Kind kind);
// Shows a caption (Caption property) rather than Text.
bool has_caption(Kind kind);
// Holds text typed by the user (Text property).
bool has_text(Kind kind);

}  // namespace qel::wizard
