// The engine-wide bitness mode ("Win32", "x64" or "ia64") and how WOW64 file
// system redirection and registry views follow it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qel::commands {

inline constexpr std::string_view kModeWin32 = "Win32";
inline constexpr std::string_view kModeX64 = "x64";
inline constexpr std::string_view kModeIa64 = "ia64";

std::string BitnessMode();
void SetBitnessMode(std::string_view mode);

// "Set 64 Bit Mode": each parameter compared with the exact text "TRUE", in
// the order 32-bit, Itanium, x64; the last one that holds wins.
std::string NextBitnessMode(std::string_view current, std::string_view p32, std::string_view pia64,
                            std::string_view px64);

inline constexpr uint32_t kKeyWow64_64Key = 0x100;
inline constexpr uint32_t kKeyWow64_32Key = 0x200;
inline constexpr uint32_t kKeyRead = 0x20019;

// The view flag a registry command uses while it runs, and the one left behind.
uint32_t RegistryViewFlagFor(bool wow64, std::string_view mode);
uint32_t RegistryViewFlagAtRest(bool wow64);

// The flag of the running command (0x200 at rest under WOW64, else 0).
uint32_t CurrentRegistryViewFlag();

// Sets the registry view flag for the lifetime of a command.
class RegistryViewScope {
 public:
  RegistryViewScope();
  ~RegistryViewScope();
  RegistryViewScope(const RegistryViewScope&) = delete;
  RegistryViewScope& operator=(const RegistryViewScope&) = delete;
  uint32_t flag() const;
};

// The engine's one redirection state: a switched-off flag and the value the
// disabling call handed back.
class RedirectionState {
 public:
  // Disables only under WOW64 with a mode other than "Win32", when both calls
  // exist, the flag is clear and no value is held.
  void Disable(bool wow64, std::string_view mode);
  // Reverts only when the flag is set.
  void Revert();
  // Worker threads bracket their own work with these; the flag is left alone.
  static void* ForcedDisable();
  static void ForcedRevert(void* old_value);

  bool disabled() const { return disabled_; }

 private:
  bool disabled_ = false;
  void* value_ = nullptr;
};

RedirectionState& EngineRedirection();

// Disables redirection for a command's duration (per the bitness mode).
class RedirectionBracket {
 public:
  RedirectionBracket();
  ~RedirectionBracket();
  RedirectionBracket(const RedirectionBracket&) = delete;
  RedirectionBracket& operator=(const RedirectionBracket&) = delete;
};

}  // namespace qel::commands
