// The engine's Extract and List operations on top of qel.lib's exports (the library
// is imported at load time). Windows only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qel::archive {

// Optional callbacks of Extract; each one left empty takes its default:
// password hands out the Extract password once, then has none; progress and
// entry_start continue; overwrite follows the overwrite flag.
struct ExtractCallbacks {
  // Returns the password to try, or nullopt when there is none.
  std::function<std::optional<std::string>()> password;
  // (entry name, bytes done, bytes total) -> true to continue, false to stop.
  std::function<bool(const std::string&, uint64_t, uint64_t)> progress;
  std::function<bool(const std::string&)> entry_start;
  // (existing file path, entry name) -> true to replace.
  std::function<bool(const std::string&, const std::string&)> overwrite;
};

// Extracts the archive (ANSI paths) into target_folder. Without an entry list all
// entries are listed first and extracted. On failure returns false with the error
// text: "#" + the library's error number, or the listing error text.
bool Extract(const std::string& archive, const std::string& password, const std::string& target_folder,
             const ExtractCallbacks* callbacks, const std::vector<std::string>* entries, std::string& error,
             bool overwrite, bool keep_paths);

struct ArchiveListing {
  std::vector<std::string> names;
  std::vector<uint32_t> attributes;       // the entry record's 32-bit value
  std::vector<std::string> sizes;         // unpacked size, decimal
  std::vector<std::string> packed_sizes;  // decimal
  std::vector<std::string> times;         // local modification time "YYYY-MM-DD HH:MM:SS"
};

// Lists the archive. On failure returns false with one of the texts below.
bool List(const std::string& archive, const std::string& password, std::string& error,
          const std::function<std::optional<std::string>()>* password_callback, ArchiveListing* listing);

// The texts of List failures by library error number.
std::string list_error_text(uint32_t error_number);

}  // namespace qel::archive
