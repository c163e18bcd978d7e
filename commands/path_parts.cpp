#include "commands/path_parts.h"

namespace qel::commands {

namespace {

size_t LastDelimiter(std::string_view path) { return path.find_last_of("\\:"); }

std::string WithTrailingBackslash(std::string text) {
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

std::string WithoutTrailingBackslash(std::string_view text) {
  if (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::string FileNameOf(std::string_view path) {
  const size_t cut = LastDelimiter(path);
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string ExtensionOf(std::string_view path) {
  const size_t dot = path.find_last_of(".\\:");
  if (dot == std::string_view::npos || path[dot] != '.') return {};
  return std::string(path.substr(dot));
}

std::string FolderOf(std::string_view path) {
  const size_t cut = LastDelimiter(path);
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: the end is the second backslash after the leading pair.
    size_t end = path.find('\\', 2);
    if (end != std::string_view::npos) end = path.find('\\', end + 1);
    return std::string(end == std::string_view::npos ? path : path.substr(0, end));
  }
  return {};
}

std::string ExtractPathPart(std::string_view path, int part) {
  switch (part) {
    case 0:
      return FileNameOf(path);
    case 1: {
      std::string name = FileNameOf(path);
      const std::string extension = ExtensionOf(path);
      if (!extension.empty()) {
        const size_t at = name.find(extension);
        if (at != std::string::npos) name.erase(at, extension.size());
      }
      return name;
    }
    case 2: {
      const std::string extension = ExtensionOf(path);
      return extension.empty() ? extension : extension.substr(1);
    }
    case 3:
      return WithTrailingBackslash(FolderOf(path));
    case 4:
      return WithTrailingBackslash(FolderOf(WithoutTrailingBackslash(FolderOf(path))));
    case 5:
      return WithTrailingBackslash(DriveOf(path));
    case 6: {
      std::string out;
      out.reserve(path.size());
      for (size_t i = 0; i < path.size(); ++i) {
        out += path[i];
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
      }
      return out;
    }
    default:
      return std::string(path);
  }
}

}  // namespace qel::commands
