#include "stub/start_window_placement.h"

namespace qel::stub {

WindowBox centred(int width, int height, ScreenSize screen) {
  return {(screen.width - width) / 2, (screen.height - height) / 2, width, height};
}

WindowBox below_splash(const WindowBox& splash, int width, int height, ScreenSize screen) {
  WindowBox box{splash.left + splash.width / 2 + 50, splash.top + splash.height + 25, width, height};
  const int lowest_top = screen.height - 45 - height;
  const int rightmost_left = screen.width - 25 - width;
  if (box.top > lowest_top) box.top = lowest_top;
  if (box.left > rightmost_left) box.left = rightmost_left;
  return box;
}

}  // namespace qel::stub
