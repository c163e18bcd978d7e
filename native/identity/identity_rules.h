// The pure rules of the product identity: the instance file, version numbers,
// cache-folder names and the texts written for Add/Remove Programs. No system
// access here, so every rule is tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::identity {

inline constexpr std::string_view kInstanceFileName = "instance.dat";
inline constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view kCacheEntryKey = "SOFTWARE\\Fernmoor\\Oakhollow\\Ident.Cache\\";
inline constexpr std::string_view kRemoveArguments = " REMOVE=TRUE MODIFY=FALSE";
inline constexpr int kProductInstalled = 5;

struct InstanceIdentity {
  std::string product_code;
  std::string revision_code;
  std::string instance_name;
};

// "instance.dat": product code, revision code and instance name, each followed by
// CR LF. Reading accepts LF alone; a file with fewer than three lines, or with an
// empty product or revision code, is refused (nullopt) so that a damaged file
// never blanks the identity.
std::optional<InstanceIdentity> parse_instance_file(std::string_view text);
std::string format_instance_file(const InstanceIdentity& identity);

struct VersionNumbers {
  uint32_t major = 0;
  uint32_t minor = 0;
};
// The first and second dot-separated numbers: "5" -> 5.0, "2.10.3" -> 2.10.
// Each part counts by its leading digits; none gives 0, too large a number is
// clamped to 0xFFFFFFFF.
VersionNumbers split_version(std::string_view version);

// "C:\a\b\" and "C:\a\b" -> "b".
std::string last_folder_component(std::string_view folder);
// "C:\a\b\" -> "C:\a\"; "" when there is no parent.
std::string parent_folder(std::string_view folder);

// A cache entry names the cache folder of one build; it gives the cache root (its
// parent) only when its last component is the revision code (without case).
// Returns "" when the entry does not qualify.
std::string cache_root_from_entry(std::string_view entry, std::string_view revision_code);

// What the cache-root rule looks at. An entry is nullopt when its value is missing.
struct CacheRootInputs {
  std::string override_folder;               // OVERRIDECACHE
  std::optional<std::string> machine_entry;  // Ident.Cache default value, HKEY_LOCAL_MACHINE
  std::optional<std::string> user_entry;     // the same under HKEY_CURRENT_USER
  std::string revision_code;
  std::string shell_root;                    // from the shell folders, trailing backslash
};
// The override when set; else the machine entry, or the user entry when the
// machine one is missing or names no existing folder, taken only when it names the
// revision code; else the shell root. Always with a trailing backslash (unless "").
std::string choose_cache_root(const CacheRootInputs& inputs, const std::function<bool(const std::string&)>& folder_exists);

// The program of an "UninstallString": the first double quote removed and
// everything from the next one on.
std::string uninstall_program_of(std::string_view uninstall_string);

// The cache folder of the build that an "UninstallString" names: the folder that
// holds the program; its last component is that build's revision code.
std::string revision_of_uninstall_string(std::string_view uninstall_string);

// "C:\cache\{R}\" -> the first "C:\cache\~N" (N from 0) for which taken is false;
// "" when the folder has no parent or every number up to the bound is taken.
inline constexpr unsigned kMaxSiblingNumber = 10000;
std::string first_free_sibling(std::string_view folder, const std::function<bool(const std::string&)>& taken);

// The four files of a native log set at a prefix.
std::vector<std::string> log_set_files(std::string_view prefix);

// The feature selection file of a previous build's cache folder, given the file
// names the folder holds (any case): the only "*.dat" besides "instance.dat";
// with several, the first x.dat (in the given order) for which x.exe, x.res, x.msi
// and x.par exist. Returns the file name, or "" when none qualifies.
std::string choose_selection_file(const std::vector<std::string>& file_names);

// One registry value to write.
struct RegistryValue {
  std::string name;     // "" is the default value
  bool is_number = false;
  std::string text;
  uint32_t number = 0;
};

// The product information of the setup payload that the Uninstall entry shows.
struct ProductInfo {
  std::string title;
  std::string publisher;
  std::string contact;
  std::string help_link;
  std::string update_link;
  std::string comments;
  std::string version;
};

// The values of the Uninstall entry named by the title.
std::vector<RegistryValue> uninstall_entry_values(const ProductInfo& info, std::string_view cache_folder,
                                                  std::string_view stub_file_name, std::string_view install_location);
// The values of the engine's own cache entry named by the product code.
std::vector<RegistryValue> cache_entry_values(std::string_view version, std::string_view cache_folder);

// '"' + cache + stub + '"' + " REMOVE=TRUE MODIFY=FALSE".
std::string removal_command_line(std::string_view cache_folder, std::string_view stub_file_name);

// "setup.exe" -> "setup".
std::string base_name_of(std::string_view file_name);
// Replaces the extension of a path (".msi" -> ".msp"); appends it when there is none.
std::string with_extension(std::string_view path, std::string_view extension);

}  // namespace qel::identity

namespace qel::identity {

// Whether a name may be appended to a registry key or cache root as one more
// level: not empty, not only blanks, dots or separators, and free of "\" and "/".
// Guards the deletions: an empty title must never turn "Uninstall\" + title into
// the Uninstall key itself.
bool is_single_level_name(std::string_view name);

}  // namespace qel::identity
