#include "native/engine/win/registry_actions.h"

#include <vector>

#include "engine/variables.h"
#include "native/engine/action_rules.h"
#include "native/log/log_elements.h"

namespace qel::native::win {
namespace {

constexpr DWORD kErrorNotInteger = 1700;

LONG WriteValue(WorkerContext& ctx, HKEY root, const RegistryWrite& w) {
  DWORD type = REG_SZ;
  std::string bytes;
  uint32_t number = 0;
  const std::string& kind = w.kind;
  if (kind == "INTEGER") {
    if (!ParseRegistryInteger(w.data, number)) return kErrorNotInteger;
    type = REG_DWORD;
    bytes.assign(reinterpret_cast<const char*>(&number), sizeof number);
  } else if (kind == "BINARY") {
    if (!HexToBytes(w.data, bytes)) return ERROR_INVALID_DATA;
    type = REG_BINARY;
  } else if (kind == "EXPANDSTRING") {
    type = REG_EXPAND_SZ;
    bytes = w.data;
    bytes += '\0';
  } else if (kind == "APPEND" || kind == "PREPEND") {
    type = REG_MULTI_SZ;
  } else {
    bytes = w.data;
    bytes += '\0';
  }
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExA(root, w.key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | ctx.RegistryView(), nullptr,
                            &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  if (type == REG_MULTI_SZ) {
    DWORD existing_type = 0, size = 0;
    std::string existing;
    bool have = RegQueryValueExA(key, w.value_name.c_str(), nullptr, &existing_type, nullptr, &size) == ERROR_SUCCESS &&
                existing_type == REG_MULTI_SZ;
    if (have) {
      existing.resize(size);
      have = RegQueryValueExA(key, w.value_name.c_str(), nullptr, &existing_type,
                              reinterpret_cast<BYTE*>(existing.data()), &size) == ERROR_SUCCESS;
      existing.resize(size);
    }
    bytes = MergeMultiString(have ? &existing : nullptr, w.data, kind == "APPEND");
  }
  rc = RegSetValueExA(key, w.value_name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                      static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return rc;
}

}  // namespace

HKEY RootKeyOf(int64_t root_handle) {
  switch (root_handle) {
    case kRootClassesRoot: return HKEY_CLASSES_ROOT;
    case kRootCurrentUser: return HKEY_CURRENT_USER;
    case kRootLocalMachine: return HKEY_LOCAL_MACHINE;
    case kRootUsers: return HKEY_USERS;
    default: return nullptr;
  }
}

bool KeyExists(HKEY root, const std::string& key, REGSAM view) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

bool ValueExists(HKEY root, const std::string& key, const std::string& name, REGSAM view) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
  bool exists = RegQueryValueExA(h, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(h);
  return exists;
}

LONG DeleteValue(HKEY root, const std::string& key, const std::string& name, REGSAM view) {
  HKEY h = nullptr;
  LONG rc = RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE | view, &h);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegDeleteValueA(h, name.c_str());
  RegCloseKey(h);
  return rc;
}

LONG SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value, REGSAM view) {
  HKEY h = nullptr;
  LONG rc = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &h, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExA(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(h);
  return rc;
}

bool GetDword(HKEY root, const std::string& key, const std::string& name, DWORD& value, REGSAM view) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
  char buffer[64] = {};
  DWORD type = 0, size = sizeof buffer - 1;
  bool ok = RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
  RegCloseKey(h);
  if (!ok) return false;
  if (type == REG_DWORD && size == 4) {
    memcpy(&value, buffer, 4);
    return true;
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    uint32_t v = 0;
    if (!ParseRegistryInteger(std::string(buffer), v)) return false;
    value = v;
    return true;
  }
  return false;
}

bool WriteRegistryStep(WorkerContext& ctx, const RegistryWrite& w) {
  const std::string caption = RegistryCaption(RootName(w.root), w.key, w.value_name, w.data);
  if (!ctx.Step(caption, 512)) return false;
  HKEY root = RootKeyOf(w.root);
  const REGSAM view = ctx.RegistryView();
  bool logged = false;
  if (w.log && root) {
    std::vector<std::string> missing =
        MissingAncestors(w.key, [&](const std::string& k) { return KeyExists(root, k, view); });
    logged = ctx.Log(RegistryElement(w.root, w.key, w.value_name, missing));
  }
  for (;;) {
    LONG rc = root ? WriteValue(ctx, root, w) : ERROR_INVALID_HANDLE;
    if (rc == ERROR_SUCCESS) return true;
    ErrorDecision d = ctx.AskSystemError(static_cast<DWORD>(rc), caption);
    if (d.retry) continue;
    if (logged) ctx.Discard();
    return !d.abort;
  }
}

bool RunWriteRegistry(WorkerContext& ctx, const ActionRecord& record) {
  const WriteRegistryFields f = WriteRegistryFields::From(record);
  RegistryWrite w;
  if (!RootHandleForCode(f.root, w.root)) w.root = 0;
  w.key = f.key;
  w.value_name = f.value_name;
  w.data = f.data;
  w.kind = f.kind;
  w.log = !IsTrue(f.keep);
  return WriteRegistryStep(ctx, w);
}

}  // namespace qel::native::win
