#include <gtest/gtest.h>

#include "stub/start_window_placement.h"

namespace qel::stub {
namespace {

TEST(StartWindowPlacement, InitializationWindowFollowsTheSplash) {
  const ScreenSize screen{1024, 768};
  struct Case {
    const char* what;
    WindowBox splash;
    int width, height;
    int want_left, want_top;
  } cases[] = {
      // 640 x 480 picture centred at 192, 144: 562, 649, pulled up to 768 - 45 - 120.
      {"large picture", {192, 144, 640, 480}, 375, 120, 562, 603},
      // A small picture leaves room: no correction.
      {"small picture", {412, 334, 200, 100}, 375, 120, 562, 459},
      // Odd widths halve toward zero.
      {"odd width", {0, 0, 201, 10}, 100, 50, 150, 35},
      // Far right: pulled left so that 25 pixels stay free.
      {"right edge", {700, 10, 300, 100}, 375, 120, 624, 135},
      // Negative splash position (picture larger than the screen): halves toward zero.
      {"larger than screen", {-101, -50, 1227, 868}, 375, 120, 562, 603},
  };
  for (const Case& c : cases) {
    WindowBox box = below_splash(c.splash, c.width, c.height, screen);
    EXPECT_EQ(box.left, c.want_left) << c.what;
    EXPECT_EQ(box.top, c.want_top) << c.what;
    EXPECT_EQ(box.width, c.width) << c.what;
    EXPECT_EQ(box.height, c.height) << c.what;
  }
}

TEST(StartWindowPlacement, CentredHalvesTowardZero) {
  WindowBox a = centred(640, 480, {1024, 768});
  EXPECT_EQ(a.left, 192);
  EXPECT_EQ(a.top, 144);
  WindowBox b = centred(1101, 801, {1024, 768});  // larger than the screen
  EXPECT_EQ(b.left, -38);
  EXPECT_EQ(b.top, -16);
}

TEST(StartWindowPlacement, DialogCounterReachesItsMaximumAfterTheSecondOfThree) {
  DialogCounter counter(3);
  EXPECT_EQ(counter.min, 0);
  EXPECT_EQ(counter.max, 3);
  EXPECT_EQ(counter.shown(), 1);
  counter.step();
  EXPECT_EQ(counter.shown(), 2);
  counter.step();
  EXPECT_EQ(counter.shown(), 3);
  counter.step();
  EXPECT_EQ(counter.shown(), 3);  // the bar stays at its maximum
  DialogCounter none(0);
  EXPECT_EQ(none.shown(), 0);
}

}  // namespace
}  // namespace qel::stub
