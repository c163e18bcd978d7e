#include "native/identity/engine_cache.h"

#include <utility>
#include <vector>

#include "engine/ascii.h"
#include "engine/variables.h"
#include "native/identity/cache_location.h"
#include "native/identity/identity_rules.h"

namespace qel::identity {

namespace {

bool flag(const IdentityContext& ctx, std::string_view name) { return IsTrue(ctx.vars.ReadVariable(name)); }

// The cache folder of the kind that ALLUSERS gives; "" when the revision code
// could not name one folder level (the root itself must never be filled or
// deleted).
std::string cache_folder_for_run(const IdentityContext& ctx) {
  if (!is_single_level_name(cache_revision_code(ctx))) return {};
  return engine_cache_folder(ctx, flag(ctx, "ALLUSERS"));
}

void copy_into(IdentityPlatform& platform, const std::string& from, const std::string& to) {
  if (from.empty() || EqualsNoCase(from, to) || !platform.file_exists(from)) return;
  platform.copy_file(from, to);
}

void call_with(const std::function<void(const std::string&)>& service, const std::string& path) {
  if (service) service(path);
}

// Every file below the folder, then its subfolders, then the folder itself: the
// order in which a restart can delete them.
void delete_tree_at_restart(IdentityPlatform& platform, const std::string& folder) {
  const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  for (const std::string& file : platform.files_in(prefix)) platform.delete_at_restart(prefix + file);
  for (const std::string& sub : platform.folders_in(prefix)) delete_tree_at_restart(platform, prefix + sub);
  platform.delete_at_restart(prefix.substr(0, prefix.size() - 1));
}

struct HeldLogSet {
  std::vector<std::pair<std::string, std::string>> files;  // path, content
};

HeldLogSet hold_log_set(IdentityPlatform& platform, const std::string& prefix) {
  HeldLogSet held;
  for (const std::string& path : log_set_files(prefix)) {
    std::string content;
    platform.read_file(path, content);
    held.files.emplace_back(path, std::move(content));
  }
  return held;
}

void write_back(IdentityPlatform& platform, const HeldLogSet& held) {
  for (const auto& [path, content] : held.files) {
    platform.create_folder(parent_folder(path));
    platform.write_file(path, content);
  }
}

}  // namespace

std::string create_engine_cache(const IdentityContext& ctx) {
  IdentityPlatform& platform = ctx.platform;
  const IdentityState& s = ctx.state;
  const IdentityServices& services = ctx.services;
  const std::string cache = cache_folder_for_run(ctx);
  if (cache.empty()) return {};

  platform.create_folder(cache);
  platform.set_compressed(cache, flag(ctx, "OXLE_COMPRESS_INSTALLER_CACHE"));
  platform.set_hidden(cache);
  if (s.build_mode == 2 && is_single_level_name(s.product_code)) platform.write_file(cache + s.product_code, "");

  const std::string base = s.base_name();
  copy_into(platform, s.program_path, cache + s.stub_file_name());
  const std::string package = s.transformed_package.empty() ? s.stub_folder + base + ".msi" : s.transformed_package;
  copy_into(platform, package, cache + base + ".msi");
  for (const std::string& name : {base + ".res", std::string("qel.lib"), std::string("setup.bmp")})
    copy_into(platform, s.stub_folder + name, cache + name);

  if (services.write_selections) services.write_selections(cache + base + ".dat", s.data_folder);
  call_with(services.save_property_journal, cache + base + ".par");
  call_with(services.save_pinned_shortcuts, cache + base + ".lnk");
  if (flag(ctx, "NATIVE_ENGINE")) {
    if (services.pin_shortcuts) services.pin_shortcuts();
    if (services.flush_native_log) services.flush_native_log();
  }
  call_with(services.save_language, cache + base + ".lan");
  return cache;
}

std::string remove_engine_cache(const IdentityContext& ctx) {
  IdentityPlatform& platform = ctx.platform;
  IdentityState& s = ctx.state;
  const bool native_engine = flag(ctx, "NATIVE_ENGINE");
  if (flag(ctx, "SAVEDATA")) return {};
  if (native_engine && flag(ctx, "MODIFY")) return {};
  const std::string cache = cache_folder_for_run(ctx);
  if (cache.empty()) return {};

  const bool held = installed_natively(ctx);
  const HeldLogSet log = held ? hold_log_set(platform, native_log_prefix(ctx)) : HeldLogSet{};
  if (s.build_mode == 2 && is_single_level_name(s.product_code)) platform.delete_file(cache + s.product_code);

  std::string moved_to;
  const std::string folder = cache.substr(0, cache.size() - 1);
  if (platform.folder_exists(folder) && !platform.delete_tree(folder)) {
    moved_to = first_free_sibling(cache, [&](const std::string& path) {
      return platform.folder_exists(path) || platform.file_exists(path);
    });
    if (!moved_to.empty() && platform.move_folder(folder, moved_to)) {
      delete_tree_at_restart(platform, moved_to);
    } else {
      moved_to.clear();
      delete_tree_at_restart(platform, folder);
    }
  }
  s.cache_removed = true;
  if (held && !(native_engine && ctx.vars.ReadVariable("NATIVE_LOGGING").empty())) write_back(platform, log);
  return moved_to;
}

void finish_engine_cache(const IdentityContext& ctx) {
  IdentityPlatform& platform = ctx.platform;
  const IdentityState& s = ctx.state;
  const std::string cache = cache_folder_for_run(ctx);
  if (cache.empty() || !platform.folder_exists(cache)) return;
  if (s.build_mode == 2 && ExpandCompilerVariables("#CACHESOURCES#", s.compiler_variables) == "FALSE") {
    for (const std::string& sub : platform.folders_in(cache))
      if (!EqualsNoCase(sub, "OFFLINE")) platform.delete_tree(cache + sub);
  }
  if (s.cache_removed) return;
  platform.set_hidden(cache);
  platform.set_compressed(cache, flag(ctx, "OXLE_COMPRESS_INSTALLER_CACHE"));
  const std::string selections = cache + s.base_name() + ".dat";
  if (ctx.services.refresh_selections && platform.file_exists(selections))
    ctx.services.refresh_selections(selections, s.data_folder);
}

}  // namespace qel::identity
