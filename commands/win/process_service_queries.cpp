// "Is MSI Setup Installed", "Check Process" and "Check Service".
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>

#include "commands/path_parts.h"
#include "commands/win/system_queries.h"
#include "engine/ascii.h"

namespace qel::commands {

namespace {

std::atomic<bool (*)()> g_native_record_probe{nullptr};

bool MsiProductInstalled(const std::string& product_code) {
  HMODULE msi = LoadLibraryA("msi.dll");
  if (!msi) return false;
  using Fn = INT(WINAPI*)(LPCSTR);
  auto query = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(msi, "MsiQueryProductStateA")));
  const bool installed = query && query(product_code.c_str()) == 5;  // INSTALLSTATE_DEFAULT
  FreeLibrary(msi);
  return installed;
}

bool ProcessRunning(const std::string& file_name) {
  if (file_name.find_first_of("\\/:") != std::string::npos) return false;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    found = EqualsNoCase(FileNameOf(entry.szExeFile), file_name);
  CloseHandle(snapshot);
  return found;
}

std::string ServiceState(const std::string& service, const std::string& computer) {
  SC_HANDLE manager = OpenSCManagerA(computer.empty() ? nullptr : computer.c_str(), nullptr, SC_MANAGER_CONNECT);
  if (!manager) return "NOTINSTALLED";
  std::string state = "NOTINSTALLED";
  if (SC_HANDLE handle = OpenServiceA(manager, service.c_str(), SERVICE_QUERY_STATUS)) {
    SERVICE_STATUS status{};
    if (QueryServiceStatus(handle, &status)) {
      switch (status.dwCurrentState) {
        case SERVICE_STOPPED: state = "STOPPED"; break;
        case SERVICE_START_PENDING: state = "STARTING"; break;
        case SERVICE_STOP_PENDING: state = "STOPPING"; break;
        case SERVICE_RUNNING: state = "RUNNING"; break;
        case SERVICE_CONTINUE_PENDING: state = "CONTINUE_PENDING"; break;
        case SERVICE_PAUSE_PENDING: state = "PAUSE_PENDING"; break;
        case SERVICE_PAUSED: state = "PAUSED"; break;
        default: break;
      }
    }
    CloseServiceHandle(handle);
  }
  CloseServiceHandle(manager);
  return state;
}

}  // namespace

void SetNativeRecordProbe(bool (*probe)()) { g_native_record_probe = probe; }

void IsMsiSetupInstalledCommand(const CommandParams& p) {
  const std::string product_code = p.path(1);
  bool (*probe)() = g_native_record_probe.load();
  const bool installed = (probe && probe()) || MsiProductInstalled(product_code);
  p.assign(p.plain_name(2), installed ? "TRUE" : "FALSE", "MsiQueryProductState");
}

void CheckProcessCommand(const CommandParams& p) {
  p.assign(p.plain_name(2), ProcessRunning(p.text(1)) ? "TRUE" : "FALSE");
}

void CheckServiceCommand(const CommandParams& p) {
  p.assign(p.plain_name(3), ServiceState(p.text(1), p.text(2)));
}

}  // namespace qel::commands
