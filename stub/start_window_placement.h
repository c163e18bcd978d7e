// Where the start-up windows go: the splash centred on the screen, the
// initialization window below and right of the splash's middle, kept inside the
// screen, or centred when there is no splash. Portable.
#pragma once

namespace qel::stub {

struct WindowBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// Centred like a form with the screen-centre position (halves rounded toward zero).
WindowBox centred(int width, int height, ScreenSize screen);

// left = splash left + splash width / 2 + 50, top = splash bottom + 25; then top
// at most screen height - 45 - height, left at most screen width - 25 - width.
// width and height are the initialization window's outer size.
WindowBox below_splash(const WindowBox& splash, int width, int height, ScreenSize screen);

// The initialization window's dialog counter: range 0..count, position 1 before
// the first dialog, one step after each.
struct DialogCounter {
  int min = 0;
  int max = 0;
  int position = 1;
  explicit DialogCounter(int count) : max(count) {}
  // The bar clamps to its range like a progress control does.
  int shown() const { return position < min ? min : position > max ? max : position; }
  void step() { ++position; }
};

}  // namespace qel::stub
