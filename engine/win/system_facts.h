// What the engine start-up reads from Windows.
#pragma once

#include <cstdint>
#include <string>

namespace qel::engine_win {

bool running_as_administrator();
// Desktop composition enabled, or Windows Vista or later with visual themes.
bool glass_enabled();
// RegisteredOwner / RegisteredOrganization (64-bit view under WOW64).
void registered_user(std::string& owner, std::string& organization);
std::string short_date_text();
std::string long_time_text();
uint64_t tick_count();
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
// The cache root of the shell folders (common or local application data).
std::string shell_cache_root(bool all_users);
// The uninstall program of an installed product: "UninstallString" of the
// Uninstall entry, without its first quote and everything from the next one on.
std::string uninstall_program(const std::string& title, bool machine);
// Deletes the reboot-resume value from Run and RunOnce, per user and machine.
void remove_reboot_resume_values(const std::string& value_name);

}  // namespace qel::engine_win
