#include "native/log/log_elements.h"

#include "engine/comma_text.h"

namespace qel::native {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "C:\", "C:" or "/": a root has no parent.
bool IsRoot(std::string_view path) {
  if (path.size() == 1 && IsSeparator(path[0])) return true;
  if (path.size() == 2 && path[1] == ':') return true;
  return path.size() == 3 && path[1] == ':' && IsSeparator(path[2]);
}

}  // namespace

bool RootHandleForCode(std::string_view code, int64_t& handle) {
  if (code == "0") handle = kRootClassesRoot;
  else if (code == "1") handle = kRootCurrentUser;
  else if (code == "2") handle = kRootLocalMachine;
  else if (code == "3") handle = kRootUsers;
  else return false;
  return true;
}

std::string_view RootName(int64_t handle) {
  switch (handle) {
    case kRootClassesRoot: return "HKEY_CLASSES_ROOT";
    case kRootCurrentUser: return "HKEY_CURRENT_USER";
    case kRootLocalMachine: return "HKEY_LOCAL_MACHINE";
    case kRootUsers: return "HKEY_USERS";
    default: return "";
  }
}

std::string_view ReverseOperationOf(ForwardChange change) {
  switch (change) {
    case ForwardChange::kWriteRegistry: return kDeleteRegistry;
    case ForwardChange::kCreateFile: return kDeleteFile;
    case ForwardChange::kRegisterFile: return kUnregisterFile;
    case ForwardChange::kShareFile: return kUnshareFile;
    case ForwardChange::kShareSelfRegisteringFile: return kUnshareSelfRegisteringFile;
    case ForwardChange::kInstallAssembly: return kRemoveAssembly;
    case ForwardChange::kCreateService: return kDeleteService;
    case ForwardChange::kInstallOdbcDriver: return kDeleteOdbcDriver;
    case ForwardChange::kSetEnvironment: return kDeleteEnvironment;
    case ForwardChange::kEditIniFile: return kRemoveIniEntry;
    case ForwardChange::kCreateOdbcDsn: return kRemoveOdbcDsn;
    case ForwardChange::kCreateFolder: return kDeleteFolder;
  }
  return "";
}

namespace {

uint64_t FixedWeight(ForwardChange change) {
  switch (change) {
    case ForwardChange::kCreateFile: return 1024;
    case ForwardChange::kRegisterFile: return 102400;
    case ForwardChange::kShareFile: return 512;
    case ForwardChange::kShareSelfRegisteringFile: return 102912;
    case ForwardChange::kInstallAssembly: return 102400;
    case ForwardChange::kCreateService: return 5120;
    case ForwardChange::kInstallOdbcDriver: return 10240;
    case ForwardChange::kSetEnvironment: return 1024;
    case ForwardChange::kEditIniFile: return 10240;
    case ForwardChange::kCreateOdbcDsn: return 5120;
    case ForwardChange::kWriteRegistry: return 512;
    case ForwardChange::kCreateFolder: return 1024;
  }
  return 0;
}

}  // namespace

bool CarriesForwardData(std::string_view element) {
  return element == kDeleteOdbcDriver || element == kDeleteEnvironment || element == kRemoveIniEntry ||
         element == kRemoveOdbcDsn;
}

LogElement RegistryElement(int64_t root_handle, const std::string& key, const std::string& value_name,
                           const std::vector<std::string>& missing_keys) {
  std::vector<std::string> fields{std::to_string(root_handle), key, value_name};
  fields.insert(fields.end(), missing_keys.begin(), missing_keys.end());
  return {std::string(kDeleteRegistry), JoinCommaText(fields), 512 + 512 * uint64_t(missing_keys.size())};
}

LogElement FolderElement(const std::vector<std::string>& missing_folders) {
  if (missing_folders.empty()) return {};
  return {std::string(kDeleteFolder), JoinCommaText(missing_folders), 1024 * uint64_t(missing_folders.size())};
}

LogElement SingleItemElement(ForwardChange change, const std::string& item) {
  return {std::string(ReverseOperationOf(change)), JoinCommaText({item}), FixedWeight(change)};
}

LogElement ForwardDataElement(ForwardChange change, const std::vector<std::string>& fields) {
  return {std::string(ReverseOperationOf(change)), JoinCommaText({JoinCommaText(fields)}), FixedWeight(change)};
}

// Only the elements that wrap forward data are unwrapped: a single path item
// such as "C:\Program Files\x" must not be split again at its blank.
std::vector<std::string> ElementFields(std::string_view element, std::string_view data) {
  std::vector<std::string> fields = SplitCommaText(data);
  if (CarriesForwardData(element) && fields.size() == 1) fields = SplitCommaText(fields[0]);
  return fields;
}

bool IsPathRoot(std::string_view path) {
  std::string trimmed = TrimTrailingSeparators(path);
  if (IsRoot(trimmed)) return true;
  if (trimmed.size() > 2 && IsSeparator(trimmed[0]) && IsSeparator(trimmed[1])) {
    size_t server_end = trimmed.find_first_of("\\/", 2);
    return server_end == std::string::npos || trimmed.find_first_of("\\/", server_end + 1) == std::string::npos;
  }
  return false;
}

std::string TrimTrailingSeparators(std::string_view path) {
  std::string out(path);
  while (out.size() > 1 && IsSeparator(out.back()) && !IsRoot(out)) out.pop_back();
  return out;
}

std::string ParentPath(std::string_view path) {
  std::string trimmed = TrimTrailingSeparators(path);
  if (IsRoot(trimmed)) return "";
  size_t at = trimmed.find_last_of("\\/");
  if (at == std::string::npos) return "";
  // "\\server\share" is the top of a UNC path.
  if (trimmed.size() > 2 && IsSeparator(trimmed[0]) && IsSeparator(trimmed[1])) {
    size_t server_end = trimmed.find_first_of("\\/", 2);
    if (server_end == std::string::npos || at <= server_end) return "";
  }
  std::string parent = trimmed.substr(0, at);
  if (parent.empty()) return trimmed.substr(0, 1);  // "/x" -> "/"
  if (parent.size() == 2 && parent[1] == ':') return parent + trimmed[at];  // "C:\x" -> "C:\"
  return parent;
}

}  // namespace qel::native
