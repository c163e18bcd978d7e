// The delegate update: how a worker thread reports progress. Values go into
// the OXLE_th* variables under the store's lock; every call also stamps
// OXLE_LastDelegateTick, which the watchdog compares.
#pragma once

#include <cstdint>
#include <string_view>

namespace qel {
class TVariableManager;
}

namespace qel::commands::actions {

inline constexpr std::string_view kProgressFromVariables = "$OXLE$";
inline constexpr std::string_view kKeepProgressText = "$IGNORE$";
inline constexpr int64_t kKeepPosition = -1;

void DelegateUpdate(TVariableManager& vars, std::string_view text, int64_t min, int64_t max, int64_t position,
                    uint64_t now_ms);

}  // namespace qel::commands::actions
