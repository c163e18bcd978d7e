#include "native/model/command_headers.h"

#include <charconv>
#include <stdexcept>

#include "engine/ascii.h"

namespace qel::native {

CommandHeaders::CommandHeaders(const StringList& pairs) {
  for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
    const std::string& index_text = pairs[i + 1];
    size_t index = 0;
    auto [end, error] = std::from_chars(index_text.data(), index_text.data() + index_text.size(), index);
    if (error != std::errc() || end != index_text.data() + index_text.size()) continue;
    by_index_.emplace(index, pairs[i]);
  }
}

std::optional<std::string> CommandHeaders::Find(size_t statement_index) const {
  auto it = by_index_.find(statement_index);
  if (it == by_index_.end()) return std::nullopt;
  return it->second;
}

std::string CommandHeaders::Require(size_t statement_index) const {
  std::optional<std::string> header = Find(statement_index);
  if (!header) throw std::runtime_error(std::string(kMissingCommandHeaders));
  return *header;
}

std::optional<size_t> StatementIndexOfKey(const Payload& payload, std::string_view key) {
  for (size_t i = 0; i < payload.keys.size(); ++i)
    if (EqualsNoCase(payload.keys[i], key)) return i;
  return std::nullopt;
}

}  // namespace qel::native
