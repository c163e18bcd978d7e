// The hidden pool window: tray icon, taskbar requests with and without the
// taskbar interface, and the worker watchdogs.
#include <windows.h>
#include <shobjidl.h>

#include "tests/wizard_pages/fake_taskbar.h"
#include "tests/wizard_pages/page_fixture.h"

namespace qel::testing {
namespace {

using wizard::progress::display_update;

class TrayIcon : public PageTest {
 protected:
  void SetUp() override {
    if (without_display()) GTEST_SKIP() << "no notification area without a display: run by wizard_pages_on_display";
    PageTest::SetUp();
  }
};

TEST_F(TrayIcon, AddedAndRemovedThroughTheShell) {
  variables().Set("TITLE", "Product Setup");
  ASSERT_NE(wizard::image_list_pool(), nullptr);
  EXPECT_TRUE(wizard::tray::show_icon());
  EXPECT_TRUE(wizard::tray::icon_visible());
  EXPECT_TRUE(wizard::tray::show_icon()) << "showing it again modifies the icon";
  EXPECT_TRUE(wizard::tray::hide_icon());
  EXPECT_FALSE(wizard::tray::icon_visible());
  EXPECT_TRUE(wizard::tray::hide_icon()) << "hiding a hidden icon is no error";
}

TEST(TrayBalloon, TimeOutIsClamped) {
  struct Case {
    int requested, shown;
  } cases[] = {{5, 10}, {10, 10}, {17, 17}, {30, 30}, {60, 30}, {-3, 10}};
  for (const Case& c : cases) EXPECT_EQ(wizard::tray::balloon_seconds(c.requested), c.shown) << c.requested;
}

TEST_F(TrayIcon, MinimizedWizardKeepsNewPagesPendingUntilRestored) {
  show_progress_page();
  HWND progress = page("1").hwnd();
  ASSERT_TRUE(IsWindowVisible(progress));
  wizard::tray::minimize_to_tray(progress);
  EXPECT_TRUE(wizard::tray::icon_visible());
  EXPECT_TRUE(wizard::tray::minimized_to_tray());
  EXPECT_FALSE(IsWindowVisible(progress));
  // The script displays the next page: nothing becomes visible.
  wizard::DisplayDialogResult r = wizard::run_display_dialog(2, {"choice", "", "FALSE"}, false, state_);
  EXPECT_EQ(r.outcome, 0);
  HWND choice = page("2").hwnd();
  EXPECT_FALSE(IsWindowVisible(choice));
  EXPECT_EQ(wizard::tray::pending_dialog(), choice);
  // A click on the icon shows the new page.
  PostMessageA(wizard::image_list_pool()->hwnd(), wizard::kTrayCallbackMessage, 1, WM_LBUTTONUP);
  pump_until(2000, [&] { return IsWindowVisible(choice) != FALSE; });
  EXPECT_TRUE(IsWindowVisible(choice));
  EXPECT_FALSE(wizard::tray::minimized_to_tray());
  EXPECT_EQ(wizard::tray::pending_dialog(), nullptr);
  EXPECT_EQ(wizard::taskbar::window(), choice);
}

TEST_F(TrayIcon, ClosingAPageWhileInTheTrayRestoresInstead) {
  show_progress_page();
  HWND h = page("1").hwnd();
  wizard::tray::minimize_to_tray(h);
  SendMessageA(h, WM_CLOSE, 0, 0);
  EXPECT_FALSE(wizard::tray::minimized_to_tray());
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(IsWindow(h));
}

class Taskbar : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    wizard::taskbar::set_factory([this]() -> ITaskbarList3* { return &fake_; });
  }
  FakeTaskbar fake_;
};

TEST_F(Taskbar, CancelQuestionBracketPausesAndRestores) {
  show_progress_page();
  variables().Set("PROGRESSMODE", "MARQUEE");
  wizard::taskbar::pause_error(true, false);
  EXPECT_EQ(variables().Get("PROGRESSMODE"), "PAUSE");
  wizard::taskbar::pause_error(true, true);  // an error box inside the bracket
  EXPECT_EQ(variables().Get("PROGRESSMODE"), "ERROR");
  wizard::taskbar::pause_error(false, false);
  EXPECT_EQ(variables().Get("PROGRESSMODE"), "MARQUEE");
  ASSERT_GE(fake_.states.size(), 3u);
  EXPECT_EQ(fake_.states[fake_.states.size() - 3], TBPF_PAUSED);
  EXPECT_EQ(fake_.states[fake_.states.size() - 2], TBPF_ERROR);
  EXPECT_EQ(fake_.states.back(), TBPF_INDETERMINATE);
}

TEST_F(Taskbar, DisplayUpdateSetsStateAndValue) {
  show_progress_page();
  struct Case {
    const char* what;
    const char* mode;
    const char* custom;
    TBPFLAG last_state;
    bool value;
    ULONGLONG completed, total;
  } cases[] = {
      {"worker values", "", "", TBPF_NORMAL, true, 30, 120},
      {"custom three of four", "", "true", TBPF_NORMAL, true, 3, 4},
      {"marquee", "MARQUEE", "", TBPF_INDETERMINATE, false, 0, 0},
      {"error", "ERROR", "", TBPF_ERROR, true, 30, 120},
      {"paused", "PAUSE", "", TBPF_PAUSED, true, 30, 120},
  };
  variables().Set("CUSTOM_TASKBAR_PROGRESS_PERCENT", "3");
  variables().Set("CUSTOM_TASKBAR_PROGRESS_MAX", "4");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    variables().Set("PROGRESSMODE", c.mode);
    variables().Set("CUSTOM_TASKBAR_PROGRESS_ENABLED", c.custom);
    fake_.states.clear();
    fake_.values.clear();
    display_update("x", false, 0, 120, 30);
    ASSERT_FALSE(fake_.states.empty());
    EXPECT_EQ(fake_.states.back(), c.last_state);
    ASSERT_EQ(fake_.values.size(), c.value ? 1u : 0u);
    if (c.value) {
      EXPECT_EQ(fake_.values[0].completed, c.completed);
      EXPECT_EQ(fake_.values[0].total, c.total);
    }
  }
  // The page keeps the worker's own values while the taskbar shows the custom ones.
  EXPECT_EQ(SendMessageA(control("1", "pbWorker"), PBM_GETPOS, 0, 0), 30);
}

TEST_F(Taskbar, OverlayFollowsTheTrayIcon) {
  show_progress_page();
  fake_.overlays.clear();  // the page's own re-apply timer may have run already
  wizard::tray::show_icon();
  wizard::tray::hide_icon();
  ASSERT_EQ(fake_.overlays.size(), 2u);
  EXPECT_TRUE(fake_.overlays[0]);
  EXPECT_FALSE(fake_.overlays[1]);
}

TEST_F(Taskbar, ANewPageGetsTheSavedRequestsAgain) {
  show_progress_page();
  wizard::taskbar::pause_error(true, false);
  fake_.states.clear();
  wizard::run_display_dialog(2, {"choice", "", "FALSE"}, false, state_);
  EXPECT_EQ(wizard::taskbar::window(), page("2").hwnd());
  pump_until(3000, [&] { return !fake_.states.empty(); });
  ASSERT_FALSE(fake_.states.empty()) << "the re-apply timer did not run";
  EXPECT_EQ(fake_.states.back(), TBPF_PAUSED);
  wizard::taskbar::pause_error(false, false);
}

TEST_F(PageTest, TaskbarCallsWithoutTheInterfaceChangeOnlyTheMode) {
  wizard::taskbar::set_factory([]() -> ITaskbarList3* { return nullptr; });
  show_progress_page();
  const wizard::taskbar::CallCounts before = wizard::taskbar::calls();
  EXPECT_FALSE(wizard::taskbar::available());
  wizard::taskbar::pause_error(true, true);
  EXPECT_EQ(variables().Get("PROGRESSMODE"), "ERROR");
  wizard::taskbar::overlay(true);
  wizard::taskbar::set_value(1, 2);
  display_update("x", false, 0, 10, 4);
  wizard::taskbar::reapply_requests();
  wizard::taskbar::pause_error(false, false);
  EXPECT_EQ(variables().Get("PROGRESSMODE"), "");
  const wizard::taskbar::CallCounts after = wizard::taskbar::calls();
  EXPECT_EQ(after.state, before.state);
  EXPECT_EQ(after.value, before.value);
  EXPECT_EQ(after.overlay, before.overlay);
  EXPECT_EQ(SendMessageA(control("1", "pbWorker"), PBM_GETPOS, 0, 0), 4);
}

using Watchdogs = PageTest;

TEST_F(Watchdogs, KillAtFirstExpiryOrWhenTheWorkerFallsSilent) {
  wizard::TImageListPool& pool = *wizard::image_list_pool();
  pool.set_watchdog_interval(200);
  struct Case {
    wizard::Watchdog which;
    bool reports_once;   // the worker reports progress during the first interval
    int want_expiries;   // expiries until the kill
  } cases[] = {
      {wizard::Watchdog::traTimer, true, 1},     // program runs: no tick test
      {wizard::Watchdog::traxTimer, false, 1},
      {wizard::Watchdog::plugTimer, false, 1},   // silent since arming
      {wizard::Watchdog::thyTimer, true, 2},     // reported once: one more interval
      {wizard::Watchdog::spoolTimer, true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.which));
    variables().Set("OXLE_LastDelegateTick", "100");
    variables().Set("OXLE_LastActiveTick", "100");
    ULONGLONG armed_at = GetTickCount64(), killed_at = 0;
    pool.arm(c.which, [&] { killed_at = GetTickCount64(); });
    EXPECT_TRUE(pool.armed(c.which));
    if (c.reports_once) variables().Set("OXLE_LastDelegateTick", "200");
    pump_until(3000, [&] { return killed_at != 0; });
    ASSERT_NE(killed_at, 0u);
    EXPECT_FALSE(pool.armed(c.which));
    const ULONGLONG waited = killed_at - armed_at;
    EXPECT_GE(waited, 200u * c.want_expiries - 20);
    EXPECT_LT(waited, 200u * (c.want_expiries + 1));
  }
}

TEST_F(Watchdogs, DisarmedWatchdogNeverKills) {
  wizard::TImageListPool& pool = *wizard::image_list_pool();
  pool.set_watchdog_interval(50);
  bool killed = false;
  pool.arm(wizard::Watchdog::tfafTimer, [&] { killed = true; });
  pool.disarm(wizard::Watchdog::tfafTimer);
  pump_for(300);
  EXPECT_FALSE(killed);
}

}  // namespace
}  // namespace qel::testing
