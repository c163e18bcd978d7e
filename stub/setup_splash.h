// TSetupSplash: the author's splash picture ("setup.bmp") in a borderless
// window of the picture's size, shown while the stub prepares the run.
#pragma once

#include <windows.h>

#include <string>

namespace qel::stub {

class TSetupSplash {
 public:
  TSetupSplash();
  ~TSetupSplash();
  TSetupSplash(const TSetupSplash&) = delete;
  TSetupSplash& operator=(const TSetupSplash&) = delete;

  // Loads the picture into Image; the window takes its size. False when the
  // file is not a readable bitmap (the splash then stays hidden).
  bool load_picture(const std::string& path);
  void centre_on_screen();
  void show();
  void hide();
  void repaint();
  bool visible() const;
  RECT rect() const;  // outer rectangle on the screen
  HWND hwnd() const { return window_; }

 private:
  static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
  void paint();
  HWND window_ = nullptr;
  HBITMAP picture_ = nullptr;
  SIZE size_{0, 0};
};

}  // namespace qel::stub
