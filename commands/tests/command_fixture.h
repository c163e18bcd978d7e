// Runs a command handler on a statement given as its parameter lines.
#pragma once

#include <string>
#include <vector>

#include "commands/command_params.h"
#include "engine/variables.h"

namespace qel::commands::testing {

inline CommandParams MakeParams(TVariableManager& vars, const std::string& command,
                                std::vector<std::string> lines) {
  return CommandParams(vars, command, "{TEST-KEY}", [lines = std::move(lines)](int n) {
    return n >= 1 && static_cast<size_t>(n) <= lines.size() ? lines[n - 1] : std::string();
  });
}

}  // namespace qel::commands::testing
