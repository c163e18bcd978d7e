#include "native/engine/win/system_actions.h"

#include <vector>

#include "engine/variables.h"
#include "native/engine/action_rules.h"
#include "native/engine/win/file_actions.h"
#include "native/engine/win/registry_actions.h"
#include "native/log/log_elements.h"

namespace qel::native::win {
namespace {

// Calls fn until it succeeds, asking on failure; false when aborted, ignored
// failures give true with ok false.
template <class Fn>
bool Attempt(WorkerContext& ctx, const std::string& object, bool& ok, Fn fn) {
  for (;;) {
    ok = fn();
    if (ok) return true;
    ErrorDecision d = ctx.AskSystemError(GetLastError(), object);
    if (d.retry) continue;
    return !d.abort;
  }
}

void WaitWhilePending(WorkerContext& ctx, SC_HANDLE service, DWORD pending) {
  SERVICE_STATUS status{};
  while (!ctx.terminate.load() && QueryServiceStatus(service, &status) && status.dwCurrentState == pending) Sleep(1000);
}

}  // namespace

bool RunInstallService(WorkerContext& ctx, const ActionRecord& record) {
  const InstallServiceFields f = InstallServiceFields::From(record);
  const FileSource src = ProcessFileSource();
  const std::vector<FileTableEntry> group = FileGroup(*src.table, f.header);
  std::vector<std::string> copied;
  std::vector<bool> flags;
  if (!CopyGroupPlain(ctx, group, f.folder, true, copied, &flags)) return false;
  if (flags.empty() || !flags.back()) return true;  // the service program was not copied

  const std::string label = f.service_name + ", " + f.display_name + ", " + f.description;
  if (!ctx.Step(label, 0)) return false;
  bool ok = false;
  SC_HANDLE manager = nullptr;
  if (!Attempt(ctx, label, ok, [&] { return (manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }))
    return false;
  if (!ok) return true;
  std::string path = "\"" + copied.back() + "\"";
  if (!f.arguments.empty()) path += " " + f.arguments;
  const std::string dependencies = ServiceDependencies(f.dependencies);
  SC_HANDLE service = nullptr;
  const bool go_on = Attempt(ctx, label, ok, [&] {
    service = CreateServiceA(manager, f.service_name.c_str(), f.display_name.c_str(), SERVICE_ALL_ACCESS,
                             ServiceType(f.process_kind, IsTrue(f.interactive)), ServiceStartType(f.start_type),
                             ServiceErrorControl(f.error_control), path.c_str(), nullptr, nullptr,
                             dependencies.c_str(), f.account.empty() ? nullptr : f.account.c_str(),
                             f.password.empty() ? nullptr : f.password.c_str());
    return service != nullptr;
  });
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!go_on) return false;
  if (!ok) return true;
  ctx.Log(SingleItemElement(ForwardChange::kCreateService, f.service_name));
  if (!f.description.empty()) {
    RegistryWrite w;
    w.root = kRootLocalMachine;
    w.key = "SYSTEM\\CurrentControlSet\\Services\\" + f.service_name;
    w.value_name = "Description";
    w.data = f.description;
    if (!WriteRegistryStep(ctx, w)) return false;
  }
  ctx.TraceChange(f.service_name);
  return true;
}

bool RunControlService(WorkerContext& ctx, const ActionRecord& record) {
  const ControlServiceFields f = ControlServiceFields::From(record);
  const std::string label = f.service_name + ", " + f.start_argument;
  if (!ctx.Step(label, 0)) return false;
  bool ok = false;
  SC_HANDLE manager = nullptr, service = nullptr;
  if (!Attempt(ctx, label, ok, [&] { return (manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)); }))
    return false;
  bool result = true;
  if (ok && Attempt(ctx, label, ok, [&] {
        return (service = OpenServiceA(manager, f.service_name.c_str(), SERVICE_ALL_ACCESS));
      })) {
    if (ok) {
      int operation = 0;
      try {
        operation = std::stoi(f.operation);
      } catch (...) {
        operation = 0;
      }
      operation = ((operation % 3) + 3) % 3;
      const bool wait = IsTrue(f.wait);
      if (operation == 0) {
        const char* args[1] = {f.start_argument.c_str()};
        result = Attempt(ctx, label, ok, [&] { return StartServiceA(service, 1, args) != FALSE; });
        if (ok && wait) WaitWhilePending(ctx, service, SERVICE_START_PENDING);
      } else {
        SERVICE_STATUS status{};
        result = Attempt(ctx, label, ok, [&] { return ControlService(service, SERVICE_CONTROL_STOP, &status) != FALSE; });
        if (ok && wait) WaitWhilePending(ctx, service, SERVICE_STOP_PENDING);
        if (result && ok && operation == 2)
          result = Attempt(ctx, label, ok, [&] { return DeleteService(service) != FALSE; });
      }
    }
  } else {
    result = false;
  }
  if (service) CloseServiceHandle(service);
  if (manager) CloseServiceHandle(manager);
  if (result) ctx.TraceChange(label);
  return result;
}

}  // namespace qel::native::win
