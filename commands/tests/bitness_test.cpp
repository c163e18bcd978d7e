#include "commands/bitness.h"

#include <gtest/gtest.h>

#include "commands/platform_hooks.h"

namespace qel::commands {
namespace {

TEST(RegistryViewFlag, FollowsWow64AndMode) {
  EXPECT_EQ(RegistryViewFlagFor(true, "x64"), 0x100u);
  EXPECT_EQ(RegistryViewFlagFor(true, "ia64"), 0x100u);
  EXPECT_EQ(RegistryViewFlagFor(true, "Win32"), 0x200u);
  EXPECT_EQ(RegistryViewFlagFor(false, "x64"), 0u);
  EXPECT_EQ(RegistryViewFlagAtRest(true), 0x200u);
  EXPECT_EQ(RegistryViewFlagAtRest(false), 0u);
}

// Fake kernel functions that count calls and hand out a non-zero value.
int g_disables = 0;
int g_reverts = 0;
void* g_reverted_value = nullptr;
int g_token = 0;

class RedirectionStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = PlatformHooks();
    g_disables = g_reverts = 0;
    g_reverted_value = nullptr;
    PlatformHooks().disable_redirection = [](void** old_value) {
      ++g_disables;
      *old_value = &g_token;
      return true;
    };
    PlatformHooks().revert_redirection = [](void* old_value) {
      ++g_reverts;
      g_reverted_value = old_value;
      return true;
    };
  }
  void TearDown() override { PlatformHooks() = saved_; }
  Platform saved_;
};

TEST_F(RedirectionStateTest, DisablesOnlyUnderWow64OutsideWin32Mode) {
  RedirectionState state;
  state.Disable(false, "x64");
  state.Disable(true, "Win32");
  EXPECT_EQ(g_disables, 0);
  state.Disable(true, "x64");
  EXPECT_EQ(g_disables, 1);
  EXPECT_TRUE(state.disabled());
  state.Disable(true, "x64");  // already off
  EXPECT_EQ(g_disables, 1);
  state.Revert();
  EXPECT_EQ(g_reverts, 1);
  EXPECT_EQ(g_reverted_value, &g_token);
  state.Revert();  // already on
  EXPECT_EQ(g_reverts, 1);
}

TEST_F(RedirectionStateTest, SecondCommandDisablesAgain) {
  RedirectionState state;
  for (int round = 1; round <= 3; ++round) {
    state.Disable(true, "x64");
    state.Revert();
    EXPECT_EQ(g_disables, round);
    EXPECT_EQ(g_reverts, round);
  }
}

TEST_F(RedirectionStateTest, MissingFunctionsLeaveRedirectionAlone) {
  PlatformHooks().revert_redirection = nullptr;
  RedirectionState state;
  state.Disable(true, "x64");
  EXPECT_EQ(g_disables, 0);
  EXPECT_FALSE(state.disabled());
}

TEST_F(RedirectionStateTest, ForcedVariantIgnoresTheFlag) {
  RedirectionState state;
  state.Disable(true, "x64");
  void* value = RedirectionState::ForcedDisable();
  RedirectionState::ForcedRevert(value);
  EXPECT_EQ(g_disables, 2);
  EXPECT_EQ(g_reverts, 1);
  EXPECT_TRUE(state.disabled());
  state.Revert();
}

TEST_F(RedirectionStateTest, BracketFollowsEngineMode) {
  PlatformHooks().is_wow64 = [] { return true; };
  SetBitnessMode("x64");
  {
    RedirectionBracket bracket;
    EXPECT_TRUE(EngineRedirection().disabled());
    RegistryViewScope view;
    EXPECT_EQ(CurrentRegistryViewFlag(), 0x100u);
  }
  EXPECT_FALSE(EngineRedirection().disabled());
  EXPECT_EQ(CurrentRegistryViewFlag(), 0x200u);
  SetBitnessMode("Win32");
  {
    RedirectionBracket bracket;
    EXPECT_FALSE(EngineRedirection().disabled());
  }
  EXPECT_EQ(g_disables, 1);
}

}  // namespace
}  // namespace qel::commands
