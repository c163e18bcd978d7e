// The elements of the native log: each forward change of the native worker is
// recorded as the name of the operation that reverses it, that operation's
// data (comma text) and the progress units the reversal weighs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::native {

// Reverse operation names, as they stand in the elements file.
inline constexpr std::string_view kDeleteRegistry = "Delete Registry";
inline constexpr std::string_view kDeleteFile = "Delete File";
inline constexpr std::string_view kUnregisterFile = "Unregister File";
inline constexpr std::string_view kUnshareFile = "Unshare File";
inline constexpr std::string_view kUnshareSelfRegisteringFile = "Unshare Self Registering File";
inline constexpr std::string_view kRemoveAssembly = "Remove Assembly";
inline constexpr std::string_view kDeleteService = "Delete Service";
inline constexpr std::string_view kDeleteOdbcDriver = "Delete ODBC Driver";
inline constexpr std::string_view kDeleteEnvironment = "Delete Environment";
inline constexpr std::string_view kRemoveIniEntry = "Remove INI Entry";
inline constexpr std::string_view kRemoveOdbcDsn = "Remove ODBC DSN";
inline constexpr std::string_view kDeleteFolder = "Delete Folder";

// The forward changes that are logged.
enum class ForwardChange {
  kWriteRegistry,
  kCreateFile,
  kRegisterFile,
  kShareFile,
  kShareSelfRegisteringFile,
  kInstallAssembly,
  kCreateService,
  kInstallOdbcDriver,
  kSetEnvironment,
  kEditIniFile,
  kCreateOdbcDsn,
  kCreateFolder,
};

// Root handles as the registry element stores them (signed decimal).
inline constexpr int64_t kRootClassesRoot = -2147483648LL;
inline constexpr int64_t kRootCurrentUser = -2147483647LL;
inline constexpr int64_t kRootLocalMachine = -2147483646LL;
inline constexpr int64_t kRootUsers = -2147483645LL;

// Record root code "0".."3" -> root handle number; false for any other code.
bool RootHandleForCode(std::string_view code, int64_t& handle);
// "HKEY_CLASSES_ROOT" ... for the four handles; "" otherwise.
std::string_view RootName(int64_t handle);

struct LogElement {
  std::string element;  // reverse operation name
  std::string data;     // comma text
  uint64_t weight = 0;
};

// The reverse operation of a forward change.
std::string_view ReverseOperationOf(ForwardChange change);

// Elements whose data is the forward change's own field list wrapped as one
// comma-text item (ODBC driver, environment, INI entry, ODBC DSN).
bool CarriesForwardData(std::string_view element);

// Write Registry: the missing keys are every key on the path from the written key
// upwards that did not exist before the write, deepest first.
LogElement RegistryElement(int64_t root_handle, const std::string& key, const std::string& value_name,
                           const std::vector<std::string>& missing_keys);
// Create Folder: the folders on the path that did not exist, deepest first. No
// element (empty name) when the list is empty.
LogElement FolderElement(const std::vector<std::string>& missing_folders);
// Create File, Register File, Share File, Share Self Registering File, Install
// Assembly, Create Service: one item.
LogElement SingleItemElement(ForwardChange change, const std::string& item);
// Install ODBC Driver, Set Environment, Edit INI File, Create ODBC DSN.
LogElement ForwardDataElement(ForwardChange change, const std::vector<std::string>& fields);

// The data fields of a logged element as the reverse operation reads them.
std::vector<std::string> ElementFields(std::string_view element, std::string_view data);

// The keys above and including key that a predicate reports missing, deepest
// first, stopping at the first key that exists. Works for "\"-separated registry
// paths and for folder paths (a drive or share root is never listed).
template <class Exists>
std::vector<std::string> MissingAncestors(const std::string& path, Exists exists);

// "C:", "C:\", "/" or "\\server\share": the top of a file path.
bool IsPathRoot(std::string_view path);
// Parent of a "\" or "/" path with its trailing separators removed; "" at the top.
std::string ParentPath(std::string_view path);
// The path without trailing separators (a drive root "C:\" keeps its separator).
std::string TrimTrailingSeparators(std::string_view path);

template <class Exists>
std::vector<std::string> MissingAncestors(const std::string& path, Exists exists) {
  std::vector<std::string> missing;
  std::string current = TrimTrailingSeparators(path);
  while (!current.empty() && !IsPathRoot(current) && !exists(current)) {
    missing.push_back(current);
    std::string parent = ParentPath(current);
    if (parent == current) break;
    current = std::move(parent);
  }
  return missing;
}

}  // namespace qel::native
