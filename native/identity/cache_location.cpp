#include "native/identity/cache_location.h"

#include "engine/ascii.h"
#include "engine/variables.h"
#include "native/identity/identity_rules.h"

namespace qel::identity {

std::optional<std::string> read_cache_entry(IdentityPlatform& platform, RegistryHive hive,
                                            const std::string& product_code) {
  if (product_code.empty()) return std::nullopt;
  std::string value;
  if (!platform.read_string(hive, std::string(kCacheEntryKey) + product_code, "", value)) return std::nullopt;
  return value;
}

std::string installed_cache_folder(IdentityPlatform& platform, const std::string& product_code) {
  for (RegistryHive hive : {RegistryHive::Machine, RegistryHive::User}) {
    if (auto entry = read_cache_entry(platform, hive, product_code); entry && !entry->empty()) return *entry;
  }
  return {};
}

std::string cache_root(const IdentityContext& ctx, bool all_users) {
  CacheRootInputs inputs;
  inputs.override_folder = ctx.vars.ReadVariable("OVERRIDECACHE");
  if (inputs.override_folder.empty()) {
    inputs.machine_entry = read_cache_entry(ctx.platform, RegistryHive::Machine, ctx.state.product_code);
    inputs.user_entry = read_cache_entry(ctx.platform, RegistryHive::User, ctx.state.product_code);
    inputs.revision_code = cache_revision_code(ctx);
    inputs.shell_root = ctx.platform.shell_cache_root(all_users);
  }
  return choose_cache_root(inputs, [&](const std::string& folder) { return ctx.platform.folder_exists(folder); });
}

std::string cache_revision_code(const IdentityContext& ctx) {
  const IdentityState& s = ctx.state;
  if (s.package_path.empty() || !ctx.platform.file_exists(with_extension(s.package_path, ".msp")))
    return s.revision_code;
  const std::string key = std::string(kUninstallKey) + ctx.vars.ReadVariable("TITLE");
  for (RegistryHive hive : {RegistryHive::User, RegistryHive::Machine}) {
    std::string value;
    if (ctx.platform.read_string(hive, key, "UninstallString", value) && !value.empty()) {
      const std::string revision = revision_of_uninstall_string(value);
      if (!revision.empty()) return revision;
    }
  }
  return s.revision_code;
}

std::string engine_cache_folder(const IdentityContext& ctx, bool all_users) {
  return cache_root(ctx, all_users) + cache_revision_code(ctx) + "\\";
}

std::string own_files_cache_folder(const IdentityContext& ctx) {
  const std::string user = engine_cache_folder(ctx, false);
  if (ctx.platform.file_exists(user + ctx.state.base_name() + ".dat")) return user;
  return engine_cache_folder(ctx, true);
}

bool log_set_exists(IdentityPlatform& platform, const std::string& prefix) {
  if (prefix.empty()) return false;
  for (const std::string& file : log_set_files(prefix))
    if (!platform.file_exists(file)) return false;
  return true;
}

std::string native_log_prefix(const IdentityContext& ctx) {
  const std::string logging = ctx.vars.ReadVariable("NATIVE_LOGGING");
  if (!logging.empty() && !EqualsNoCase(logging, "FALSE")) {
    const std::string folder = parent_folder(logging);
    if (!folder.empty() && ctx.platform.folder_exists(folder) && log_set_exists(ctx.platform, logging)) return logging;
  }
  return engine_cache_folder(ctx, ctx.state.all_users_at_start) + ctx.state.product_code;
}

bool installed_natively(const IdentityContext& ctx) {
  if (!log_set_exists(ctx.platform, native_log_prefix(ctx))) return false;
  const std::string entry = installed_cache_folder(ctx.platform, ctx.state.product_code);
  return !entry.empty() && EqualsNoCase(last_folder_component(entry), ctx.state.revision_code);
}

int product_state(const IdentityContext& ctx) {
  if (installed_natively(ctx)) return kProductInstalled;
  return ctx.platform.msi_product_state(ctx.state.product_code);
}

}  // namespace qel::identity
