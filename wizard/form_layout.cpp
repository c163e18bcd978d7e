#include "wizard/form_layout.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>

#include "engine/ascii.h"

namespace qel::wizard {

int scale_value(int value, int to, int from) {
  if (from == 0) return value;
  int64_t product = static_cast<int64_t>(value) * to;
  int64_t half = std::abs(static_cast<int64_t>(from)) / 2;
  int64_t q = (product >= 0) == (from > 0) ? (std::abs(product) + half) / std::abs(static_cast<int64_t>(from))
                                           : -((std::abs(product) + half) / std::abs(static_cast<int64_t>(from)));
  return static_cast<int>(q);
}

Align parse_align(std::string_view t) {
  if (EqualsNoCase(t, "alTop")) return Align::Top;
  if (EqualsNoCase(t, "alBottom")) return Align::Bottom;
  if (EqualsNoCase(t, "alLeft")) return Align::Left;
  if (EqualsNoCase(t, "alRight")) return Align::Right;
  if (EqualsNoCase(t, "alClient")) return Align::Client;
  return Align::None;
}

Anchors parse_anchors(std::string_view text) {
  Anchors a{false, false, false, false};
  std::string member;
  auto flush = [&] {
    if (EqualsNoCase(member, "akLeft")) a.left = true;
    if (EqualsNoCase(member, "akTop")) a.top = true;
    if (EqualsNoCase(member, "akRight")) a.right = true;
    if (EqualsNoCase(member, "akBottom")) a.bottom = true;
    member.clear();
  };
  for (char c : text) {
    if (c == '[' || c == ']' || c == ',' || c == ' ')
      flush();
    else
      member.push_back(c);
  }
  flush();
  return a;
}

std::vector<Rect> layout_children(const std::vector<LayoutItem>& items, int designed_width, int designed_height,
                                  int client_width, int client_height) {
  std::vector<Rect> out(items.size());
  int dx = client_width - designed_width, dy = client_height - designed_height;
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& it = items[i];
    Rect r = it.designed;
    if (it.align == Align::None) {
      if (it.anchors.right && it.anchors.left)
        r.width += dx;
      else if (it.anchors.right)
        r.left += dx;
      else if (!it.anchors.left)
        r.left += dx / 2;
      if (it.anchors.bottom && it.anchors.top)
        r.height += dy;
      else if (it.anchors.bottom)
        r.top += dy;
      else if (!it.anchors.top)
        r.top += dy / 2;
      r.width = std::max(r.width, 0);
      r.height = std::max(r.height, 0);
    }
    out[i] = r;
  }
  int left = 0, top = 0, right = client_width, bottom = client_height;
  auto group = [&](Align a, auto key) {
    std::vector<size_t> idx;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].align == a && items[i].visible) idx.push_back(i);
    std::stable_sort(idx.begin(), idx.end(), [&](size_t x, size_t y) { return key(items[x].designed) < key(items[y].designed); });
    return idx;
  };
  for (size_t i : group(Align::Top, [](const Rect& r) { return r.top; })) {
    out[i] = {left, top, std::max(0, right - left), items[i].designed.height};
    top += items[i].designed.height;
  }
  for (size_t i : group(Align::Bottom, [](const Rect& r) { return -(r.top + r.height); })) {
    bottom -= items[i].designed.height;
    out[i] = {left, bottom, std::max(0, right - left), items[i].designed.height};
  }
  for (size_t i : group(Align::Left, [](const Rect& r) { return r.left; })) {
    out[i] = {left, top, items[i].designed.width, std::max(0, bottom - top)};
    left += items[i].designed.width;
  }
  for (size_t i : group(Align::Right, [](const Rect& r) { return -(r.left + r.width); })) {
    right -= items[i].designed.width;
    out[i] = {right, top, items[i].designed.width, std::max(0, bottom - top)};
  }
  for (size_t i : group(Align::Client, [](const Rect& r) { return r.top; }))
    out[i] = {left, top, std::max(0, right - left), std::max(0, bottom - top)};
  return out;
}

}  // namespace qel::wizard
