#include "commands/bitness.h"

#include <mutex>

#include "commands/platform_hooks.h"

namespace qel::commands {

namespace {
std::mutex g_mode_mutex;
std::string g_mode(kModeWin32);
uint32_t g_view_flag = 0;
bool g_view_initialized = false;
}  // namespace

Platform& PlatformHooks() {
  static Platform platform;
  return platform;
}

std::string BitnessMode() {
  std::lock_guard lock(g_mode_mutex);
  return g_mode;
}

void SetBitnessMode(std::string_view mode) {
  std::lock_guard lock(g_mode_mutex);
  g_mode = mode;
}

std::string NextBitnessMode(std::string_view current, std::string_view p32, std::string_view pia64,
                            std::string_view px64) {
  std::string mode(current);
  if (p32 == "TRUE") mode = kModeWin32;
  if (pia64 == "TRUE") mode = kModeIa64;
  if (px64 == "TRUE") mode = kModeX64;
  return mode;
}

uint32_t RegistryViewFlagFor(bool wow64, std::string_view mode) {
  if (!wow64) return 0;
  return mode == kModeWin32 ? kKeyWow64_32Key : kKeyWow64_64Key;
}

uint32_t RegistryViewFlagAtRest(bool wow64) { return wow64 ? kKeyWow64_32Key : 0; }

uint32_t CurrentRegistryViewFlag() {
  if (!g_view_initialized) {
    g_view_flag = RegistryViewFlagAtRest(PlatformHooks().is_wow64());
    g_view_initialized = true;
  }
  return g_view_flag;
}

RegistryViewScope::RegistryViewScope() {
  g_view_flag = RegistryViewFlagFor(PlatformHooks().is_wow64(), BitnessMode());
  g_view_initialized = true;
}

RegistryViewScope::~RegistryViewScope() { g_view_flag = RegistryViewFlagAtRest(PlatformHooks().is_wow64()); }

uint32_t RegistryViewScope::flag() const { return g_view_flag; }

void RedirectionState::Disable(bool wow64, std::string_view mode) {
  const Platform& platform = PlatformHooks();
  if (!wow64 || mode == kModeWin32) return;
  if (!platform.disable_redirection || !platform.revert_redirection) return;
  if (disabled_ || value_ != nullptr) return;
  void* old_value = nullptr;
  if (platform.disable_redirection(&old_value)) {
    disabled_ = true;
    value_ = old_value;
  }
}

void RedirectionState::Revert() {
  const Platform& platform = PlatformHooks();
  if (!disabled_ || !platform.revert_redirection) return;
  if (platform.revert_redirection(value_)) {
    disabled_ = false;
    // Forget the value too: a value kept after reverting would block every
    // later disabling, leaving redirection on for the rest of the run.
    value_ = nullptr;
  }
}

void* RedirectionState::ForcedDisable() {
  void* old_value = nullptr;
  if (PlatformHooks().disable_redirection) PlatformHooks().disable_redirection(&old_value);
  return old_value;
}

void RedirectionState::ForcedRevert(void* old_value) {
  if (PlatformHooks().revert_redirection) PlatformHooks().revert_redirection(old_value);
}

RedirectionState& EngineRedirection() {
  static RedirectionState state;
  return state;
}

RedirectionBracket::RedirectionBracket() {
  EngineRedirection().Disable(PlatformHooks().is_wow64(), BitnessMode());
}

RedirectionBracket::~RedirectionBracket() { EngineRedirection().Revert(); }

}  // namespace qel::commands
