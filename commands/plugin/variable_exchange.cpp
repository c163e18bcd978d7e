#include "commands/plugin/variable_exchange.h"

#include <mutex>
#include <vector>

#include "engine/comma_text.h"
#include "engine/variables.h"

namespace qel::commands::plugin {

std::string BuildExchangeText(const TVariableManager& vars) {
  std::vector<std::string> pairs;
  vars.ExportPairs(pairs);
  return JoinCommaText(pairs);
}

size_t ApplyExchangeText(TVariableManager& vars, std::string_view text) {
  const std::vector<std::string> entries = SplitCommaText(text);
  std::lock_guard lock(vars.Mutex());
  size_t written = 0;
  for (size_t i = 0; i < entries.size(); i += 2) {
    if (entries[i].empty()) continue;
    vars.Set(entries[i], i + 1 < entries.size() ? std::string_view(entries[i + 1]) : std::string_view());
    ++written;
  }
  return written;
}

}  // namespace qel::commands::plugin
