#include "commands/actions/file_search.h"

namespace qel::commands::actions {

namespace {

class Search {
 public:
  Search(const FolderLister& lister, const SearchOptions& options, const SearchEvents& events)
      : lister_(lister), options_(options), events_(events) {}

  void Run(const std::string& folder, const std::string& mask, std::vector<std::string>& out) {
    if (events_.on_search_call) events_.on_search_call();
    for (const FolderEntry& entry : lister_(Join(folder, "*.*"))) {
      if (Stopped()) return;
      if (!entry.folder || entry.name == "." || entry.name == ".." || entry.name.empty()) continue;
      const std::string sub = Join(folder, entry.name);
      if (options_.include_subfolders) Run(sub, mask, out);
      if (Stopped()) return;
      if (options_.list_folders) out.push_back(sub);
    }
    for (const FolderEntry& entry : lister_(Join(folder, mask))) {
      if (Stopped()) return;
      if (entry.folder) continue;
      std::string path = Join(folder, entry.name);
      if (events_.on_file) events_.on_file(path);
      out.push_back(std::move(path));
    }
  }

 private:
  static std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
  }
  bool Stopped() const { return events_.stop_requested && events_.stop_requested(); }

  const FolderLister& lister_;
  const SearchOptions& options_;
  const SearchEvents& events_;
};

bool NeedsQuotes(const std::string& item) {
  for (char c : item) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u <= ' ' || c == '"' || c == '|') return true;
  }
  return false;
}

}  // namespace

void SplitPattern(std::string_view pattern, std::string& folder, std::string& mask) {
  const size_t slash = pattern.rfind('\\');
  if (slash == std::string_view::npos) {
    folder.clear();
    mask.assign(pattern);
    return;
  }
  folder.assign(pattern.substr(0, slash));
  mask.assign(pattern.substr(slash + 1));
  // "C:\*.txt": the folder is the drive's root, keep its backslash.
  if (folder.size() == 2 && folder[1] == ':') folder.push_back('\\');
}

std::vector<std::string> SearchFiles(const FolderLister& lister, std::string_view pattern,
                                     const SearchOptions& options, const SearchEvents& events) {
  std::string folder, mask;
  SplitPattern(pattern, folder, mask);
  std::vector<std::string> out;
  Search(lister, options, events).Run(folder, mask, out);
  return out;
}

std::string JoinFoundFiles(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) text.push_back('|');
    const std::string& item = items[i];
    if (!NeedsQuotes(item)) {
      text += item;
      continue;
    }
    text.push_back('"');
    for (char c : item) {
      if (c == '"') text.push_back('"');
      text.push_back(c);
    }
    text.push_back('"');
  }
  return text;
}

int DeleteFilesRecursive(const FolderLister& lister, std::string_view pattern, const DeleteOperations& ops) {
  const SearchOptions all{true, true};
  std::vector<std::string> list = SearchFiles(lister, pattern, all);
  int passes = 0;
  while (passes < kMaxDeletePasses) {
    ++passes;
    const size_t length = list.size();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
      if (ops.set_normal_attributes) ops.set_normal_attributes(*it);
      if (ops.delete_file) ops.delete_file(*it);
    }
    for (auto it = list.rbegin(); it != list.rend(); ++it)
      if (ops.remove_folder) ops.remove_folder(*it);
    list = SearchFiles(lister, pattern, all);
    if (list.size() == length) break;
  }
  return passes;
}

}  // namespace qel::commands::actions
