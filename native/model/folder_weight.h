// The weight of a "Copy/Move Local Files" action: the bytes of the files that
// its source folder and mask match when it is queued. The walk goes through a
// small lister interface so that the matching and summing are portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::native {

struct FolderEntry {
  std::string name;  // without folder
  bool is_folder = false;
  uint64_t size = 0;
};

class FolderLister {
 public:
  virtual ~FolderLister() = default;
  // The entries of a folder ("." and ".." left out); false when it cannot be read.
  virtual bool List(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
  // folder + separator + name (no doubled separator).
  virtual std::string Child(const std::string& folder, const std::string& name) const = 0;
};

// A lister on std::filesystem ("/" or "\" accepted as separators).
FolderLister& PortableFolderLister();
// The lister the engine uses (the Windows build installs an ANSI one).
FolderLister& CurrentFolderLister();
void SetFolderLister(FolderLister* lister);  // null restores the portable one

// Windows wildcard match, case-insensitive (ASCII): "*" any run, "?" one
// character; "*.*" and "" match every name.
bool MatchesMask(std::string_view name, std::string_view mask);

// Sum of the sizes of the files in folder matching mask, with the subfolders'
// files too when subfolders is set. An unreadable folder adds 0.
int64_t MatchedFilesSize(FolderLister& lister, const std::string& folder, std::string_view mask, bool subfolders);

}  // namespace qel::native
