#include "wizard/tray/image_list_pool.h"

#include <memory>

#include "engine/variables.h"
#include "wizard/tray/taskbar.h"
#include "wizard/tray/tray.h"

namespace qel::wizard {

namespace {

constexpr UINT_PTR kFirstWatchdogId = 100;
constexpr UINT_PTR kBalloonTimerId = 200;   // Win7Timer
constexpr UINT_PTR kReapplyTimerId = 201;   // TimerWin7
constexpr UINT kReapplyIntervalMs = 314;
constexpr const char* kClassName = "TImageListPool";

std::unique_ptr<TImageListPool>& pool_slot() {
  static std::unique_ptr<TImageListPool> pool;
  return pool;
}

LRESULT CALLBACK pool_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* pool = reinterpret_cast<TImageListPool*>(GetWindowLongPtrA(h, GWLP_USERDATA));
  if (pool && pool->hwnd() == h) return pool->handle(msg, wp, lp);
  return DefWindowProcA(h, msg, wp, lp);
}

HICON program_icon() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  return icon ? icon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

}  // namespace

bool watchdog_tests_ticks(Watchdog w) { return w != Watchdog::traTimer && w != Watchdog::traxTimer; }

TImageListPool::TImageListPool() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = pool_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when registered before
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
  InitCommonControls();
  image_list_ = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 4, 4);
  image_list7_ = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1);
  if (image_list7_) ImageList_AddIcon(image_list7_, program_icon());
  popup_ = CreatePopupMenu();
}

TImageListPool::~TImageListPool() {
  if (window_) {
    for (int i = 0; i < kWatchdogCount; ++i) KillTimer(window_, kFirstWatchdogId + i);
    KillTimer(window_, kBalloonTimerId);
    KillTimer(window_, kReapplyTimerId);
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (image_list_) ImageList_Destroy(image_list_);
  if (image_list7_) ImageList_Destroy(image_list7_);
  if (popup_) DestroyMenu(popup_);
}

void TImageListPool::arm(Watchdog w, std::function<void()> kill) {
  int i = static_cast<int>(w);
  kill_[i] = std::move(kill);
  armed_[i] = true;
  SetTimer(window_, kFirstWatchdogId + i, watchdog_interval_, nullptr);
}

void TImageListPool::disarm(Watchdog w) {
  int i = static_cast<int>(w);
  armed_[i] = false;
  KillTimer(window_, kFirstWatchdogId + i);
}

bool TImageListPool::armed(Watchdog w) const { return armed_[static_cast<int>(w)]; }

void TImageListPool::start_balloon_timer(UINT ms) {
  balloon_timer_running_ = true;
  SetTimer(window_, kBalloonTimerId, ms, nullptr);
}

void TImageListPool::start_reapply_timer() { SetTimer(window_, kReapplyTimerId, kReapplyIntervalMs, nullptr); }

void TImageListPool::on_timer(UINT_PTR id) {
  KillTimer(window_, id);  // every timer here runs once per arming
  if (id == kBalloonTimerId) {
    balloon_timer_running_ = false;
    taskbar::pause_error(false, false);
    return;
  }
  if (id == kReapplyTimerId) {
    taskbar::reapply_requests();
    return;
  }
  if (id < kFirstWatchdogId || id >= kFirstWatchdogId + kWatchdogCount) return;
  int i = static_cast<int>(id - kFirstWatchdogId);
  if (!armed_[i]) return;
  auto w = static_cast<Watchdog>(i);
  if (watchdog_tests_ticks(w)) {
    TVariableManager& vars = variables();
    std::string delegate_tick = vars.Get("OXLE_LastDelegateTick");
    if (vars.Get("OXLE_LastActiveTick") != delegate_tick) {
      // The worker reported progress since: give it another interval.
      vars.Set("OXLE_LastActiveTick", delegate_tick);
      SetTimer(window_, id, watchdog_interval_, nullptr);
      return;
    }
  }
  armed_[i] = false;
  if (kill_[i]) kill_[i]();
}

LRESULT TImageListPool::handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    on_timer(wp);
    return 0;
  }
  if (msg == kTrayCallbackMessage) {
    UINT event = LOWORD(lp);
    if (event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK)
      tray::restore();
    return 0;
  }
  return DefWindowProcA(window_, msg, wp, lp);
}

TImageListPool* image_list_pool() { return pool_slot().get(); }

TImageListPool& create_image_list_pool() {
  if (!pool_slot()) pool_slot() = std::make_unique<TImageListPool>();
  return *pool_slot();
}

void free_image_list_pool() { pool_slot().reset(); }

HICON overlay_icon() {
  TImageListPool* pool = image_list_pool();
  if (!pool || !pool->ImageList7() || ImageList_GetImageCount(pool->ImageList7()) == 0) return nullptr;
  static HICON icon = nullptr;
  if (!icon) icon = ImageList_GetIcon(pool->ImageList7(), 0, ILD_NORMAL);
  return icon;
}

}  // namespace qel::wizard
