#include "native/model/folder_weight.h"

#include <filesystem>
#include <system_error>

#include "engine/ascii.h"

namespace qel::native {
namespace {

class StdFolderLister final : public FolderLister {
 public:
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    std::error_code ec;
    std::filesystem::directory_iterator it(std::filesystem::path(folder), ec);
    if (ec) return false;
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
      if (ec) break;
      FolderEntry e;
      e.name = it->path().filename().string();
      e.is_folder = it->is_directory(ec);
      if (!e.is_folder) {
        uint64_t size = it->file_size(ec);
        e.size = ec ? 0 : size;
      }
      entries.push_back(std::move(e));
    }
    return true;
  }

  std::string Child(const std::string& folder, const std::string& name) const override {
    if (folder.empty()) return name;
    char last = folder.back();
    if (last == '/' || last == '\\') return folder + name;
    return folder + '/' + name;
  }
};

FolderLister* g_lister = nullptr;

bool MatchFrom(std::string_view name, std::string_view mask) {
  // Iterative match with one backtrack point for the last "*".
  size_t n = 0, m = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

int64_t SumFolder(FolderLister& lister, const std::string& folder, std::string_view mask, bool subfolders,
                  int depth) {
  // Deep enough for any real tree; stops a loop of links from recursing forever.
  constexpr int kMaxDepth = 128;
  std::vector<FolderEntry> entries;
  if (!lister.List(folder, entries)) return 0;
  int64_t total = 0;
  for (const FolderEntry& e : entries) {
    if (e.is_folder) {
      if (subfolders && depth < kMaxDepth)
        total += SumFolder(lister, lister.Child(folder, e.name), mask, subfolders, depth + 1);
    } else if (MatchesMask(e.name, mask)) {
      total += static_cast<int64_t>(e.size);
    }
  }
  return total;
}

}  // namespace

FolderLister& PortableFolderLister() {
  static StdFolderLister lister;
  return lister;
}

FolderLister& CurrentFolderLister() { return g_lister ? *g_lister : PortableFolderLister(); }

void SetFolderLister(FolderLister* lister) { g_lister = lister; }

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask.empty() || mask == "*.*" || mask == "*") return true;
  return MatchFrom(name, mask);
}

int64_t MatchedFilesSize(FolderLister& lister, const std::string& folder, std::string_view mask, bool subfolders) {
  return SumFolder(lister, folder, mask, subfolders, 0);
}

}  // namespace qel::native
