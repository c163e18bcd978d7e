// The action spool: the native actions queued until "Apply Changes", in the
// order their statements ran, each with the bitness mode that was current when
// it was queued, and the progress weights of the native engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "native/model/action_record.h"

namespace qel::native {

struct SpoolEntry {
  std::string name;           // statement name, e.g. "Install Files"
  int statement_number = 0;   // 1-based statement number
  ActionRecord record;
  std::string bitness;        // "Win32", "x64" or "ia64"

  bool operator==(const SpoolEntry&) const = default;
};

// Progress units a queued action adds to the queued weight. "Copy/Move Local
// Files" weighs its matched bytes (measured when it is queued, see
// record_builders.h); the four statements with a command header weigh nothing
// at queue time (their bytes are counted while they run); every other kind,
// and kNone, weighs 0.
int64_t FixedActionWeight(ActionKind kind);

// Written only by the script thread; the native worker reads it while the script
// thread waits for it, so it needs no lock.
class ActionSpool {
 public:
  void Append(SpoolEntry entry, int64_t weight);
  const std::vector<SpoolEntry>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // Sum of the weights of the queued actions.
  int64_t queued_weight() const { return queued_weight_; }
  void AddQueuedWeight(int64_t weight) { queued_weight_ += weight; }

  // The progress maximum of actions run at once: the payload's last number.
  int64_t total_weight() const { return total_weight_; }
  void set_total_weight(int64_t weight) { total_weight_ = weight; }

  // Four lines per action: name, decimal statement number, record comma text,
  // bitness mode.
  std::vector<std::string> ToLines() const;
  // The inverse of ToLines; an incomplete last group is dropped, a number that
  // does not parse reads 0. Weights are not part of the lines.
  static std::vector<SpoolEntry> EntriesFromLines(const std::vector<std::string>& lines);

  void Clear();

 private:
  std::vector<SpoolEntry> entries_;
  int64_t queued_weight_ = 0;
  int64_t total_weight_ = 0;
};

// The process-wide spool; it lives for the whole run and "Apply Changes" never
// clears it.
ActionSpool& action_spool();

}  // namespace qel::native
