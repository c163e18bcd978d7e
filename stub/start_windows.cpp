#include "stub/start_windows.h"

#include "stub/start_window_placement.h"

namespace qel::stub {

void StartWindows::open(const std::string& stub_folder, const std::string& support_folder) {
  splash_ = std::make_unique<TSetupSplash>();
  init_ = std::make_unique<TSetupInit>(support_folder);
  const ScreenSize screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const SIZE size = init_->outer_size();
  const std::string picture = stub_folder + "setup.bmp";
  WindowBox place;
  // An unreadable picture is treated like a missing one: no splash.
  if (GetFileAttributesA(picture.c_str()) != INVALID_FILE_ATTRIBUTES && splash_->load_picture(picture)) {
    splash_->centre_on_screen();
    splash_->show();
    splash_->repaint();
    const RECT r = splash_->rect();
    place = below_splash({r.left, r.top, r.right - r.left, r.bottom - r.top}, size.cx, size.cy, screen);
  } else {
    place = centred(size.cx, size.cy, screen);
  }
  init_->move_to(place.left, place.top);
  init_->show();
  init_->repaint();
}

void StartWindows::reload_logo() {
  if (init_ && init_->has_logo()) init_->reload_logo();
}

void StartWindows::begin_dialogs(int count) {
  if (!init_) return;
  init_->set_progress(0, count, 1);
  init_->repaint();
}

void StartWindows::dialog_loaded() {
  if (!init_) return;
  init_->step_progress();
  init_->repaint();
  if (splash_ && splash_->visible()) splash_->repaint();
}

void StartWindows::close() {
  if (init_) init_->hide();
  init_.reset();
  if (splash_ && splash_->visible()) splash_->hide();
  splash_.reset();
}

}  // namespace qel::stub
