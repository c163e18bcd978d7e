// TImageListPool: the hidden window that lives while the wizard does. It owns
// the worker watchdog timers, the notification-area icon, the taskbar timers
// and the image lists of component trees.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>

namespace qel::wizard {

// One watchdog per kind of worker.
enum class Watchdog {
  traTimer,    // program run ("Run Program", "Run Light Mode Setup"): kills at first expiry
  traxTimer,   // program run as another user: kills at first expiry
  tdemTimer,   // "Extract 7Zip Archive"
  tfafTimer,   // "Find All Files"
  thxTimer,    // media block extraction
  thyTimer,    // web media download
  thzTimer,    // media copy to the cache
  plugTimer,   // plug-in call
  spoolTimer,  // native engine run
};
inline constexpr int kWatchdogCount = 9;
inline constexpr UINT kWatchdogIntervalMs = 5000;

// Whether the watchdog looks for progress reported since it was armed before it kills.
bool watchdog_tests_ticks(Watchdog w);

class TImageListPool {
 public:
  TImageListPool();
  ~TImageListPool();
  TImageListPool(const TImageListPool&) = delete;
  TImageListPool& operator=(const TImageListPool&) = delete;

  HWND hwnd() const { return window_; }
  HIMAGELIST ImageList() const { return image_list_; }    // 32 wide: component tree images
  HIMAGELIST ImageList7() const { return image_list7_; }  // image 0: taskbar overlay icon
  HMENU Popup() const { return popup_; }

  // Arms a worker's watchdog; kill ends the worker and marks it finished. When
  // the watchdog expires it disarms itself; with the tick test it re-arms while
  // OXLE_LastActiveTick differs from OXLE_LastDelegateTick (taking the new tick).
  void arm(Watchdog w, std::function<void()> kill);
  void disarm(Watchdog w);
  bool armed(Watchdog w) const;
  void set_watchdog_interval(UINT ms) { watchdog_interval_ = ms; }  // tests

  // Win7Timer: ends the paused taskbar state after a balloon (interval = time-out).
  void start_balloon_timer(UINT ms);
  bool balloon_timer_running() const { return balloon_timer_running_; }
  // TimerWin7: re-applies the taskbar requests to a newly shown page (314 ms, once).
  void start_reapply_timer();

  // Tray icon messages and the two taskbar timers are handled here.
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

 private:
  void on_timer(UINT_PTR id);

  HWND window_ = nullptr;
  HIMAGELIST image_list_ = nullptr;
  HIMAGELIST image_list7_ = nullptr;
  HMENU popup_ = nullptr;
  UINT watchdog_interval_ = kWatchdogIntervalMs;
  std::function<void()> kill_[kWatchdogCount];
  bool armed_[kWatchdogCount] = {};
  bool balloon_timer_running_ = false;
};

// The process's pool: created by the dialog host's preparation, freed at the end.
TImageListPool* image_list_pool();
TImageListPool& create_image_list_pool();  // creates it when missing
void free_image_list_pool();

// The taskbar overlay icon (image 0 of ImageList7); nullptr without a pool.
HICON overlay_icon();

// Window message of tray icon notifications sent to the pool window.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 0x51;

}  // namespace qel::wizard
