// Where the engine cache lies and whether the product counts as installed.
#pragma once

#include <optional>
#include <string>

#include "native/identity/identity_context.h"

namespace qel::identity {

// The default value of the product's Ident.Cache key in one hive.
std::optional<std::string> read_cache_entry(IdentityPlatform& platform, RegistryHive hive,
                                            const std::string& product_code);
// The cache folder of the installed build: the machine entry, else the user entry;
// "" when neither exists. Keeps the value as written (trailing backslash).
std::string installed_cache_folder(IdentityPlatform& platform, const std::string& product_code);

// The cache root (trailing backslash) of a kind: OVERRIDECACHE, else a cache entry
// that names this revision, else the shell folder.
std::string cache_root(const IdentityContext& ctx, bool all_users);

// The revision code that names the cache folder: the installed instance's when a
// patch lies beside the package, else the one in force.
std::string cache_revision_code(const IdentityContext& ctx);

// Cache root of the kind + revision code + "\".
std::string engine_cache_folder(const IdentityContext& ctx, bool all_users);

// The cache folder of the setup's own files: all users, unless the current user's
// cache already holds the feature selection file.
std::string own_files_cache_folder(const IdentityContext& ctx);

// The native log set prefix: NATIVE_LOGGING when it names a complete set, else the
// cache folder of the install mode recorded at start + product code.
std::string native_log_prefix(const IdentityContext& ctx);
bool log_set_exists(IdentityPlatform& platform, const std::string& prefix);

// The log set is present and the cache entry names this revision's folder.
bool installed_natively(const IdentityContext& ctx);

// 5 when installed natively, else the Windows Installer state of the product code.
int product_state(const IdentityContext& ctx);

}  // namespace qel::identity
