// Applying an entry's stored attributes and modification time to a written file or
// folder. On Windows both are set; elsewhere only the modification time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "archive/sevenzip/database.h"

namespace qel::archive {

// Best effort: a failure to set metadata does not fail the extraction.
void apply_file_metadata(const std::filesystem::path& path, std::optional<uint32_t> windows_attributes,
                         std::optional<FileTime> mtime, bool is_dir);
// Makes an existing file writable again before it is replaced.
void clear_readonly(const std::filesystem::path& path);

}  // namespace qel::archive
