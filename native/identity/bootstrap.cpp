#include "native/identity/bootstrap.h"

#include "engine/ascii.h"
#include "engine/variables.h"
#include "native/identity/cache_location.h"
#include "native/identity/identity_rules.h"

namespace qel::identity {

namespace {

void set(const IdentityContext& ctx, std::string_view name, std::string_view value,
         std::string_view context = kContextBootstrap) {
  ctx.vars.DeclareOrAssign(name, value, context);
}

void load_identity(const IdentityContext& ctx, const Payload& payload) {
  IdentityState& s = ctx.state;
  if (!s.new_instance) {
    s.product_code = payload.product_code;
    s.revision_code = payload.revision_code;
    s.instance_name = payload.title;
  }
  s.has_instance_file = false;
  std::string text;
  const std::string path = s.stub_folder + std::string(kInstanceFileName);
  if (ctx.platform.file_exists(path) && ctx.platform.read_file(path, text)) {
    s.has_instance_file = true;
    if (!s.new_instance) {
      if (auto identity = parse_instance_file(text)) {
        s.product_code = identity->product_code;
        s.revision_code = identity->revision_code;
        s.instance_name = identity->instance_name;
      }
    }
  }
}

bool needs_upgrade(const IdentityContext& ctx, int state) {
  if (state != kProductInstalled) return false;
  std::string package_code;
  if (ctx.platform.msi_package_code(ctx.state.product_code, package_code) &&
      EqualsNoCase(package_code, ctx.state.revision_code))
    return false;
  return ctx.platform.msi_product_state(ctx.state.product_code) == kProductInstalled;
}

void load_if_present(IdentityPlatform& platform, const std::function<void(const std::string&)>& load,
                     const std::string& path) {
  if (load && platform.file_exists(path)) load(path);
}

bool load_old_data_requested(const IdentityState& s) {
  const std::string value = ExpandCompilerVariables("#LOADOLDDATA#", s.compiler_variables);
  return value == "TRUE";
}

}  // namespace

std::string default_target_folder(IdentityPlatform& platform, bool administrator, const std::string& instance_name) {
  std::string folder = administrator ? platform.program_files_folder() : platform.profile_folder();
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder + instance_name + "\\";
}

void bootstrap(const IdentityContext& ctx, const Payload& payload) {
  IdentityState& s = ctx.state;
  const IdentityServices& services = ctx.services;
  IdentityPlatform& platform = ctx.platform;

  // 1. Identity.
  load_identity(ctx, payload);
  set(ctx, "PRODUCTCODE", s.product_code);
  set(ctx, "REVISIONCODE", s.revision_code);

  // 2. Cache paths and the data folder.
  const bool administrator = platform.is_administrator();
  s.all_users_at_start = administrator;
  const std::string target = default_target_folder(platform, administrator, s.instance_name);
  const std::string cache = engine_cache_folder(ctx, administrator);
  set(ctx, "ENGINECACHE", cache);
  set(ctx, "UNINSTALLLINK", cache + s.stub_file_name());
  s.data_folder = s.build_mode == 2 ? cache : s.stub_folder + "data\\";
  if (services.set_data_folder) services.set_data_folder(s.data_folder);
  set(ctx, "DATADIR", s.data_folder);

  // 3, 4. Upgrade and maintenance. An error on the way counts as "not installed".
  int state = -1;
  bool upgrade = false;
  try {
    state = product_state(ctx);
    upgrade = needs_upgrade(ctx, state);
  } catch (...) {
    state = -1;
    upgrade = false;
  }
  const bool maintenance = !upgrade && state == kProductInstalled;
  const bool load_old_data = upgrade && load_old_data_requested(s);
  set(ctx, "NEEDSUPGRADE", BooleanText(upgrade));
  set(ctx, "MAINTENANCE", BooleanText(maintenance));

  // 5-7. Selections of this build.
  s.installed_size_baseline = 0;
  const std::string own = own_files_cache_folder(ctx);
  const std::string selections = own + s.base_name() + ".dat";
  if (maintenance) {
    if (services.read_selections) services.read_selections(selections, SelectionRead::kInstalled);
    if (services.selected_size) s.installed_size_baseline = services.selected_size();
    load_if_present(platform, services.load_pinned_shortcuts, own + s.base_name() + ".lnk");
    load_if_present(platform, services.load_property_journal, own + s.base_name() + ".par");
  } else {
    if (services.reset_components) services.reset_components();
    if (services.clear_property_journal) services.clear_property_journal();
    set(ctx, "TARGETDIR", target);
    set(ctx, "STARTMENU", s.instance_name);
    set(ctx, "ALLUSERS", BooleanText(administrator));
    if (services.read_selections && platform.file_exists(selections))
      services.read_selections(selections, SelectionRead::kInstalled);
  }

  if (services.set_installed_baseline) services.set_installed_baseline(s.installed_size_baseline);

  // 8. A previous build of the product.
  std::string old_log;
  std::string previous = installed_cache_folder(platform, s.product_code);
  if (!previous.empty() && previous.back() != '\\') previous += '\\';
  if (!previous.empty() && log_set_exists(platform, previous + s.product_code) &&
      !EqualsNoCase(last_folder_component(previous), s.revision_code))
    old_log = previous + s.product_code;
  set(ctx, "NATIVE_OLDLOG", old_log);

  // 9. Its selections, when the setup asks for them.
  if (load_old_data && !previous.empty() && platform.folder_exists(previous)) {
    const std::string file = choose_selection_file(platform.files_in(previous));
    if (!file.empty()) {
      if (services.read_selections) services.read_selections(previous + file, SelectionRead::kPreviousBuild);
      load_if_present(platform, services.load_pinned_shortcuts, previous + base_name_of(file) + ".lnk");
    }
  }

  // 10.
  set(ctx, "RECOMMENDEDUPGRADE", BooleanText(!old_log.empty()));
  const bool new_instance = !s.has_instance_file && (state == kProductInstalled || upgrade);
  set(ctx, "NEWINSTANCE", BooleanText(new_instance), kContextInitialization);
}

}  // namespace qel::identity
