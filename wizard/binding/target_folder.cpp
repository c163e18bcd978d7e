#include "wizard/binding/target_folder.h"

#include "engine/variables.h"

namespace qel::wizard::binding {

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string WithoutTrailingBackslash(std::string text) {
  // "C:\" keeps its backslash: "C:" alone means the current folder of drive C.
  while (text.size() > 1 && text.back() == '\\' && !(text.size() == 3 && text[1] == ':')) text.pop_back();
  return text;
}

}  // namespace

std::string ParentFolder(std::string_view path) {
  size_t slash = path.find_last_of('\\');
  if (slash == std::string_view::npos) return {};
  if (slash == 2 && path.size() > 1 && path[1] == ':') return std::string(path.substr(0, 3));
  return std::string(path.substr(0, slash));
}

TargetFolder RecordTargetFolder(std::string_view folder, const FolderExists& exists) {
  TargetFolder t;
  t.folder = NormalizeBackslashes(folder);
  std::string probe = WithoutTrailingBackslash(t.folder);
  while (!probe.empty() && !exists(probe)) {
    std::string up = ParentFolder(probe);
    if (up == probe) up.clear();
    probe = up;
  }
  t.nearest_existing = probe;
  if (probe.empty()) {
    // Not even the drive exists: keep the folders below the drive or share.
    std::string_view rest = t.folder;
    if (rest.size() >= 2 && rest[1] == ':') rest.remove_prefix(2);
    else if (rest.substr(0, 2) == "\\\\") {
      size_t share = rest.find('\\', 2);
      share = share == std::string_view::npos ? rest.size() : rest.find('\\', share + 1);
      rest.remove_prefix(share == std::string_view::npos ? rest.size() : share);
    }
    while (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
    t.missing_tail = WithoutTrailingBackslash(std::string(rest));
  } else if (t.folder.size() > probe.size()) {
    std::string tail = t.folder.substr(probe.size());
    while (!tail.empty() && tail.front() == '\\') tail.erase(0, 1);
    t.missing_tail = WithoutTrailingBackslash(tail);
    if (t.missing_tail == "\\") t.missing_tail.clear();
  }
  return t;
}

std::string BrowseResult(const TargetFolder& target, std::string_view chosen) {
  if (chosen.empty()) return {};
  std::string lower_target = Lower(target.folder), lower_chosen = Lower(chosen);
  if (lower_target.compare(0, lower_chosen.size(), lower_chosen) == 0) return target.folder;
  std::string out(chosen);
  if (out.back() != '\\') out += '\\';
  return out + target.missing_tail;
}

}  // namespace qel::wizard::binding
