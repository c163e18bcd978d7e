// Shared between the files of the Win32 form runtime.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "wizard/control_classes.h"
#include "wizard/form_colors.h"
#include "wizard/form_runtime.h"

namespace qel::wizard::detail {

inline Kind kind_of(const Component& c) { return c.info->kind; }

const std::string* stored(const Component& c, std::string_view name);
void store(Component& c, std::string_view name, std::string_view value);
bool stored_bool(const Component& c, std::string_view name, bool fallback);
int stored_int(const Component& c, std::string_view name, int fallback);
bool parse_bool(std::string_view text, bool& out);
bool parse_int(std::string_view text, long long& out);

COLORREF to_colorref(const FormColor& color);
// The component's background colour (own Color, or the parent's when ParentColor).
COLORREF background_color(const Component& c);
COLORREF text_color(const Component& c);
HBRUSH background_brush(Component& c);
// Rebuilds the component's font from its Font.* properties and its parent's font.
void rebuild_font(Component& c);
void rebuild_font_tree(Component& c);

// Applies one property to the live window (after it was stored). False when
// the value is not valid for it.
bool apply_property(Component& c, std::string_view name, std::string_view value);
void move_component(Component& c, const RECT& r);

void paint_graphic(Component& c, HDC dc);
void paint_container(Component& c, HDC dc);
void picture_changed(Component& c);
bool decode_picture_bytes(const std::vector<uint8_t>& file, DecodedImage& out);
// The size an AutoSize label needs for its text.
SIZE label_text_size(Component& c, int fixed_width);
void autosize(Component& c);

const char* const kFormWindowClass = "QelWizardForm";
const char* const kContainerClass = "QelWizardContainer";
const char* const kGraphicClass = "QelWizardGraphic";

}  // namespace qel::wizard::detail
