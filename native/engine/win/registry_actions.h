// Write Registry, also as a step of other actions (file types, services, ODBC).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "native/engine/win/worker_context.h"
#include "native/model/action_record.h"

namespace qel::native::win {

HKEY RootKeyOf(int64_t root_handle);

struct RegistryWrite {
  int64_t root = 0;  // kRootLocalMachine ...
  std::string key;
  std::string value_name;
  std::string data;
  std::string kind = "STRING";  // STRING, EXPANDSTRING, INTEGER, BINARY, APPEND, PREPEND
  bool log = true;
};

// Progress step (512 units), log element (missing keys), the write; asks on
// failure. False when aborted or cancelled.
bool WriteRegistryStep(WorkerContext& ctx, const RegistryWrite& write);

bool RunWriteRegistry(WorkerContext& ctx, const ActionRecord& record);

// Writes a REG_DWORD without progress or log (SharedDlls and ODBC counts).
LONG SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value, REGSAM view);
// Reads a REG_DWORD, or a string holding a number.
bool GetDword(HKEY root, const std::string& key, const std::string& name, DWORD& value, REGSAM view);
bool KeyExists(HKEY root, const std::string& key, REGSAM view);
bool ValueExists(HKEY root, const std::string& key, const std::string& name, REGSAM view);
LONG DeleteValue(HKEY root, const std::string& key, const std::string& name, REGSAM view);

}  // namespace qel::native::win
