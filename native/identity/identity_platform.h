// What the identity code needs from the system: files, the registry (in the
// process's own view), shell folders, the user's rights, Windows Installer and
// GUIDs. The Windows build implements it with Win32 (win/); native tests use an
// in-memory stand-in. Paths are Windows paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::identity {

enum class RegistryHive { Machine, User };

class IdentityPlatform {
 public:
  virtual ~IdentityPlatform() = default;

  // --- files ---
  virtual bool file_exists(const std::string& path) = 0;
  virtual bool folder_exists(const std::string& path) = 0;
  virtual bool read_file(const std::string& path, std::string& content) = 0;
  // Creates or replaces the file (its attributes cleared first).
  virtual bool write_file(const std::string& path, const std::string& content) = 0;
  // Names (no folder) of the files directly in the folder.
  virtual std::vector<std::string> files_in(const std::string& folder) = 0;
  // Names of the subfolders directly in the folder.
  virtual std::vector<std::string> folders_in(const std::string& folder) = 0;
  // Creates the folder and its missing parents.
  virtual bool create_folder(const std::string& folder) = 0;
  // Clears the target's attributes, then copies over it.
  virtual bool copy_file(const std::string& from, const std::string& to) = 0;
  virtual bool delete_file(const std::string& path) = 0;
  // Deletes the folder with its content as far as possible; true when it is gone.
  virtual bool delete_tree(const std::string& folder) = 0;
  virtual bool move_folder(const std::string& from, const std::string& to) = 0;
  // Deletes a file or an (by then empty) folder when the system restarts.
  virtual bool delete_at_restart(const std::string& path) = 0;
  virtual void set_hidden(const std::string& folder) = 0;
  virtual void set_compressed(const std::string& folder, bool compressed) = 0;

  // --- registry ---
  virtual bool read_string(RegistryHive hive, const std::string& key, const std::string& name, std::string& value) = 0;
  virtual bool write_string(RegistryHive hive, const std::string& key, const std::string& name,
                            const std::string& value) = 0;
  virtual bool write_number(RegistryHive hive, const std::string& key, const std::string& name, uint32_t value) = 0;
  // Deletes the key with its subkeys; true when it is gone.
  virtual bool delete_key(RegistryHive hive, const std::string& key) = 0;
  // Deletes the key only when it holds neither values nor subkeys; true when it was deleted.
  virtual bool delete_empty_key(RegistryHive /*hive*/, const std::string& /*key*/) { return false; }

  // --- system ---
  virtual bool is_administrator() = 0;
  // The shell's program files folder and the user's profile folder, each with a
  // trailing backslash.
  virtual std::string program_files_folder() = 0;
  virtual std::string profile_folder() = 0;
  // The cache root from the shell folders (all users: common application data;
  // else local, then roaming application data; else beside the desktop).
  virtual std::string shell_cache_root(bool all_users) = 0;
  // Windows Installer: the product state (5 installed; negative when unknown or
  // when msi.dll is unavailable) and the package code of an installed product.
  virtual int msi_product_state(const std::string& product_code) = 0;
  virtual bool msi_package_code(const std::string& product_code, std::string& package_code) = 0;
  // A new braced upper-case GUID.
  virtual std::string new_guid() = 0;
};

}  // namespace qel::identity
