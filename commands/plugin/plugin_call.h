// The two-call result protocol of a plug-in's RunTimeExecute: the first call
// (no buffer) returns the result length or -1; the second fills a buffer of
// length + 1 characters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qel::commands::plugin {

inline constexpr int32_t kPluginFailed = -1;

// One call of the entry point with the given output buffer (null for the
// first call). Returns the entry's result; an exception in the plug-in is
// reported as a thrown exception or as kPluginFailed by the caller's guard.
using EntryCall = std::function<int32_t(char* buffer)>;

struct PluginOutcome {
  bool failed = false;  // the first call gave -1, raised, or there was no entry point
  std::string result;   // the text to apply to the variable store
};

// Runs the protocol. On failure the result is the exchange text that was
// passed in, so applying it leaves every variable as it was. The text read back
// stops at the first NUL and never beyond the buffer.
PluginOutcome CallPlugin(const EntryCall& call, const std::string& exchange_text);

}  // namespace qel::commands::plugin
