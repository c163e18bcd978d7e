// The command header table of the setup payload: the 8-hex-digit id that the
// compiler gave each deferred statement, keyed by the 0-based statement index.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/payload.h"

namespace qel::native {

inline constexpr std::string_view kMissingCommandHeaders =
    "Unable to obtain command headers. Please rebuild your project.";

class CommandHeaders {
 public:
  CommandHeaders() = default;
  // Pairs (header, decimal statement index); a pair whose index does not parse
  // is skipped. When an index occurs twice, the first pair wins.
  explicit CommandHeaders(const StringList& pairs);

  std::optional<std::string> Find(size_t statement_index) const;
  // The header, or throws std::runtime_error(kMissingCommandHeaders).
  std::string Require(size_t statement_index) const;

 private:
  std::unordered_map<size_t, std::string> by_index_;
};

// The 0-based index of the statement with this key (any case), or nullopt.
std::optional<size_t> StatementIndexOfKey(const Payload& payload, std::string_view key);

}  // namespace qel::native
