// Everything an identity operation works with, passed as one value.
#pragma once

#include "native/identity/identity_platform.h"
#include "native/identity/identity_services.h"
#include "native/identity/identity_state.h"

namespace qel {
class TVariableManager;
}

namespace qel::identity {

struct IdentityContext {
  TVariableManager& vars;
  IdentityPlatform& platform;
  IdentityState& state;
  const IdentityServices& services;
};

// Assignment context of the variables that the bootstrap sets.
inline constexpr std::string_view kContextBootstrap = "Bootstrap";

}  // namespace qel::identity
