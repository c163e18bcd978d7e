#include "native/identity/identity_services.h"

namespace qel::identity {

IdentityServices& identity_services() {
  static IdentityServices services;
  return services;
}

}  // namespace qel::identity
