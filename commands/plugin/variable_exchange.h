// The variables a plug-in receives and returns: a comma text of alternating
// NAME, VALUE entries.
#pragma once

#include <string>
#include <string_view>

namespace qel {
class TVariableManager;
}

namespace qel::commands::plugin {

// Every variable of the store, in its enumeration order.
std::string BuildExchangeText(const TVariableManager& vars);

// Defines or overwrites each (NAME, VALUE) pair straight in the store: no
// assignment context, no command-line protection. A trailing name without a
// value is set to "". Returns the number of variables written.
size_t ApplyExchangeText(TVariableManager& vars, std::string_view text);

}  // namespace qel::commands::plugin
