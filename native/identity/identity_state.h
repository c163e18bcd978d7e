// The identity of the running setup, kept for the run: where the stub lies, the
// product and revision codes in force (the payload's, or those of an instance
// file) and what the run did to the engine cache.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::identity {

struct IdentityState {
  // Set before the first bootstrap.
  std::string program_path;   // the running stub
  std::string stub_folder;    // its folder, trailing backslash
  std::string package_path;   // MSIFILE: the support folder's package (base name + ".msi")
  int build_mode = 1;
  std::vector<std::string> compiler_variables;  // payload item 23, pairs

  // Set by the bootstrap.
  std::string product_code;
  std::string revision_code;
  std::string instance_name;
  bool has_instance_file = false;  // "instance.dat" lies beside the stub
  bool all_users_at_start = false; // the install mode the log-set prefix follows
  std::string data_folder;
  int64_t installed_size_baseline = 0;

  // Set during the run.
  bool new_instance = false;        // "Transform Instance" gave the setup a new identity
  std::string transformed_package;  // the package as edited for a new instance ("" when none)
  bool cache_removed = false;

  std::string stub_file_name() const;  // "setup.exe"
  std::string base_name() const;       // "setup"
};

// The process-wide state.
IdentityState& identity_state();

}  // namespace qel::identity
