// Wizard pages as real Win32 windows: a parsed form file becomes a top-level
// window with one child window per visual component, and every component's
// published properties can be read and written by name as text.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/form_model.h"
#include "wizard/picture_data.h"

namespace qel::wizard {

class Form;
struct ClassInfo;

class Component {
 public:
  const std::string& name() const { return name_; }
  const std::string& class_name() const { return class_name_; }
  HWND hwnd() const { return hwnd_; }  // nullptr for non-visual components
  Component* parent() const { return parent_; }
  Form& form() const { return *form_; }
  const std::vector<Component*>& children() const { return children_; }
  bool is_form() const { return parent_ == nullptr; }
  int tag() const;

  // Implementation state, used by the runtime's own files.
  struct Stored {
    std::string name;
    std::string value;
  };
  std::vector<Stored> properties;  // published properties as text, designed or written
  const ClassInfo* info = nullptr;
  HFONT font = nullptr;            // owned when own_font
  bool own_font = false;
  HBRUSH background = nullptr;     // owned
  std::optional<DecodedImage> picture;
  HBITMAP picture_bitmap = nullptr;  // premultiplied DIB of picture, owned
  RECT designed{};                   // scaled design rectangle inside the parent's client area
  SIZE designed_client{};            // this container's client size when designed
  WNDPROC previous_proc = nullptr;   // subclassed standard controls

 private:
  friend class Form;
  friend struct FormBuilder;
  std::string name_, class_name_;
  HWND hwnd_ = nullptr;
  Component* parent_ = nullptr;
  Form* form_ = nullptr;
  std::vector<Component*> children_;
};

// Event names as form files spell them: "OnClick", "OnChange", "OnClickCheck",
// "OnMouseUp", "OnKeyUp", "OnDblClick".
using EventSink = std::function<void(Component& component, std::string_view event)>;
// Sees every message of the form's own window first; a value ends the handling.
using MessageHook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

struct FormOptions {
  DWORD extra_ex_style = 0;           // added to the top-level window's extended style
  HWND owner = nullptr;
  int screen_dpi = 0;                 // 0: the screen's horizontal DPI
  // Classes a file may use; empty: every class the runtime knows.
  std::vector<std::string> allowed_classes;
};

class FormError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Form {
 public:
  // Reads a text form file and creates its windows, hidden. Throws FormError
  // (with the file name) or FormParseError.
  static std::unique_ptr<Form> load_file(const std::string& path, const FormOptions& options = {});
  static std::unique_ptr<Form> create(const FormObject& tree, const FormOptions& options = {});
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND hwnd() const { return root_->hwnd(); }
  Component& root() { return *root_; }
  // Every component except the form, in file order (depth first).
  const std::vector<Component*>& components() const { return order_; }
  // By Name, ignoring ASCII case; the form itself answers to its own name.
  Component* find(std::string_view name);
  Component* from_hwnd(HWND hwnd) const;

  void set_event_sink(EventSink sink) { sink_ = std::move(sink); }
  void set_message_hook(MessageHook hook) { hook_ = std::move(hook); }
  void fire(Component& c, std::string_view event);

  int design_dpi() const { return design_dpi_; }
  int screen_dpi() const { return screen_dpi_; }
  // Moves the children of a container after its size changed (Align, Anchors).
  void relayout(Component& container);

  // Handles messages that child windows send to their parents (command, notify,
  // colours, scrolling); containers forward them here.
  std::optional<LRESULT> handle_child_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend struct FormBuilder;
  friend LRESULT CALLBACK form_window_proc(HWND, UINT, WPARAM, LPARAM);
  Form() = default;
  std::vector<std::unique_ptr<Component>> owned_;
  Component* root_ = nullptr;
  std::vector<Component*> order_;
  EventSink sink_;
  MessageHook hook_;
  int design_dpi_ = 96;
  int screen_dpi_ = 96;
};

// --- the property interface ---
// Reads a published property as text ("True"/"False" for booleans); nullopt
// when the component's class has no such property.
std::optional<std::string> get_property(const Component& component, std::string_view name);
// Writes a published property as text and updates the window; false when the
// class has no such property or the text is not a valid value for it.
bool set_property(Component& component, std::string_view name, std::string_view value);

// Loads a picture file (BMP, ICO, PNG, JPEG) into an image component.
bool load_picture_file(Component& image, const std::string& path);

// --- item access of list-like controls (list, combo and check list boxes, radio groups) ---
std::vector<std::string> get_items(const Component& c);
void set_items(Component& c, const std::vector<std::string>& items);
std::vector<int> selected_items(const Component& c);
void set_item_selected(Component& c, int index, bool selected);
bool item_checked(const Component& c, int index);
void set_item_checked(Component& c, int index, bool checked);

// ANSI code page conversions for form files read on this system.
TextCodec ansi_codec();

}  // namespace qel::wizard
