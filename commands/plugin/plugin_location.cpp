#include "commands/plugin/plugin_location.h"

namespace qel::commands::plugin {

namespace {
std::string WithBackslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out.push_back('\\');
  return out;
}
}  // namespace

std::string LibraryFileName(std::string_view stored_path) {
  const size_t slash = stored_path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? stored_path : stored_path.substr(slash + 1));
}

std::string SupportFolderLibrary(std::string_view support_folder, std::string_view stored_path) {
  return WithBackslash(support_folder) + LibraryFileName(stored_path);
}

std::string DataFolderLibrary(std::string_view data_folder, std::string_view entry, std::string_view stored_path) {
  std::string path(data_folder);
  path += entry;
  path += stored_path;
  return path;
}

std::string LocateSourceFolder(std::string_view data_folder, std::string_view product_code,
                               const SourceSearch& search) {
  auto has_marker = [&](const std::string& folder) {
    return search.file_exists && !product_code.empty() && search.file_exists(folder + std::string(product_code));
  };
  const std::string data = WithBackslash(data_folder);
  if (!data.empty() && has_marker(data)) return data;
  if (!search.ask_folder) return {};
  for (;;) {
    const std::string chosen = search.ask_folder();
    if (chosen.empty()) return {};
    const std::string folder = WithBackslash(chosen);
    if (has_marker(folder)) return folder;
    if (has_marker(folder + "data\\")) return folder + "data\\";
  }
}

std::string MissingLibraryMessage() { return std::string(kMissingLibraryText) + "\r\n\r\n" + std::string(kActionSkipped); }

}  // namespace qel::commands::plugin
