#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "engine/variables.h"
#include "wizard/progress/progress_values.h"

namespace qel::wizard::progress {
namespace {

void seed(TVariableManager& vars, const char* pos, const char* min, const char* max, const char* text) {
  vars.Set("OXLE_thProgress", pos);
  vars.Set("OXLE_thMin", min);
  vars.Set("OXLE_thMax", max);
  vars.Set("OXLE_thProgressText", text);
}

TEST(DelegateUpdate, WritesNumbersTextAndTick) {
  TVariableManager vars;
  seed(vars, "0", "0", "100", "");
  delegate_update(vars, "Copying", 5, 500, 42, 123456);
  EXPECT_EQ(vars.Get("OXLE_thProgress"), "42");
  EXPECT_EQ(vars.Get("OXLE_thMin"), "5");
  EXPECT_EQ(vars.Get("OXLE_thMax"), "500");
  EXPECT_EQ(vars.Get("OXLE_thProgressText"), "Copying");
  EXPECT_EQ(vars.Get("OXLE_LastDelegateTick"), "123456");
}

TEST(DelegateUpdate, MarkersKeepWhatTheyName) {
  struct Case {
    const char* text;
    int64_t position;
    const char* want_pos;
    const char* want_text;
  } cases[] = {
      {"$IGNORE$", 7, "7", "old"},     // text stays, numbers change
      {"new", -1, "3", "new"},         // numbers stay, text changes
      {"$IGNORE$", -1, "3", "old"},    // nothing but the tick changes
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    seed(vars, "3", "0", "10", "old");
    delegate_update(vars, c.text, 0, 10, c.position, 9);
    EXPECT_EQ(vars.Get("OXLE_thProgress"), c.want_pos) << c.text << " " << c.position;
    EXPECT_EQ(vars.Get("OXLE_thProgressText"), c.want_text) << c.text << " " << c.position;
    EXPECT_EQ(vars.Get("OXLE_LastDelegateTick"), "9");
  }
}

TEST(DelegateUpdate, FromVariablesRereadsTheStore) {
  TVariableManager vars;
  seed(vars, "5000000000", "0", "6000000000", "big");
  Values v = resolve(vars, Values{"$OXLE$", 1, 2, 3, true});
  EXPECT_TRUE(v.numbers_valid);
  EXPECT_EQ(v.position, 5000000000LL);
  EXPECT_EQ(v.max, 6000000000LL);
  EXPECT_EQ(v.text, "big");
  // Other texts are taken as given.
  Values plain = resolve(vars, Values{"plain", 1, 2, 3, true});
  EXPECT_EQ(plain.position, 3);
  EXPECT_EQ(plain.text, "plain");
}

TEST(DelegateUpdate, NonIntegerVariablesAreReportedNotWritten) {
  TVariableManager vars;
  seed(vars, "abc", "0", "10", "t");
  Values v = resolve(vars, Values{"$OXLE$", 0, 0, 0, true});
  EXPECT_FALSE(v.numbers_valid);
  delegate_update(vars, "$OXLE$", 0, 0, 0, 1);
  EXPECT_EQ(vars.Get("OXLE_thProgress"), "abc");  // left for the page to show as its maximum
}

TEST(DelegateUpdate, ConcurrentWorkersNeverTearAReport) {
  TVariableManager vars;
  seed(vars, "0", "0", "0", "");
  std::vector<std::thread> workers;
  for (int w = 1; w <= 4; ++w)
    workers.emplace_back([&vars, w] {
      for (int i = 0; i < 2000; ++i) delegate_update(vars, "w" + std::to_string(w), w, w * 1000, w, i);
    });
  bool torn = false;
  for (int i = 0; i < 2000; ++i) {
    std::lock_guard<std::recursive_mutex> lock(vars.Mutex());
    const std::string pos = vars.Get("OXLE_thProgress");
    if (pos != "0" && (vars.Get("OXLE_thMin") != pos || vars.Get("OXLE_thMax") != pos + "000")) torn = true;
  }
  for (auto& t : workers) t.join();
  EXPECT_FALSE(torn);
}

TEST(BarValues, LargeMaximaAreScaledBy1024) {
  struct Case {
    int64_t min, max, pos;
    int32_t want_min, want_max, want_pos;
  } cases[] = {
      {0, 100, 50, 0, 100, 50},
      {0, 2147483647, 7, 0, 2147483647, 7},                  // still fits
      {0, 2147483648LL, 2048, 0, 2097152, 2},                // 2^31: scaled
      {0, 5000000000LL, 5000000000LL, 0, 4882812, 4882812},  // a 5 GB worker
      {1024, 4294967296LL, 1023, 1, 4194304, 0},
  };
  for (const Case& c : cases) {
    BarValues b = bar_values(c.min, c.max, c.pos);
    EXPECT_EQ(b.min, c.want_min) << c.max;
    EXPECT_EQ(b.max, c.want_max) << c.max;
    EXPECT_EQ(b.position, c.want_pos) << c.max;
  }
}

TEST(BarValues, ManualMarqueeWrapsToTheMinimum) {
  EXPECT_EQ(manual_marquee_step(0, 10, 4), 5);
  EXPECT_EQ(manual_marquee_step(0, 10, 10), 0);
  EXPECT_EQ(manual_marquee_step(3, 10, 12), 3);
}

TEST(Taskbar, ModeTexts) {
  EXPECT_EQ(state_for_mode("MARQUEE"), TaskbarState::Indeterminate);
  EXPECT_EQ(state_for_mode("ERROR"), TaskbarState::Error);
  EXPECT_EQ(state_for_mode("PAUSE"), TaskbarState::Paused);
  EXPECT_EQ(state_for_mode("pause"), TaskbarState::Normal);  // exact text only
  EXPECT_EQ(state_for_mode(""), TaskbarState::Normal);
}

TEST(Taskbar, ProgressFromWorkerOrCustomValues) {
  struct Case {
    const char* mode;
    const char* custom_enabled;
    const char* percent;
    const char* custom_max;
    TaskbarState want_state;
    bool want_value;
    uint64_t want_completed, want_total;
  } cases[] = {
      {"", "", "", "", TaskbarState::Normal, true, 30, 120},
      {"", "true", "3", "4", TaskbarState::Normal, true, 3, 4},        // custom wins, any case
      {"", "FALSE", "3", "4", TaskbarState::Normal, true, 30, 120},
      {"", "TRUE", "x", "4", TaskbarState::Normal, false, 0, 0},       // conversion error: no value
      {"MARQUEE", "", "", "", TaskbarState::Indeterminate, false, 0, 0},
      {"ERROR", "", "", "", TaskbarState::Error, true, 30, 120},
      {"PAUSE", "TRUE", "1", "2", TaskbarState::Paused, true, 1, 2},
      {"", "TRUE", "9", "4", TaskbarState::Normal, true, 4, 4},        // never past the total
      {"", "TRUE", "-5", "4", TaskbarState::Normal, true, 0, 4},
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    vars.Set("PROGRESSMODE", c.mode);
    vars.Set("CUSTOM_TASKBAR_PROGRESS_ENABLED", c.custom_enabled);
    vars.Set("CUSTOM_TASKBAR_PROGRESS_PERCENT", c.percent);
    vars.Set("CUSTOM_TASKBAR_PROGRESS_MAX", c.custom_max);
    TaskbarProgress t = taskbar_progress(vars, 30, 120);
    SCOPED_TRACE(std::string(c.mode) + "/" + c.custom_enabled + "/" + c.percent);
    EXPECT_EQ(t.state, c.want_state);
    EXPECT_EQ(t.has_value, c.want_value);
    if (c.want_value) {
      EXPECT_EQ(t.completed, c.want_completed);
      EXPECT_EQ(t.total, c.want_total);
    }
  }
}

}  // namespace
}  // namespace qel::wizard::progress
