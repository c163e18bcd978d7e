#include "native/identity/identity_state.h"

#include "native/identity/identity_rules.h"

namespace qel::identity {

std::string IdentityState::stub_file_name() const {
  const size_t cut = program_path.find_last_of("\\/:");
  return cut == std::string::npos ? program_path : program_path.substr(cut + 1);
}

std::string IdentityState::base_name() const { return base_name_of(program_path); }

IdentityState& identity_state() {
  static IdentityState state;
  return state;
}

}  // namespace qel::identity
