// The progress display on a real page: worker reports through the variable
// store reach the page's bars and status text, large ranges are scaled, bad
// values show the maximum, marquee mode switches the bar style.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/wizard_pages/page_fixture.h"
#include "wizard/progress/progress_values.h"

namespace qel::testing {
namespace {

using wizard::progress::delegate_update;
using wizard::progress::display_update;
using wizard::progress::kFromVariables;

struct Bar {
  int position, min, max;
};

Bar bar_of(HWND h) {
  return {static_cast<int>(SendMessageA(h, PBM_GETPOS, 0, 0)), static_cast<int>(SendMessageA(h, PBM_GETRANGE, TRUE, 0)),
          static_cast<int>(SendMessageA(h, PBM_GETRANGE, FALSE, 0))};
}

std::string text_of(HWND h) {
  char buffer[256] = {};
  GetWindowTextA(h, buffer, sizeof buffer);
  return buffer;
}

using ProgressDisplay = PageTest;

TEST_F(ProgressDisplay, WorkerThreadMovesTheBarThroughThePageTimer) {
  show_progress_page();
  HWND bar = control("1", "pbWorker");
  wizard::progress::set_worker_busy(true);
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    for (int i = 1; i <= 400 && !stop; ++i) {
      delegate_update(variables(), "Copying file " + std::to_string(i), 0, 400, i, GetTickCount64());
      Sleep(10);
    }
  });
  // The page's own 1000 ms timer does the display updates; sample what it shows.
  std::vector<int> seen;
  pump_until(8000, [&] {
    int p = bar_of(bar).position;
    if (seen.empty() || seen.back() != p) seen.push_back(p);
    return seen.size() >= 3;
  });
  stop = true;
  worker.join();
  ASSERT_GE(seen.size(), 3u) << "the bar did not move on its own";
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  EXPECT_EQ(bar_of(bar).max, 400);
  EXPECT_EQ(text_of(control("1", "stStatus")).rfind("Copying file ", 0), 0u);
  // A bar without a progress tag keeps its own value.
  EXPECT_EQ(bar_of(control("1", "pbOther")).position, 7);
}

TEST_F(ProgressDisplay, NoPollingWithoutABusyWorker) {
  show_progress_page();
  const std::string shown = text_of(control("1", "stStatus"));
  delegate_update(variables(), "Quiet", 0, 10, 9, 1);
  wizard::progress::progress_tick(page("1"));
  EXPECT_EQ(bar_of(control("1", "pbWorker")).position, 0);
  EXPECT_EQ(text_of(control("1", "stStatus")), shown);
  EXPECT_NE(shown, "Quiet");
}

TEST_F(ProgressDisplay, ValuesAsTheBarShowsThem) {
  struct Case {
    const char* what;
    const char* pos;
    const char* max;
    Bar want_bar;
    Bar want_gauge;
  } cases[] = {
      {"plain", "30", "120", {30, 0, 120}, {30, 0, 120}},
      {"five gigabytes", "5000000000", "5000000000", {4882812, 0, 4882812}, {2147483647, 0, 2147483647}},
      {"not a number", "abc", "100", {100, 0, 100}, {100, 0, 100}},
  };
  show_progress_page();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Start from a known range so that the maximum fallback is visible.
    display_update("reset", false, 0, 100, 0);
    variables().Set("OXLE_thProgress", c.pos);
    variables().Set("OXLE_thMax", c.max);
    variables().Set("OXLE_thMin", "0");
    display_update(kFromVariables, true, 0, 0, 0);
    Bar b = bar_of(control("1", "pbWorker"));
    EXPECT_EQ(b.position, c.want_bar.position);
    EXPECT_EQ(b.max, c.want_bar.max);
    Bar g = bar_of(control("1", "ggWorker"));
    EXPECT_EQ(g.position, c.want_gauge.position);
    EXPECT_EQ(g.max, c.want_gauge.max);
  }
}

TEST_F(ProgressDisplay, PercentBarFollowsTheVariableItsHintNames) {
  show_progress_page();
  HWND bar = control("1", "pbPercent");
  struct Case {
    const char* value;
    int want;
  } cases[] = {{"42", 42}, {"0", 0}, {"100", 100}, {"many", 100}};
  for (const Case& c : cases) {
    variables().Set("PCT", c.value);
    display_update("x", false, 0, 1, 0);
    EXPECT_EQ(bar_of(bar).position, c.want) << c.value;
    EXPECT_EQ(bar_of(bar).max, 100);
  }
}

TEST_F(ProgressDisplay, CancelledFlagIsMirroredForWorkers) {
  show_progress_page();
  variables().Set("OXLE_IsCancelled", "TRUE");
  EXPECT_TRUE(display_update(kFromVariables, true, 0, 0, 0));
  EXPECT_EQ(variables().Get("OXLE_thCancelled"), "TRUE");
  variables().Set("OXLE_IsCancelled", "FALSE");
  EXPECT_FALSE(display_update(kFromVariables, false, 0, 0, 0));
  EXPECT_EQ(variables().Get("OXLE_thCancelled"), "TRUE");  // not written without the flag
}

TEST_F(ProgressDisplay, MarqueeModeSwitchesTheBarStyle) {
  show_progress_page();
  HWND bar = control("1", "pbWorker");
  variables().Set("PROGRESSMODE", "MARQUEE");
  display_update("busy", false, 0, 100, 10);
  EXPECT_NE(GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  variables().Set("PROGRESSMODE", "");
  display_update("done", false, 0, 100, 60);
  EXPECT_EQ(GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  EXPECT_EQ(bar_of(bar).position, 60);
}

TEST_F(ProgressDisplay, ProgressVariablesReachANonModalPage) {
  show_progress_page();
  variables().Set("PROGRESS", "55");
  variables().Set("PROGRESSTEXT", "Half way");
  // Without a busy worker the page's timer hands changed PROGRESS values over.
  wizard::progress::progress_tick(page("1"));
  EXPECT_EQ(bar_of(control("1", "pbWorker")).position, 55);
  EXPECT_EQ(text_of(control("1", "stStatus")), "Half way");
  EXPECT_EQ(variables().Get("OXLE_thProgress"), "55");
  // Unchanged values are not handed over again.
  variables().Set("OXLE_thProgress", "3");
  EXPECT_FALSE(wizard::progress::executor_handover());
  // "Set Variable" of PROGRESS shows at once.
  variables().Set("PROGRESS", "80");
  wizard::progress::progress_variable_set();
  EXPECT_EQ(bar_of(control("1", "pbWorker")).position, 80);
}

TEST_F(ProgressDisplay, SilentModeOnlyMirrorsTheCancelFlag) {
  show_progress_page();
  variables().SetSilent(true);
  variables().Set("OXLE_IsCancelled", "-1");
  EXPECT_TRUE(display_update("x", true, 0, 10, 5));
  EXPECT_EQ(variables().Get("OXLE_thCancelled"), "TRUE");
  EXPECT_EQ(bar_of(control("1", "pbWorker")).position, 0);
  variables().SetSilent(false);
}

TEST_F(ProgressDisplay, DrivenWorkerEndsTheModalWaitWhenFinished) {
  int started = 0;
  wizard::progress::display_hooks().start_installer_worker = [&] { ++started; };
  wizard::TPoolTemplate& p = page("1");
  p.worker_dialog = true;
  p.outcome = wizard::kOutcomePending;
  wizard::progress::progress_tick(p);  // first tick starts the worker
  EXPECT_EQ(started, 1);
  EXPECT_TRUE(p.worker_started);
  EXPECT_EQ(variables().Get("OXLE_thFinished"), "FALSE");
  wizard::progress::progress_tick(p);
  EXPECT_EQ(p.outcome, wizard::kOutcomePending);
  variables().Set("OXLE_thFinished", "TRUE");
  wizard::progress::progress_tick(p);
  EXPECT_EQ(p.outcome, wizard::kOutcomeFinished);
  EXPECT_EQ(started, 1);
  wizard::progress::display_hooks().start_installer_worker = nullptr;
}

}  // namespace
}  // namespace qel::testing
