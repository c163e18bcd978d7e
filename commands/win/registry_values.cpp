#include "commands/win/registry_values.h"

#include <cstdint>
#include <vector>

#include "commands/bitness.h"
#include "engine/conditions.h"

namespace qel::commands {

namespace {

class OpenKey {
 public:
  OpenKey(HKEY root, const std::string& key, REGSAM access) {
    if (!root || RegOpenKeyExA(root, key.c_str(), 0, access | kKeyRead, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

enum class Query { kOk, kMissing, kError };

Query QueryValue(HKEY key, const std::string& value, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  LONG status = RegQueryValueExA(key, value.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return Query::kMissing;
  if (status != ERROR_SUCCESS) return Query::kError;
  for (int attempt = 0; attempt < 4; ++attempt) {
    data.assign(size + 2, 0);  // room for a missing terminator
    DWORD got = size;
    status = RegQueryValueExA(key, value.c_str(), nullptr, &type, data.data(), &got);
    if (status == ERROR_SUCCESS) {
      data.resize(got);
      return Query::kOk;
    }
    if (status != ERROR_MORE_DATA) return Query::kError;
    size = got;
  }
  return Query::kError;
}

std::string StringData(const std::vector<BYTE>& data) {
  std::string text(data.begin(), data.end());
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

}  // namespace

bool IsRegistryMarker(std::string_view text) {
  return text == kNoKey || text == kNoValue || text == kReadError || text == kUnknownType;
}

HKEY RegistryRoot(int code) {
  switch (code) {
    case 0: return HKEY_CLASSES_ROOT;
    case 1: return HKEY_CURRENT_USER;
    case 2: return HKEY_LOCAL_MACHINE;
    case 3: return HKEY_USERS;
    case 4: return HKEY_CURRENT_CONFIG;
    default: return nullptr;
  }
}

std::string ReadRegistryText(HKEY root, const std::string& key, const std::string& value, REGSAM access) {
  OpenKey open(root, key, access);
  if (!open.get()) return std::string(kNoKey);
  DWORD type = 0;
  std::vector<BYTE> data;
  switch (QueryValue(open.get(), value, type, data)) {
    case Query::kMissing: return std::string(kNoValue);
    case Query::kError: return std::string(kReadError);
    case Query::kOk: break;
  }
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return StringData(data);
    case REG_DWORD: {
      if (data.size() < 4) return std::string(kReadError);
      uint32_t raw = 0;
      memcpy(&raw, data.data(), 4);
      return std::to_string(static_cast<int32_t>(raw));
    }
    case REG_BINARY: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string text;
      for (BYTE b : data) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
      }
      return text;
    }
    case REG_MULTI_SZ: {
      std::string text;
      size_t start = 0;
      bool first = true;
      while (start < data.size() && data[start] != 0) {
        size_t end = start;
        while (end < data.size() && data[end] != 0) ++end;
        if (!first) text += "$NEWLINE$";
        text.append(reinterpret_cast<const char*>(data.data()) + start, end - start);
        first = false;
        start = end + 1;
      }
      return text;
    }
    default:
      return std::string(kUnknownType);
  }
}

bool ReadRegistryString(HKEY root, const std::string& key, const std::string& value, REGSAM access,
                        std::string& out) {
  OpenKey open(root, key, access);
  if (!open.get()) return false;
  DWORD type = 0;
  std::vector<BYTE> data;
  if (QueryValue(open.get(), value, type, data) != Query::kOk) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  out = StringData(data);
  return true;
}

bool ReadRegistryInteger(HKEY root, const std::string& key, const std::string& value, REGSAM access,
                         long long& out) {
  OpenKey open(root, key, access);
  if (!open.get()) return false;
  DWORD type = 0;
  std::vector<BYTE> data;
  if (QueryValue(open.get(), value, type, data) != Query::kOk) return false;
  if (type == REG_DWORD && data.size() >= 4) {
    uint32_t raw = 0;
    memcpy(&raw, data.data(), 4);
    out = raw;
    return true;
  }
  if (type == REG_SZ) {
    int32_t number = 0;
    if (!ParseInt32(StringData(data), number)) return false;
    out = number;
    return true;
  }
  return false;
}

}  // namespace qel::commands
