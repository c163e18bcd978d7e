// Placement arithmetic of form controls: DPI scaling, Align and Anchors.
// Portable; the Win32 runtime feeds it window rectangles.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace qel::wizard {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// value * to / from, rounded half away from zero (as MulDiv).
int scale_value(int value, int to, int from);

enum class Align { None, Top, Bottom, Left, Right, Client };
Align parse_align(std::string_view text);  // "alTop" ...; None for anything else

struct Anchors {
  bool left = true, top = true, right = false, bottom = false;
};
// "[akLeft,akTop]" or "[akLeft, akRight]": members in any order and case.
Anchors parse_anchors(std::string_view set_text);

struct LayoutItem {
  Align align = Align::None;
  Anchors anchors;
  Rect designed;  // position in the parent's client area when the parent had designed_parent size
  bool visible = true;
};

// Places the children of one parent whose client area is now client_width x
// client_height and was designed_width x designed_height. Aligned children take
// their edges in the order top, bottom, left, right, client (each group in order
// of designed position); the others follow their anchors.
std::vector<Rect> layout_children(const std::vector<LayoutItem>& items, int designed_width, int designed_height,
                                  int client_width, int client_height);

}  // namespace qel::wizard
