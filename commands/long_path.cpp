#include "commands/long_path.h"

#include "commands/path_parts.h"

namespace qel::commands {

namespace {

std::string Resolve(const std::string& path, NameFinder finder) {
  const std::string drive = DriveOf(path);
  if (path.size() <= drive.size() + 1 && path.compare(0, drive.size(), drive) == 0) return path;
  const size_t cut = path.rfind('\\');
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.empty() || name.find_first_of("*?") != std::string::npos) return path;
  std::string found;
  if (!finder || !finder(path, found)) return path;
  if (cut == std::string::npos) return found;
  std::string parent = path.substr(0, cut);
  if (parent != drive && !parent.empty()) parent = Resolve(parent, finder);
  return parent + "\\" + found;
}

}  // namespace

std::string LongPathName(std::string_view path_in, NameFinder finder) {
  std::string path;
  path.reserve(path_in.size());
  for (char c : path_in)
    if (c != '"') path += c;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return Resolve(path, finder);
}

}  // namespace qel::commands
