#include <vector>

#include "engine/variables.h"
#include "native/engine/action_rules.h"
#include "native/engine/win/file_actions.h"
#include "native/engine/win/file_ops.h"
#include "native/engine/win/registry_actions.h"
#include "native/engine/win/system_actions.h"
#include "native/log/log_elements.h"

namespace qel::native::win {
namespace {

constexpr const char* kSystemEnvironment = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char* kUserEnvironment = "Environment";
constexpr const char* kOdbcInst = "SOFTWARE\\ODBC\\ODBCINST.INI\\";

bool ReadEnvironment(HKEY root, const char* key, const std::string& name, REGSAM view, std::string& value,
                     bool& expandable) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExA(h, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok) {
    std::string buffer(size, '\0');
    ok = RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
         ERROR_SUCCESS;
    buffer.resize(size);
    while (!buffer.empty() && buffer.back() == '\0') buffer.pop_back();
    value = buffer;
    expandable = type == REG_EXPAND_SZ;
  }
  RegCloseKey(h);
  return ok;
}

}  // namespace

void BroadcastEnvironmentChange() {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                      SMTO_ABORTIFHUNG, 0, &result);
}

std::string ReadIniValue(const std::string& file, const std::string& section, const std::string& key) {
  std::string buffer(266240, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str());
  buffer.resize(n);
  return buffer;
}

bool RunEditIniFile(WorkerContext& ctx, const ActionRecord& record) {
  const EditIniFileFields f = EditIniFileFields::From(record);
  const std::string& op = f.operation;
  // A file that the edit creates is logged as created (before the entry), so
  // that rollback and uninstall remove it instead of leaving an empty file.
  const bool creates_file = op != "2" && op != "4" && GetFileAttributesA(f.file.c_str()) == INVALID_FILE_ATTRIBUTES;
  const bool file_logged = creates_file && ctx.Log(SingleItemElement(ForwardChange::kCreateFile, f.file));
  bool logged = false;
  if (op != "2" && op != "4")
    logged = ctx.Log(ForwardDataElement(ForwardChange::kEditIniFile,
                                        {f.file, f.section, f.key, op == "3" ? f.value : std::string()}));
  std::string value = f.value;
  bool remove = op == "2";
  if (op == "4") {
    const std::string current = ReadIniValue(f.file, f.section, f.key);
    if (!ContainsNoCase(current, f.value)) return true;
    std::optional<std::string> rest = RemoveListItem(current, f.value);
    if (!rest) return true;
    value = *rest;
    remove = value.empty();
  } else if (op == "1") {
    if (!ReadIniValue(f.file, f.section, f.key).empty()) {
      if (logged) ctx.Discard();
      if (file_logged) ctx.Discard();
      return true;
    }
  } else if (op == "3") {
    const std::string current = ReadIniValue(f.file, f.section, f.key);
    if (!current.empty()) value = f.value + ", " + current;
  }
  const std::string caption = f.file + ": [" + f.section + "] " + f.key + "=" + f.value;
  if (!ctx.Step(caption, 10240)) return false;
  for (;;) {
    BOOL ok = WritePrivateProfileStringA(f.section.c_str(), f.key.c_str(), remove ? nullptr : value.c_str(),
                                         f.file.c_str());
    if (ok) break;
    ErrorDecision d = ctx.AskSystemError(GetLastError(), caption);
    if (d.retry) continue;
    if (logged) ctx.Discard();
    if (file_logged) ctx.Discard();
    return !d.abort;
  }
  ctx.TraceChange(caption);
  return true;
}

bool RunSetEnvironment(WorkerContext& ctx, const ActionRecord& record) {
  const SetEnvironmentFields f = SetEnvironmentFields::From(record);
  const bool system = IsTrue(f.system_wide);
  HKEY root = system ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const char* key = system ? kSystemEnvironment : kUserEnvironment;
  const REGSAM view = ctx.RegistryView();
  std::string current;
  bool expandable = false;
  const bool exists = ReadEnvironment(root, key, f.name, view, current, expandable);
  if (f.mode == "1" && exists) return true;
  std::string value = f.value;
  if (f.combination != "2" && exists) value = CombineEnvironment(current, f.value, f.combination);
  const bool remove = f.mode == "2";
  bool logged = false;
  if (IsTrue(f.logged) && !remove)
    logged = ctx.Log(ForwardDataElement(
        ForwardChange::kSetEnvironment,
        {std::to_string(system ? kRootLocalMachine : kRootCurrentUser), key, f.name, f.value, expandable ? "2" : "1",
         f.combination == "2" ? "TRUE" : "FALSE"}));
  const std::string label = f.name + "=" + f.value;
  if (!ctx.Step(label, 1024)) return false;
  for (;;) {
    LONG rc;
    if (remove) {
      rc = DeleteValue(root, key, f.name, view);
    } else {
      HKEY h = nullptr;
      rc = RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE | view, nullptr, &h, nullptr);
      if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExA(h, f.name.c_str(), 0, expandable ? REG_EXPAND_SZ : REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
        RegCloseKey(h);
      }
    }
    if (rc == ERROR_SUCCESS) break;
    ErrorDecision d = ctx.AskSystemError(static_cast<DWORD>(rc), label);
    if (d.retry) continue;
    if (logged) ctx.Discard();
    return !d.abort;
  }
  ctx.TraceChange(label);
  BroadcastEnvironmentChange();
  return true;
}

bool ConfigureDataSource(unsigned short request, const std::string& driver, const std::string& attributes) {
  using Fn = BOOL(WINAPI*)(HWND, WORD, LPCSTR, LPCSTR);
  HMODULE dll = LoadLibraryA("odbccp32.dll");
  if (!dll) return false;
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, "SQLConfigDataSource")));
  BOOL ok = fn ? fn(nullptr, request, driver.c_str(), attributes.c_str()) : FALSE;
  FreeLibrary(dll);
  return ok != FALSE;
}

bool RunCreateOdbcDsn(WorkerContext& ctx, const ActionRecord& record) {
  const CreateOdbcDsnFields f = CreateOdbcDsnFields::From(record);
  if (!ctx.Step(f.dsn, 5120)) return false;
  const bool system = IsTrue(f.system_dsn);
  if (ConfigureDataSource(system ? 4 : 1, f.driver_name, DsnAttributes(f.dsn, f.attributes)))
    ctx.Log(ForwardDataElement(ForwardChange::kCreateOdbcDsn, {f.dsn, f.driver_name, f.system_dsn}));
  ctx.TraceChange(f.dsn);
  return true;
}

bool RunInstallOdbcDriver(WorkerContext& ctx, const ActionRecord& record) {
  const InstallOdbcDriverFields f = InstallOdbcDriverFields::From(record);
  const FileSource src = ProcessFileSource();
  const std::vector<FileTableEntry> group = FileGroup(*src.table, f.header);
  std::vector<std::string> copied;
  std::vector<bool> flags;
  if (!CopyGroupPlain(ctx, group, f.folder, false, copied, &flags)) return false;
  size_t first = 0;
  while (first < flags.size() && !flags[first]) ++first;
  if (first == flags.size()) return true;

  if (!ctx.Step(f.driver_name, 0)) return false;
  const std::string folder = WithTrailingBackslash(f.folder);
  const std::string driver_file = folder + FileNameOf(group[first].source);
  const std::string setup_file = group[first].second.empty() ? std::string() : folder + group[first].second;
  const std::string key = kOdbcInst + f.driver_name;
  const REGSAM view = ctx.RegistryView();
  DWORD count = 1;
  if (KeyExists(HKEY_LOCAL_MACHINE, key, view)) {
    DWORD stored = 0;
    count = GetDword(HKEY_LOCAL_MACHINE, key, "UsageCount", stored, view) ? stored + 1 : 2;
  }
  auto write = [&](const std::string& k, const std::string& name, const std::string& data,
                   const char* kind = "STRING") {
    RegistryWrite w;
    w.root = kRootLocalMachine;
    w.key = k;
    w.value_name = name;
    w.data = data;
    w.kind = kind;
    w.log = false;
    return WriteRegistryStep(ctx, w);
  };
  if (!write(key, "UsageCount", std::to_string(count), "INTEGER")) return false;
  DeleteValue(HKEY_LOCAL_MACHINE, key, "", view);
  for (const auto& [name, value] : ParseDriverAttributes(f.attributes))
    if (!write(key, name, value)) return false;
  if (!write(key, "Driver", driver_file)) return false;
  if (!setup_file.empty() && !write(key, "Setup", setup_file)) return false;
  if (!write(std::string(kOdbcInst) + "ODBC Drivers", f.driver_name, "Installed")) return false;
  ctx.Log(ForwardDataElement(ForwardChange::kInstallOdbcDriver, {f.driver_name, driver_file, setup_file}));
  ctx.TraceChange(f.driver_name);
  return true;
}

}  // namespace qel::native::win
