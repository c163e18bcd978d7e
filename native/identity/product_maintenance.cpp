#include "native/identity/product_maintenance.h"

#include <utility>

#include "engine/variables.h"
#include "native/identity/bootstrap.h"
#include "native/identity/engine_cache.h"
#include "native/identity/identity_rules.h"
#include "native/identity/registration.h"

namespace qel::identity {

void after_apply_changes(const IdentityContext& ctx, const Payload& payload, bool install, bool uninstall) {
  if (install || !uninstall) {
    const std::string cache = create_engine_cache(ctx);
    if (cache.empty()) return;
    register_product(ctx, payload, cache);
    const InstanceIdentity identity{ctx.state.product_code, ctx.state.revision_code, ctx.vars.ReadVariable("TITLE")};
    ctx.platform.write_file(cache + std::string(kInstanceFileName), format_instance_file(identity));
    return;
  }
  remove_engine_cache(ctx);
  unregister_product(ctx);
}

bool transform_instance(const IdentityContext& ctx, const Payload& payload) {
  if (!IsTrue(ctx.vars.ReadVariable("NEWINSTANCE"))) return false;
  const std::string& package = ctx.state.package_path;
  if (!package.empty() && ctx.platform.file_exists(with_extension(package, ".msp"))) return false;
  std::string product = ctx.platform.new_guid();
  std::string revision = ctx.platform.new_guid();
  if (product.empty() || revision.empty()) return false;
  ctx.state.product_code = std::move(product);
  ctx.state.revision_code = std::move(revision);
  ctx.state.new_instance = true;
  bootstrap(ctx, payload);
  return true;
}

}  // namespace qel::identity
