// The identity code's system access through Win32: files, the registry in the
// process's own view, shell folders, msi.dll bound at run time and GUIDs.
#pragma once

#include "native/identity/identity_platform.h"

namespace qel::identity {

class WindowsIdentityPlatform : public IdentityPlatform {
 public:
  bool file_exists(const std::string& path) override;
  bool folder_exists(const std::string& path) override;
  bool read_file(const std::string& path, std::string& content) override;
  bool write_file(const std::string& path, const std::string& content) override;
  std::vector<std::string> files_in(const std::string& folder) override;
  std::vector<std::string> folders_in(const std::string& folder) override;
  bool create_folder(const std::string& folder) override;
  bool copy_file(const std::string& from, const std::string& to) override;
  bool delete_file(const std::string& path) override;
  bool delete_tree(const std::string& folder) override;
  bool move_folder(const std::string& from, const std::string& to) override;
  bool delete_at_restart(const std::string& path) override;
  void set_hidden(const std::string& folder) override;
  void set_compressed(const std::string& folder, bool compressed) override;

  bool read_string(RegistryHive hive, const std::string& key, const std::string& name, std::string& value) override;
  bool write_string(RegistryHive hive, const std::string& key, const std::string& name,
                    const std::string& value) override;
  bool write_number(RegistryHive hive, const std::string& key, const std::string& name, uint32_t value) override;
  bool delete_key(RegistryHive hive, const std::string& key) override;
  bool delete_empty_key(RegistryHive hive, const std::string& key) override;

  bool is_administrator() override;
  std::string program_files_folder() override;
  std::string profile_folder() override;
  std::string shell_cache_root(bool all_users) override;
  int msi_product_state(const std::string& product_code) override;
  bool msi_package_code(const std::string& product_code, std::string& package_code) override;
  std::string new_guid() override;
};

// The process-wide instance.
WindowsIdentityPlatform& windows_identity_platform();

}  // namespace qel::identity
