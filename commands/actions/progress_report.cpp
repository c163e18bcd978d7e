#include "commands/actions/progress_report.h"

#include <cstdlib>
#include <mutex>
#include <string>

#include "engine/variables.h"

namespace qel::commands::actions {

namespace {
int64_t Read64(TVariableManager& vars, std::string_view name) {
  return std::strtoll(vars.ReadVariable(name).c_str(), nullptr, 10);
}
}  // namespace

void DelegateUpdate(TVariableManager& vars, std::string_view text, int64_t min, int64_t max, int64_t position,
                    uint64_t now_ms) {
  std::lock_guard lock(vars.Mutex());
  vars.Set("OXLE_LastDelegateTick", std::to_string(now_ms));
  std::string status(text);
  if (text == kProgressFromVariables) {
    status = vars.ReadVariable("OXLE_thProgressText");
    position = Read64(vars, "OXLE_thProgress");
    max = Read64(vars, "OXLE_thMax");
    min = Read64(vars, "OXLE_thMin");
  }
  if (position != kKeepPosition) {
    vars.Set("OXLE_thMax", std::to_string(max));
    vars.Set("OXLE_thMin", std::to_string(min));
    vars.Set("OXLE_thProgress", std::to_string(position));
  }
  if (status != kKeepProgressText) vars.Set("OXLE_thProgressText", status);
}

}  // namespace qel::commands::actions
