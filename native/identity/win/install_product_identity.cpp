#include "native/identity/win/install_product_identity.h"

#include "engine/dispatch.h"
#include "engine/process_state.h"
#include "engine/startup_hooks.h"
#include "engine/variables.h"
#include "native/identity/bootstrap.h"
#include "native/identity/cache_location.h"
#include "native/identity/engine_cache.h"
#include "native/identity/product_maintenance.h"
#include "native/identity/win/identity_services_binding.h"
#include "native/identity/win/windows_identity_platform.h"
#include "native/log/log_set.h"

namespace qel::identity {

namespace {

IdentityContext context(TVariableManager& vars) {
  return IdentityContext{vars, windows_identity_platform(), identity_state(), identity_services()};
}

// The stub's location and settings, taken from the process state once the stub
// has set it up.
void take_process_facts(IdentityState& s, const Payload& payload) {
  const ProcessState& process = process_state();
  s.program_path = process.program_path;
  s.stub_folder = process.stub_folder;
  if (!s.stub_folder.empty() && s.stub_folder.back() != '\\') s.stub_folder += '\\';
  s.package_path =
      process.support_folder.empty() ? std::string() : process.support_folder + process.stub_base_name + ".msi";
  s.build_mode = payload.build_mode;
  s.compiler_variables = payload.compiler_variables;
}

// The rest of the engine reads the identity from the payload it holds.
void write_back_identity(const Payload& payload) {
  Payload& process_payload = process_state().payload;
  if (&payload != &process_payload) return;
  const IdentityState& s = identity_state();
  process_payload.product_code = s.product_code;
  process_payload.revision_code = s.revision_code;
  process_payload.title = s.instance_name;
}

void transform_instance_statement(Statement& statement) {
  const Payload& payload = process_state().payload;
  if (transform_instance(context(statement.vars()), payload)) write_back_identity(payload);
}

}  // namespace

void RunProductBootstrap(TVariableManager& vars, const Payload& payload) {
  take_process_facts(identity_state(), payload);
  bootstrap(context(vars), payload);
  write_back_identity(payload);
}

void ProductIdentityAfterApplyChanges(TVariableManager& vars, bool install, bool uninstall) {
  after_apply_changes(context(vars), process_state().payload, install, uninstall);
}

void InstallProductIdentity() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  BindIdentityServices();
  StartupHooks& hooks = startup_hooks();
  hooks.bootstrap = &RunProductBootstrap;
  hooks.cache_root = [](TVariableManager& vars, bool all_users) { return cache_root(context(vars), all_users); };
  hooks.exit_script_actions.push_back([] { finish_engine_cache(context(variables())); });
  native::SetDefaultLogPrefixProvider([] {
    const IdentityState& s = identity_state();
    return engine_cache_folder(context(variables()), s.all_users_at_start) + s.product_code;
  });
  register_command("Transform Instance", &transform_instance_statement, "identity");
}

}  // namespace qel::identity
