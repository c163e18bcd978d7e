// An in-memory system for the identity tests: files, folders, registry values,
// locked files and the answers of Windows Installer, all observable.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "native/identity/identity_platform.h"

namespace qel::identity::testing {

class MemoryPlatform : public IdentityPlatform {
 public:
  // Paths compare without case and without a trailing backslash.
  static std::string norm(const std::string& path);

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
  void set_hidden(const std::string& folder) override { hidden.insert(norm(folder)); }
  void set_compressed(const std::string& folder, bool on) override { compressed[norm(folder)] = on; }

  bool read_string(RegistryHive hive, const std::string& key, const std::string& name, std::string& value) override;
  bool write_string(RegistryHive hive, const std::string& key, const std::string& name,
                    const std::string& value) override;
  bool write_number(RegistryHive hive, const std::string& key, const std::string& name, uint32_t value) override;
  bool delete_key(RegistryHive hive, const std::string& key) override;

  bool is_administrator() override { return administrator; }
  std::string program_files_folder() override { return "C:\\Program Files\\"; }
  std::string profile_folder() override { return "C:\\users\\me\\"; }
  std::string shell_cache_root(bool all_users) override {
    return all_users ? "C:\\ProgramData\\" : "C:\\users\\me\\AppData\\Local\\";
  }
  int msi_product_state(const std::string&) override { return msi_state; }
  bool msi_package_code(const std::string&, std::string& code) override {
    code = msi_package;
    return !msi_package.empty();
  }
  std::string new_guid() override;

  // Adds a file (and its folders).
  void put(const std::string& path, const std::string& content = "x");
  std::string content(const std::string& path) const;
  // The registry value as text ("#n" for numbers); "<missing>" when absent.
  std::string reg(RegistryHive hive, const std::string& key, const std::string& name) const;
  bool key_exists(RegistryHive hive, const std::string& key) const;

  std::map<std::string, std::string> files;     // norm path -> content
  std::map<std::string, std::string> spelling;  // norm path -> path as written
  std::set<std::string> folders;                // norm paths
  std::set<std::string> locked;                 // norm paths that cannot be deleted
  std::set<std::string> hidden;
  std::map<std::string, bool> compressed;
  std::vector<std::string> restart_deletions;   // in order, as given
  std::map<std::string, std::string> registry;  // hive|norm key|lower name -> value
  bool administrator = true;
  bool refuse_moves = false;                    // folder moves fail (a file inside is in use)
  int msi_state = -1;
  std::string msi_package;
  int guid_counter = 0;

 private:
  static std::string reg_id(RegistryHive hive, const std::string& key, const std::string& name);
  static std::string name_of(const std::string& norm_path);
  static std::string parent_of(const std::string& norm_path);
};

}  // namespace qel::identity::testing
