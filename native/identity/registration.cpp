#include "native/identity/registration.h"

#include "engine/variables.h"
#include "native/identity/cache_location.h"
#include "native/identity/identity_rules.h"

namespace qel::identity {

namespace {

void write_values(IdentityPlatform& platform, RegistryHive hive, const std::string& key,
                  const std::vector<RegistryValue>& values) {
  for (const RegistryValue& value : values) {
    if (value.is_number)
      platform.write_number(hive, key, value.name, value.number);
    else
      platform.write_string(hive, key, value.name, value.text);
  }
}

}  // namespace

void register_product(const IdentityContext& ctx, const Payload& payload, const std::string& cache_folder) {
  IdentityPlatform& platform = ctx.platform;
  const IdentityState& s = ctx.state;
  const RegistryHive hive = IsTrue(ctx.vars.ReadVariable("ALLUSERS")) ? RegistryHive::Machine : RegistryHive::User;
  const std::string title = ctx.vars.ReadVariable("TITLE");
  const std::string uninstall(kUninstallKey);

  if (is_single_level_name(s.product_code))
    platform.write_string(hive, uninstall + s.product_code, "UninstallString", cache_folder + s.base_name() + ".exe");

  if (is_single_level_name(title)) {
    ProductInfo info{title,           payload.company,  payload.contact, payload.help_link,
                     payload.update_link, payload.comments, payload.version};
    const std::string location = ctx.vars.ExpandNormalized(ctx.vars.ReadVariable("TARGETDIR"));
    write_values(platform, hive, uninstall + title, uninstall_entry_values(info, cache_folder, s.stub_file_name(), location));
  }

  if (is_single_level_name(s.product_code))
    write_values(platform, hive, std::string(kCacheEntryKey) + s.product_code,
                 cache_entry_values(payload.version, cache_folder));
}

void unregister_product(const IdentityContext& ctx) {
  const std::string title = ctx.vars.ReadVariable("TITLE");
  const std::string& product = ctx.state.product_code;
  const std::string uninstall(kUninstallKey);
  for (RegistryHive hive : {RegistryHive::Machine, RegistryHive::User}) {
    if (is_single_level_name(title)) ctx.platform.delete_key(hive, uninstall + title);
    if (is_single_level_name(product)) {
      ctx.platform.delete_key(hive, uninstall + product);
      ctx.platform.delete_key(hive, std::string(kCacheEntryKey) + product);
      // The engine's own keys above the entry go with the last product that used them.
      std::string parent(kCacheEntryKey);
      while (!parent.empty()) {
        parent.pop_back();  // the trailing backslash
        if (parent.find('\\') == std::string::npos || !ctx.platform.delete_empty_key(hive, parent)) break;
        parent.erase(parent.rfind('\\') + 1);
      }
    }
  }
}

}  // namespace qel::identity
