// The target folder of a page and the browse rule that keeps its missing tail:
// with TARGETDIR C:\Program Files\Firm\Tool of which only C:\Program Files
// exists, browsing to D:\Apps gives D:\Apps\Firm\Tool. Portable: whether a
// folder exists is asked through a function.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qel::wizard::binding {

using FolderExists = std::function<bool(const std::string& folder)>;

struct TargetFolder {
  std::string folder;          // TARGETDIR expanded, backslashes collapsed
  std::string missing_tail;    // the part below the nearest existing folder, no leading "\"
  std::string nearest_existing;  // "" when no part of it exists
};

// Walks up from the folder to the nearest one that exists.
TargetFolder RecordTargetFolder(std::string_view folder, const FolderExists& exists);

// The new target after the user chose folder F: "" for an empty F; the target
// unchanged when it starts with F (compared in lower case); otherwise F with a
// trailing backslash followed by the missing tail.
std::string BrowseResult(const TargetFolder& target, std::string_view chosen);

// The folder part of a path (before the last "\"), "" when it has none.
std::string ParentFolder(std::string_view path);

}  // namespace qel::wizard::binding
