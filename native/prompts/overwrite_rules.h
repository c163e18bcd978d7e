// Whether an existing file is replaced: the comparison of the new file with the
// existing one (version resource, then modification time) and the decision
// table of NATIVE_OVERWRITE and NATIVE_OVERWRITE_OLDER.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qel::native {

// What the platform knows of one file.
struct FileFacts {
  std::array<uint32_t, 4> version{};  // all 0: no version resource
  bool has_time = false;
  int64_t modified = 0;   // any monotonic time scale (file time ticks on Windows)
  std::string date_text;  // locale short date + long time; "" when unreadable
  bool HasVersion() const { return version != std::array<uint32_t, 4>{}; }
};

// "a.b.c.d", or "<no version information>" for 0.0.0.0.
std::string VersionText(const FileFacts& facts);
// The date text, or "<unknown date>".
std::string DateText(const FileFacts& facts);

// The new file counts as newer: both versioned -> its version is greater; the
// existing file unversioned -> its time is earlier than the new file's; only
// the new file unversioned -> never.
bool SourceIsNewer(const FileFacts& source, const FileFacts& destination);

enum class OverwriteStep { kReplace, kKeep, kAsk, kCompare };

// Before comparing: "NEVER" keeps, "ALWAYS" with OLDER "TRUE" replaces, every
// other combination needs the comparison (kCompare).
OverwriteStep DecideBeforeCompare(std::string_view overwrite, std::string_view overwrite_older);
// After comparing: kReplace, kKeep or kAsk by the table.
OverwriteStep DecideAfterCompare(std::string_view overwrite, std::string_view overwrite_older, bool source_newer);

// The question of the overwrite prompt.
std::string OverwriteQuestion(const std::string& destination, const FileFacts& old_file, const FileFacts& new_file);

}  // namespace qel::native
