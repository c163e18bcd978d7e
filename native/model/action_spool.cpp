#include "native/model/action_spool.h"

#include <charconv>
#include <utility>

namespace qel::native {

int64_t FixedActionWeight(ActionKind kind) {
  switch (kind) {
    case ActionKind::kWriteRegistry: return 512;
    case ActionKind::kCreateFolder: return 1024;
    case ActionKind::kSetEnvironment: return 1024;
    case ActionKind::kCreateFileType: return 5120;
    case ActionKind::kCreateOdbcDsn: return 5120;
    case ActionKind::kCreateShortcut: return 10240;
    case ActionKind::kEditIniFile: return 10240;
    case ActionKind::kDeleteFiles: return 102400;
    case ActionKind::kControlService: return 2097152;
    default: return 0;
  }
}

void ActionSpool::Append(SpoolEntry entry, int64_t weight) {
  entries_.push_back(std::move(entry));
  queued_weight_ += weight;
}

std::vector<std::string> ActionSpool::ToLines() const {
  std::vector<std::string> lines;
  lines.reserve(entries_.size() * 4);
  for (const SpoolEntry& e : entries_) {
    lines.push_back(e.name);
    lines.push_back(std::to_string(e.statement_number));
    lines.push_back(e.record.ToText());
    lines.push_back(e.bitness);
  }
  return lines;
}

std::vector<SpoolEntry> ActionSpool::EntriesFromLines(const std::vector<std::string>& lines) {
  std::vector<SpoolEntry> entries;
  for (size_t i = 0; i + 4 <= lines.size(); i += 4) {
    SpoolEntry e;
    e.name = lines[i];
    const std::string& number = lines[i + 1];
    int value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    e.statement_number = (error == std::errc() && end == number.data() + number.size()) ? value : 0;
    e.record = ActionRecord::FromText(lines[i + 2]);
    e.bitness = lines[i + 3];
    entries.push_back(std::move(e));
  }
  return entries;
}

void ActionSpool::Clear() {
  entries_.clear();
  queued_weight_ = 0;
}

ActionSpool& action_spool() {
  static ActionSpool spool;
  return spool;
}

}  // namespace qel::native
