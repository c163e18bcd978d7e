#include <gtest/gtest.h>

#include "wizard/form_colors.h"
#include "wizard/form_layout.h"

namespace qel::wizard {
namespace {

TEST(FormColor, NamesIntegersAndSystemColours) {
  struct Case {
    const char* text;
    bool system;
    uint32_t value;
  };
  const Case cases[] = {
      {"clBtnFace", true, 15},         {"CLWINDOW", true, 5},        {"clRed", false, 0x0000FF},
      {"clNavy", false, 0x800000},     {"16711680", false, 0xFF0000}, {"-16777201", true, 15},
      {"$FF000005", true, 5},          {"0x80000008", true, 8},       {"$00C8D0D4", false, 0xC8D0D4},
      {"clGradientActiveCaption", true, 27},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto color = parse_form_color(c.text);
    ASSERT_TRUE(color.has_value());
    EXPECT_EQ(color->system, c.system);
    EXPECT_EQ(color->value, c.value);
  }
  EXPECT_TRUE(parse_form_color("clNone")->none);
  EXPECT_TRUE(parse_form_color("536870912")->default_color);
  for (const char* bad : {"", "clChartreuse", "12x", "$", "Red"}) EXPECT_FALSE(parse_form_color(bad)) << bad;
}

TEST(Scale, RoundsLikeMulDiv) {
  struct Case {
    int value, to, from, expected;
  };
  const Case cases[] = {{100, 120, 96, 125}, {-11, 120, 96, -14}, {13, 144, 96, 20}, {7, 96, 96, 7}, {5, 1, 0, 5}, {3, 1, 2, 2}, {-3, 1, 2, -2}};
  for (const Case& c : cases) EXPECT_EQ(scale_value(c.value, c.to, c.from), c.expected) << c.value;
}

TEST(Anchors, SetText) {
  Anchors a = parse_anchors("[akLeft, akBottom]");
  EXPECT_TRUE(a.left);
  EXPECT_FALSE(a.top);
  EXPECT_FALSE(a.right);
  EXPECT_TRUE(a.bottom);
  Anchors none = parse_anchors("[]");
  EXPECT_FALSE(none.left || none.top || none.right || none.bottom);
}

TEST(Layout, AlignOrderTopBottomLeftRightClient) {
  // Designed order deliberately differs from file order.
  std::vector<LayoutItem> items(6);
  items[0] = {Align::Client, {}, {0, 0, 10, 10}};
  items[1] = {Align::Top, {}, {0, 50, 10, 20}};   // second from the top
  items[2] = {Align::Top, {}, {0, 0, 10, 30}};    // first
  items[3] = {Align::Bottom, {}, {0, 0, 10, 15}};
  items[4] = {Align::Left, {}, {0, 0, 40, 5}};
  items[5] = {Align::Right, {}, {0, 0, 25, 5}};
  auto r = layout_children(items, 200, 100, 200, 100);
  EXPECT_EQ(r[2], (Rect{0, 0, 200, 30}));
  EXPECT_EQ(r[1], (Rect{0, 30, 200, 20}));
  EXPECT_EQ(r[3], (Rect{0, 85, 200, 15}));
  EXPECT_EQ(r[4], (Rect{0, 50, 40, 35}));
  EXPECT_EQ(r[5], (Rect{175, 50, 25, 35}));
  EXPECT_EQ(r[0], (Rect{40, 50, 135, 35}));
}

TEST(Layout, AnchorsFollowAGrownParent) {
  struct Case {
    const char* anchors;
    Rect expected;
  };
  const Case cases[] = {
      {"[akLeft,akTop]", {10, 20, 30, 40}},
      {"[akRight,akBottom]", {20, 25, 30, 40}},
      {"[akLeft,akTop,akRight,akBottom]", {10, 20, 40, 45}},
      {"[]", {15, 22, 30, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.anchors);
    LayoutItem it{Align::None, parse_anchors(c.anchors), {10, 20, 30, 40}};
    EXPECT_EQ(layout_children({it}, 100, 100, 110, 105)[0], c.expected);
  }
}

TEST(Layout, HiddenAlignedControlsTakeNoSpace) {
  std::vector<LayoutItem> items(2);
  items[0] = {Align::Top, {}, {0, 0, 10, 30}, false};
  items[1] = {Align::Client, {}, {0, 0, 10, 10}};
  EXPECT_EQ(layout_children(items, 50, 50, 50, 50)[1], (Rect{0, 0, 50, 50}));
}

}  // namespace
}  // namespace qel::wizard

#include "wizard/control_classes.h"

namespace qel::wizard {
namespace {

TEST(ControlClasses, RegisteredSetAndLookup) {
  size_t count = 0;
  const ClassInfo* classes = registered_classes(count);
  ASSERT_EQ(count, 44u);
  EXPECT_STREQ(classes[0].name, "TLabel");
  EXPECT_STREQ(classes[43].name, "TAeroPngButton");
  struct Case {
    const char* name;
    Kind kind;
  };
  const Case cases[] = {{"tbutton", Kind::Button}, {"TRzBmpButton", Kind::Button}, {"TGlowLabel", Kind::Label},
                        {"TAeroPngImage", Kind::Image}, {"TVistaGlass", Kind::NonVisual}, {"TGauge", Kind::Gauge}};
  for (const Case& c : cases) {
    ASSERT_NE(find_class(c.name), nullptr) << c.name;
    EXPECT_EQ(find_class(c.name)->kind, c.kind) << c.name;
  }
  EXPECT_EQ(find_class("TStringGrid"), nullptr);
  EXPECT_EQ(find_class("TForm"), nullptr);  // the form is the root, never a component
}

}  // namespace
}  // namespace qel::wizard
