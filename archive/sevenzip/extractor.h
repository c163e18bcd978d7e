// Extraction of a 7z archive into a folder: solid folders are decoded once, in order,
// and each file is written as its data comes, so memory stays bounded by the coder
// state plus buffers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "archive/sevenzip/archive_reader.h"
#include "archive/sevenzip/database.h"

namespace qel::archive {

struct ExtractOptions {
  // true: entries keep their folders under the target; false: every file lands
  // directly in the target and folder entries are skipped.
  bool keep_paths = true;
  // Which entries to write; empty = all.
  std::function<bool(const Entry&)> select;
  PasswordSource password;
  // Called as data is written (name, bytes done, bytes total over all selected
  // entries); false stops the extraction with StoppedError.
  std::function<bool(const std::string& name, uint64_t done, uint64_t total)> progress;
  // Called before an entry is started; false stops the extraction.
  std::function<bool(const Entry&)> entry_start;
  // Called when the file to write exists already; true replaces it, false keeps it
  // (the entry is skipped). Empty = replace.
  std::function<bool(const Entry&, const std::filesystem::path& existing)> overwrite;
};

struct ExtractResult {
  uint64_t files_written = 0;
  uint64_t files_skipped = 0;  // kept by the overwrite callback
  uint64_t bytes_written = 0;
};

// Entry names are all checked before anything is written: one unsafe name fails the
// whole extraction with UnsafePathError naming it. Data errors delete the file being
// written and raise ArchiveError (WrongPasswordError for encrypted data once the
// password source has no more passwords).
ExtractResult extract_archive(SevenZipArchive& archive, const std::filesystem::path& target,
                              const ExtractOptions& options);
ExtractResult extract_archive(const std::filesystem::path& archive_path, const std::filesystem::path& target,
                              const ExtractOptions& options);

}  // namespace qel::archive
