#include "native/identity/identity_rules.h"

#include <algorithm>

#include "engine/ascii.h"

namespace qel::identity {

namespace {

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string_view without_trailing_backslashes(std::string_view folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
  return folder;
}

std::string with_backslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

uint32_t leading_number(std::string_view part) {
  uint64_t value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(value);
}

}  // namespace

std::optional<InstanceIdentity> parse_instance_file(std::string_view text) {
  const std::vector<std::string_view> lines = split_lines(text);
  if (lines.size() < 3 || lines[0].empty() || lines[1].empty()) return std::nullopt;
  return InstanceIdentity{std::string(lines[0]), std::string(lines[1]), std::string(lines[2])};
}

std::string format_instance_file(const InstanceIdentity& identity) {
  return identity.product_code + "\r\n" + identity.revision_code + "\r\n" + identity.instance_name + "\r\n";
}

VersionNumbers split_version(std::string_view version) {
  VersionNumbers numbers;
  const size_t dot = version.find('.');
  numbers.major = leading_number(version.substr(0, dot));
  if (dot != std::string_view::npos) {
    const std::string_view rest = version.substr(dot + 1);
    numbers.minor = leading_number(rest.substr(0, rest.find('.')));
  }
  return numbers;
}

std::string last_folder_component(std::string_view folder) {
  const std::string_view trimmed = without_trailing_backslashes(folder);
  const size_t cut = trimmed.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? trimmed : trimmed.substr(cut + 1));
}

std::string parent_folder(std::string_view folder) {
  const std::string_view trimmed = without_trailing_backslashes(folder);
  const size_t cut = trimmed.find_last_of("\\/");
  if (cut == std::string_view::npos) return {};
  return std::string(trimmed.substr(0, cut)) + "\\";
}

std::string cache_root_from_entry(std::string_view entry, std::string_view revision_code) {
  if (entry.empty() || revision_code.empty()) return {};
  if (!EqualsNoCase(last_folder_component(entry), revision_code)) return {};
  return parent_folder(entry);
}

std::string choose_cache_root(const CacheRootInputs& in, const std::function<bool(const std::string&)>& folder_exists) {
  if (!in.override_folder.empty()) return with_backslash(in.override_folder);
  std::string entry;
  if (in.machine_entry && !in.machine_entry->empty() && folder_exists(*in.machine_entry))
    entry = *in.machine_entry;
  else if (in.user_entry)
    entry = *in.user_entry;
  const std::string root = cache_root_from_entry(entry, in.revision_code);
  if (!root.empty()) return root;
  return with_backslash(in.shell_root);
}

std::string uninstall_program_of(std::string_view uninstall_string) {
  std::string value(uninstall_string);
  if (const size_t first = value.find('"'); first != std::string::npos) value.erase(first, 1);
  if (const size_t next = value.find('"'); next != std::string::npos) value.erase(next);
  return value;
}

std::string revision_of_uninstall_string(std::string_view uninstall_string) {
  const std::string program = uninstall_program_of(uninstall_string);
  const size_t cut = program.find_last_of('\\');
  if (cut == std::string::npos) return {};
  return last_folder_component(std::string_view(program).substr(0, cut));
}

std::string first_free_sibling(std::string_view folder, const std::function<bool(const std::string&)>& taken) {
  const std::string parent = parent_folder(folder);
  if (parent.empty()) return {};
  for (unsigned n = 0; n < kMaxSiblingNumber; ++n) {
    std::string candidate = parent + "~" + std::to_string(n);
    if (!taken(candidate)) return candidate;
  }
  return {};
}

std::vector<std::string> log_set_files(std::string_view prefix) {
  const std::string p(prefix);
  return {p + ".native.elements.log", p + ".native.data.log", p + ".native.weight.log", p + ".native.bitness.log"};
}

std::string choose_selection_file(const std::vector<std::string>& file_names) {
  auto has = [&](const std::string& name) {
    return std::any_of(file_names.begin(), file_names.end(), [&](const std::string& f) { return EqualsNoCase(f, name); });
  };
  std::vector<std::string> candidates;
  for (const std::string& name : file_names) {
    if (name.size() > 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".dat") &&
        !EqualsNoCase(name, kInstanceFileName))
      candidates.push_back(name);
  }
  if (candidates.size() == 1) return candidates.front();
  for (const std::string& name : candidates) {
    const std::string base = name.substr(0, name.size() - 4);
    if (has(base + ".exe") && has(base + ".res") && has(base + ".msi") && has(base + ".par")) return name;
  }
  return {};
}

std::string removal_command_line(std::string_view cache_folder, std::string_view stub_file_name) {
  std::string line;
  line.reserve(cache_folder.size() + stub_file_name.size() + kRemoveArguments.size() + 2);
  line.append(1, '"').append(cache_folder).append(stub_file_name).append(1, '"').append(kRemoveArguments);
  return line;
}

std::vector<RegistryValue> uninstall_entry_values(const ProductInfo& info, std::string_view cache_folder,
                                                  std::string_view stub_file_name, std::string_view install_location) {
  const std::string program = std::string(cache_folder) + std::string(stub_file_name);
  const VersionNumbers version = split_version(info.version);
  return {
      {"DisplayIcon", false, program, 0},
      {"DisplayName", false, info.title, 0},
      {"UninstallString", false, removal_command_line(cache_folder, stub_file_name), 0},
      {"ModifyPath", false, program, 0},
      {"Publisher", false, info.publisher, 0},
      {"Contact", false, info.contact, 0},
      {"HelpLink", false, info.help_link, 0},
      {"URLUpdateInfo", false, info.update_link, 0},
      {"Comments", false, info.comments, 0},
      {"DisplayVersion", false, info.version, 0},
      {"VersionMajor", true, {}, version.major},
      {"VersionMinor", true, {}, version.minor},
      {"InstallLocation", false, std::string(install_location), 0},
  };
}

std::vector<RegistryValue> cache_entry_values(std::string_view version, std::string_view cache_folder) {
  const VersionNumbers numbers = split_version(version);
  return {
      {"VersionMajor", true, {}, numbers.major},
      {"VersionMinor", true, {}, numbers.minor},
      {"", false, std::string(cache_folder), 0},
  };
}

std::string base_name_of(std::string_view file_name) {
  const size_t slash = file_name.find_last_of("\\/:");
  if (slash != std::string_view::npos) file_name = file_name.substr(slash + 1);
  const size_t dot = file_name.rfind('.');
  return std::string(dot == std::string_view::npos ? file_name : file_name.substr(0, dot));
}

std::string with_extension(std::string_view path, std::string_view extension) {
  const size_t slash = path.find_last_of("\\/:");
  const size_t dot = path.rfind('.');
  const bool has_extension = dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
  return std::string(has_extension ? path.substr(0, dot) : path) + std::string(extension);
}

}  // namespace qel::identity

namespace qel::identity {

bool is_single_level_name(std::string_view name) {
  if (name.find_first_of("\\/") != std::string_view::npos) return false;
  return name.find_first_not_of(" .") != std::string_view::npos;
}

}  // namespace qel::identity
