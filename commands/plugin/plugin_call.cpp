#include "commands/plugin/plugin_call.h"

#include <cstring>
#include <vector>

namespace qel::commands::plugin {

PluginOutcome CallPlugin(const EntryCall& call, const std::string& exchange_text) {
  PluginOutcome outcome;
  int32_t length = kPluginFailed;
  if (call) {
    try {
      length = call(nullptr);
    } catch (...) {
      length = kPluginFailed;
    }
  }
  // Any other negative length is as unusable as -1: there is no buffer to ask for.
  if (length < 0) {
    outcome.failed = true;
    outcome.result = exchange_text;
    return outcome;
  }
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  try {
    call(buffer.data());
  } catch (...) {
  }
  buffer.back() = '\0';
  outcome.result.assign(buffer.data(), std::strlen(buffer.data()));
  return outcome;
}

}  // namespace qel::commands::plugin
