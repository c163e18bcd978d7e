// The splash and initialization windows as the stub drives them while it
// prepares the run: created and placed before the payload is read, the logo
// reloaded after extraction, the bar counting the pre-loaded pages, and both
// windows gone before the script starts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "stub/setup_init.h"
#include "stub/setup_splash.h"

namespace qel::stub {

class StartWindows {
 public:
  // Creates the splash (shown only when stub folder + "setup.bmp" holds a
  // readable bitmap) and the initialization window, places and shows them.
  void open(const std::string& stub_folder, const std::string& support_folder);
  bool is_open() const { return init_ != nullptr; }
  // The owner of the stub's message boxes: the initialization window, or none.
  HWND owner() const { return init_ ? init_->hwnd() : nullptr; }

  // After extraction: the archive may carry its own "oakhollow.png". Throws when
  // the logo file cannot be loaded.
  void reload_logo();
  // Range 0..count, position 1; then one step per loaded page.
  void begin_dialogs(int count);
  void dialog_loaded();
  // Hides and frees both windows.
  void close();

  TSetupSplash* splash() const { return splash_.get(); }
  TSetupInit* init() const { return init_.get(); }

 private:
  std::unique_ptr<TSetupSplash> splash_;
  std::unique_ptr<TSetupInit> init_;
};

}  // namespace qel::stub
