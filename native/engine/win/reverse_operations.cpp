#include "native/engine/win/reverse_operations.h"

#include <charconv>

#include "commands/bitness.h"
#include "engine/variables.h"
#include "native/engine/action_rules.h"
#include "native/engine/win/file_ops.h"
#include "native/engine/win/registry_actions.h"
#include "native/engine/win/system_actions.h"
#include "native/log/log_elements.h"
#include "native/spooler/native_run_state.h"

namespace qel::native::win {
namespace {

constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
constexpr const char* kOdbcInst = "SOFTWARE\\ODBC\\ODBCINST.INI\\";

const std::string& Field(const std::vector<std::string>& f, size_t i) {
  static const std::string empty;
  return i < f.size() ? f[i] : empty;
}

int64_t ParseI64(const std::string& text) {
  int64_t v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

bool KeyIsEmpty(HKEY root, const std::string& key, REGSAM view) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return true;
  DWORD subkeys = 0, values = 0;
  LONG rc = RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

bool FolderIsEmpty(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((WithTrailingBackslash(folder) + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    std::string name = fd.cFileName;
    if (name != "." && name != "..") empty = false;
  } while (empty && FindNextFileA(h, &fd));
  FindClose(h);
  return empty;
}

std::string SystemFolder() {
  char buffer[MAX_PATH + 1] = {};
  GetSystemDirectoryA(buffer, MAX_PATH);
  return WithTrailingBackslash(buffer);
}

}  // namespace

std::string WindowsReverseOperations::CurrentBitness() { return commands::BitnessMode(); }

void WindowsReverseOperations::UseBitness(const std::string& mode) {
  if (!mode.empty()) commands::SetBitnessMode(mode);
}

bool WindowsReverseOperations::Reverse(std::string_view element, const std::vector<std::string>& f) {
  ActionRedirection redirection;
  if (element == kDeleteRegistry) return DeleteRegistry(f);
  if (element == kDeleteFile) return DeleteFileStep(Field(f, 0));
  if (element == kUnregisterFile) return Unregister(Field(f, 0));
  if (element == kUnshareFile) return Unshare(Field(f, 0), false);
  if (element == kUnshareSelfRegisteringFile) return Unshare(Field(f, 0), true);
  if (element == kDeleteService) return DeleteServiceStep(Field(f, 0));
  if (element == kDeleteOdbcDriver) return DeleteOdbcDriver(f);
  if (element == kDeleteEnvironment) return DeleteEnvironment(f);
  if (element == kRemoveIniEntry) return RemoveIniEntry(f);
  if (element == kDeleteFolder) return DeleteFolders(f);
  if (element == kRemoveOdbcDsn) {
    if (ConfigureDataSource(IsTrue(Field(f, 2)) ? 6 : 3, Field(f, 1), DsnRemoveAttributes(Field(f, 0))))
      ctx_.TraceChange(Field(f, 0));
    return true;
  }
  // "Remove Assembly": this build has no assembly cache binding; failures of the
  // cache are not reported. Unknown elements are skipped.
  return true;
}

bool WindowsReverseOperations::DeleteRegistry(const std::vector<std::string>& f) {
  const int64_t handle = ParseI64(Field(f, 0));
  HKEY root = RootKeyOf(handle);
  if (!root) return true;
  const std::string& key = Field(f, 1);
  const std::string& name = Field(f, 2);
  const REGSAM view = ctx_.RegistryView();
  const std::string path = std::string(RootName(handle)) + "\\" + key + "\\" + name;
  for (;;) {
    LONG rc = DeleteValue(root, key, name, view);
    if (rc == ERROR_SUCCESS || !ValueExists(root, key, name, view)) break;
    ErrorDecision d = ctx_.AskSystemError(static_cast<DWORD>(rc), path);
    if (d.retry) continue;
    if (d.abort) return false;
    break;
  }
  ctx_.TraceSubStep(path);
  for (size_t i = 3; i < f.size(); ++i) {
    const std::string& k = f[i];
    if (!KeyExists(root, k, view)) continue;
    if (!KeyIsEmpty(root, k, view)) break;
    for (;;) {
      LONG rc = RegDeleteKeyExA(root, k.c_str(), view, 0);
      if (rc == ERROR_SUCCESS || !KeyExists(root, k, view)) break;
      ErrorDecision d = ctx_.AskSystemError(static_cast<DWORD>(rc), std::string(RootName(handle)) + "\\" + k);
      if (d.retry) continue;
      if (d.abort) return false;
      break;
    }
    ctx_.TraceSubStep(std::string(RootName(handle)) + "\\" + k);
  }
  return true;
}

bool WindowsReverseOperations::DeleteFileStep(const std::string& file) {
  for (;;) {
    if (!FileExistsA(file)) break;
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(file.c_str()) || !FileExistsA(file)) break;
    const DWORD error = GetLastError();
    const LockedFileResult r = ReleaseLockedFile(file);
    if (r != LockedFileResult::kStillLocked) break;
    if (ScheduleAtRestart(file, "")) {
      SetRestartRequired(true);
      break;
    }
    ErrorDecision d = ctx_.AskSystemError(error, file);
    if (d.retry) continue;
    if (d.abort) return false;
    break;
  }
  ctx_.TraceSubStep(file);
  return true;
}

bool WindowsReverseOperations::Unregister(const std::string& file) {
  DWORD code = 0;
  std::string folder = file.substr(0, file.find_last_of("\\/") + 1);
  if (IsExeName(file)) {
    RunAndWait("\"" + file + "\" /unregserver", folder, code);
  } else {
    const std::string saved = commands::BitnessMode();
    commands::SetBitnessMode(Is64BitImage(file) ? commands::kModeX64 : commands::kModeWin32);
    RunAndWait(SystemFolder() + "regsvr32.exe \"" + file + "\" /u /s", folder, code);
    commands::SetBitnessMode(saved);
  }
  ctx_.TraceChange(file);
  return true;
}

bool WindowsReverseOperations::Unshare(const std::string& file, bool self_registering) {
  const REGSAM view = ctx_.RegistryView();
  if (!ValueExists(HKEY_LOCAL_MACHINE, kSharedDlls, file, view)) return true;
  DWORD stored = 0;
  const DWORD count = GetDword(HKEY_LOCAL_MACHINE, kSharedDlls, file, stored, view) ? stored : 10000;
  const DWORD next = count > 0 ? count - 1 : 0;
  const std::string path = std::string("HKEY_LOCAL_MACHINE\\") + kSharedDlls + "\\" + file;
  for (;;) {
    LONG rc = next > 0 ? SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, file, next, view)
                       : DeleteValue(HKEY_LOCAL_MACHINE, kSharedDlls, file, view);
    if (rc == ERROR_SUCCESS) break;
    ErrorDecision d = ctx_.AskSystemError(static_cast<DWORD>(rc), path);
    if (d.retry) continue;
    if (d.abort) return false;
    return true;
  }
  if (next > 0) return true;
  if (self_registering && !Unregister(file)) return false;
  return DeleteFileStep(file);
}

bool WindowsReverseOperations::DeleteServiceStep(const std::string& name) {
  for (;;) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    DWORD error = manager ? 0 : GetLastError();
    bool done = false;
    if (manager) {
      SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
      if (!service) {
        error = GetLastError();
        done = error == ERROR_SERVICE_DOES_NOT_EXIST;  // nothing left to remove
      } else {
        done = DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
        if (!done) error = GetLastError();
        CloseServiceHandle(service);
      }
      CloseServiceHandle(manager);
    }
    if (done) break;
    ErrorDecision d = ctx_.AskSystemError(error, name);
    if (d.retry) continue;
    if (d.abort) return false;
    return true;
  }
  ctx_.TraceChange(name);
  return true;
}

bool WindowsReverseOperations::DeleteOdbcDriver(const std::vector<std::string>& f) {
  const std::string& driver = Field(f, 0);
  const std::string key = kOdbcInst + driver;
  const REGSAM view = ctx_.RegistryView();
  if (!KeyExists(HKEY_LOCAL_MACHINE, key, view)) return true;
  DWORD stored = 0;
  const DWORD count = GetDword(HKEY_LOCAL_MACHINE, key, "UsageCount", stored, view) && stored > 0 ? stored - 1 : 0;
  if (count > 0) {
    SetDword(HKEY_LOCAL_MACHINE, key, "UsageCount", count, view);
    ctx_.TraceSubStep(driver + "UsageCount\\" + std::to_string(count));
    return true;
  }
  if (!DeleteFileStep(Field(f, 1))) return false;
  if (!Field(f, 2).empty() && !DeleteFileStep(Field(f, 2))) return false;
  for (;;) {
    LONG rc = RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    if (rc == ERROR_SUCCESS || !KeyExists(HKEY_LOCAL_MACHINE, key, view)) break;
    ErrorDecision d = ctx_.AskSystemError(static_cast<DWORD>(rc), "HKEY_LOCAL_MACHINE\\" + key);
    if (d.retry) continue;
    if (d.abort) return false;
    break;
  }
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
  DeleteValue(HKEY_LOCAL_MACHINE, std::string(kOdbcInst) + "ODBC Drivers", driver, view);
  return true;
}

bool WindowsReverseOperations::DeleteEnvironment(const std::vector<std::string>& f) {
  HKEY root = RootKeyOf(ParseI64(Field(f, 0)));
  if (!root) return true;
  const std::string& key = Field(f, 1);
  const std::string& name = Field(f, 2);
  const std::string& value = Field(f, 3);
  const bool expandable = Field(f, 4) != "1";
  const REGSAM view = ctx_.RegistryView();
  const std::string label = name + "=" + value;
  LONG rc = ERROR_SUCCESS;
  for (;;) {
    if (IsTrue(Field(f, 5))) {
      rc = DeleteValue(root, key, name, view);
      if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    } else {
      HKEY h = nullptr;
      if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | KEY_WRITE | view, &h) != ERROR_SUCCESS) return true;
      char buffer[32768] = {};
      DWORD type = 0, size = sizeof buffer - 1;
      std::optional<std::string> rest;
      if (RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS)
        rest = RemoveEnvironmentPart(buffer, value);
      if (!rest) {
        RegCloseKey(h);
        return true;
      }
      rc = RegSetValueExA(h, name.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                          reinterpret_cast<const BYTE*>(rest->c_str()), static_cast<DWORD>(rest->size() + 1));
      RegCloseKey(h);
    }
    if (rc == ERROR_SUCCESS) break;
    ErrorDecision d = ctx_.AskSystemError(static_cast<DWORD>(rc), label);
    if (d.retry) continue;
    return !d.abort;
  }
  ctx_.TraceChange(label);
  BroadcastEnvironmentChange();
  return true;
}

bool WindowsReverseOperations::RemoveIniEntry(const std::vector<std::string>& f) {
  const std::string& file = Field(f, 0);
  const std::string& section = Field(f, 1);
  const std::string& key = Field(f, 2);
  const std::string& value = Field(f, 3);
  const std::string label = file + ": [" + section + "] " + key + "=" + value;
  bool remove = value.empty();
  std::string rest;
  if (!remove) {
    const std::string current = ReadIniValue(file, section, key);
    if (!ContainsNoCase(current, value)) return true;
    std::optional<std::string> r = RemoveListItem(current, value);
    if (!r) return true;
    rest = *r;
    remove = rest.empty();
  }
  for (;;) {
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), remove ? nullptr : rest.c_str(), file.c_str())) break;
    ErrorDecision d = ctx_.AskSystemError(GetLastError(), label);
    if (d.retry) continue;
    return !d.abort;
  }
  ctx_.TraceChange(label);
  return true;
}

bool WindowsReverseOperations::DeleteFolders(const std::vector<std::string>& f) {
  for (const std::string& folder : f) {
    if (!FolderExistsA(folder)) continue;
    if (!FolderIsEmpty(folder)) break;
    for (;;) {
      if (RemoveDirectoryA(TrimTrailingSeparators(folder).c_str()) || !FolderExistsA(folder)) break;
      ErrorDecision d = ctx_.AskSystemError(GetLastError(), folder);
      if (d.retry) continue;
      if (d.abort) return false;
      break;
    }
    ctx_.TraceSubStep(folder);
  }
  return true;
}

}  // namespace qel::native::win
