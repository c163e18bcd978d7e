// The native log set on disk: four CR LF text files that share a prefix,
// line i of each belonging to element i.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "native/log/log_file_system.h"
#include "native/log/native_log.h"

namespace qel::native {

inline constexpr std::array<std::string_view, 4> kLogSuffixes = {
    ".native.elements.log", ".native.data.log", ".native.weight.log", ".native.bitness.log"};

// The folder part of a prefix (up to its last "\" or "/"); "" when it has none.
std::string PrefixFolder(std::string_view prefix);

// True when all four files exist at the prefix.
bool LogSetExists(LogFileSystem& fs, std::string_view prefix);

// NATIVE_LOGGING when it is neither empty nor "FALSE", its folder exists and all
// four files exist at it; otherwise default_prefix (cache root + revision code
// + "\" + product code).
std::string ChooseLogPrefix(LogFileSystem& fs, std::string_view native_logging, std::string_view default_prefix);

// True when all four files exist; with create set and none of them existing,
// creates all four empty (true unless that fails); false in every other case.
bool PrepareLogSet(LogFileSystem& fs, std::string_view prefix, bool create);

// Appends the lists to the four files (one line per entry) and clears them.
// When the prefix's folder is missing: nothing happens for an empty log,
// otherwise the folder is created and returned. ok is false when the prefix is
// empty (the entries then stay in memory) or a file could not be written.
struct FlushResult {
  std::string created_folder;
  std::vector<std::string> created_folders;  // every folder it created, deepest first
  bool ok = true;
};
FlushResult FlushLog(LogFileSystem& fs, std::string_view prefix, NativeLog& log);

// Lines of the four files; a missing or unreadable file gives an empty list.
// The elements list sets the count: shorter lists are padded with "".
LogLists LoadLogSet(LogFileSystem& fs, std::string_view prefix);

// A line of a log file never holds a line break: breaks inside an entry are
// written as "$NEWLINE$".
std::string LogLine(std::string_view entry);

// The four files kept in memory while the cache folder is deleted and rebuilt.
struct LogSetHolding {
  std::array<std::string, 4> contents;
  std::array<bool, 4> present{};
};
LogSetHolding HoldLogSet(LogFileSystem& fs, std::string_view prefix);
// Creates the prefix's folder first; writes back the files that were present.
bool RestoreLogSet(LogFileSystem& fs, std::string_view prefix, const LogSetHolding& holding);

// Deletes the four files; removes the prefix's folder too when remove_folder is
// set and it is empty.
void RemoveLogSet(LogFileSystem& fs, std::string_view prefix, bool remove_folder);
// Deletes the four files and removes the listed folders (deepest first) while
// they are empty: undoes a flush that had to create them.
void RemoveFlushedLogSet(LogFileSystem& fs, std::string_view prefix, const FlushResult& flushed);

// All four files exist at the prefix and the engine cache folder recorded for
// the product ends in the revision code (its last component, without case).
bool InstalledNatively(LogFileSystem& fs, std::string_view prefix, std::string_view cache_folder,
                       std::string_view revision_code);

// Sum of the decimal weights (entries that do not parse count 0).
uint64_t TotalWeight(const LogLists& lists);

// Where the process's log set lies by default; installed by the product
// identity (cache root + revision code + "\" + product code).
using DefaultPrefixProvider = std::function<std::string()>;
void SetDefaultLogPrefixProvider(DefaultPrefixProvider provider);
std::string DefaultLogPrefix();

// The prefix of the run: ChooseLogPrefix with the NATIVE_LOGGING value and
// the default prefix.
std::string CurrentLogPrefix(LogFileSystem& fs, std::string_view native_logging);

}  // namespace qel::native
