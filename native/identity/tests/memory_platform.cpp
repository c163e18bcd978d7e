#include "native/identity/tests/memory_platform.h"

#include <cstdio>

namespace qel::identity::testing {

std::string MemoryPlatform::norm(const std::string& path) {
  std::string out;
  for (char c : path) out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : (c == '/' ? '\\' : c);
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string MemoryPlatform::name_of(const std::string& n) {
  const size_t cut = n.find_last_of('\\');
  return cut == std::string::npos ? n : n.substr(cut + 1);
}

std::string MemoryPlatform::parent_of(const std::string& n) {
  const size_t cut = n.find_last_of('\\');
  return cut == std::string::npos ? std::string() : n.substr(0, cut);
}

bool MemoryPlatform::file_exists(const std::string& path) { return files.count(norm(path)) != 0; }
bool MemoryPlatform::folder_exists(const std::string& path) { return folders.count(norm(path)) != 0; }

bool MemoryPlatform::read_file(const std::string& path, std::string& out) {
  auto it = files.find(norm(path));
  if (it == files.end()) return false;
  out = it->second;
  return true;
}

bool MemoryPlatform::write_file(const std::string& path, const std::string& data) {
  const std::string n = norm(path);
  if (!folders.count(parent_of(n))) return false;
  files[n] = data;
  std::string written = path;
  spelling[n] = written.substr(written.find_last_of('\\') + 1);
  return true;
}

std::vector<std::string> MemoryPlatform::files_in(const std::string& folder) {
  std::vector<std::string> out;
  const std::string n = norm(folder);
  for (const auto& [path, data] : files)
    if (parent_of(path) == n) out.push_back(spelling.count(path) ? spelling[path] : name_of(path));
  return out;
}

std::vector<std::string> MemoryPlatform::folders_in(const std::string& folder) {
  std::vector<std::string> out;
  const std::string n = norm(folder);
  for (const std::string& path : folders)
    if (parent_of(path) == n) out.push_back(name_of(path));
  return out;
}

bool MemoryPlatform::create_folder(const std::string& folder) {
  std::string n = norm(folder);
  while (!n.empty() && n.size() > 2) {
    folders.insert(n);
    n = parent_of(n);
  }
  return true;
}

void MemoryPlatform::put(const std::string& path, const std::string& data) {
  create_folder(path.substr(0, path.find_last_of('\\')));
  write_file(path, data);
}

std::string MemoryPlatform::content(const std::string& path) const {
  auto it = files.find(norm(path));
  return it == files.end() ? "<missing>" : it->second;
}

bool MemoryPlatform::copy_file(const std::string& from, const std::string& to) {
  std::string data;
  return read_file(from, data) && write_file(to, data);
}

bool MemoryPlatform::delete_file(const std::string& path) {
  const std::string n = norm(path);
  if (locked.count(n)) return false;
  return files.erase(n) != 0;
}

bool MemoryPlatform::delete_tree(const std::string& folder) {
  const std::string n = norm(folder);
  for (auto it = files.begin(); it != files.end();) {
    if (it->first.rfind(n + "\\", 0) == 0 && !locked.count(it->first))
      it = files.erase(it);
    else
      ++it;
  }
  bool left = false;
  for (const auto& [path, data] : files) left = left || path.rfind(n + "\\", 0) == 0;
  if (left) return false;
  for (auto it = folders.begin(); it != folders.end();)
    it = (*it == n || it->rfind(n + "\\", 0) == 0) ? folders.erase(it) : std::next(it);
  return true;
}

bool MemoryPlatform::move_folder(const std::string& from, const std::string& to) {
  const std::string a = norm(from), b = norm(to);
  if (refuse_moves) return false;
  if (!folders.count(a) || folders.count(b) || files.count(b)) return false;
  auto rename = [&](const std::string& path) { return b + path.substr(a.size()); };
  std::map<std::string, std::string> moved_files;
  for (auto it = files.begin(); it != files.end();) {
    if (it->first.rfind(a + "\\", 0) == 0) {
      moved_files[rename(it->first)] = it->second;
      if (spelling.count(it->first)) spelling[rename(it->first)] = spelling[it->first];
      if (locked.erase(it->first)) locked.insert(rename(it->first));
      it = files.erase(it);
    } else {
      ++it;
    }
  }
  files.insert(moved_files.begin(), moved_files.end());
  std::set<std::string> kept;
  for (const std::string& f : folders) kept.insert((f == a || f.rfind(a + "\\", 0) == 0) ? rename(f) : f);
  folders = kept;
  return true;
}

bool MemoryPlatform::delete_at_restart(const std::string& path) {
  restart_deletions.push_back(path);
  return true;
}

std::string MemoryPlatform::reg_id(RegistryHive hive, const std::string& key, const std::string& name) {
  return std::string(hive == RegistryHive::Machine ? "HKLM" : "HKCU") + "|" + norm(key) + "|" + norm(name);
}

bool MemoryPlatform::read_string(RegistryHive hive, const std::string& key, const std::string& name,
                                 std::string& value) {
  auto it = registry.find(reg_id(hive, key, name));
  if (it == registry.end() || (!it->second.empty() && it->second[0] == '#')) return false;
  value = it->second;
  return true;
}

bool MemoryPlatform::write_string(RegistryHive hive, const std::string& key, const std::string& name,
                                  const std::string& value) {
  registry[reg_id(hive, key, name)] = value;
  return true;
}

bool MemoryPlatform::write_number(RegistryHive hive, const std::string& key, const std::string& name, uint32_t value) {
  registry[reg_id(hive, key, name)] = "#" + std::to_string(value);
  return true;
}

bool MemoryPlatform::delete_key(RegistryHive hive, const std::string& key) {
  const std::string prefix = reg_id(hive, key, "");
  const std::string stem = prefix.substr(0, prefix.size() - 1);  // "HIVE|key|" without the empty name
  for (auto it = registry.begin(); it != registry.end();) {
    const bool inside = it->first.rfind(stem + "|", 0) == 0 || it->first.rfind(stem + "\\", 0) == 0;
    it = inside ? registry.erase(it) : std::next(it);
  }
  return true;
}

std::string MemoryPlatform::reg(RegistryHive hive, const std::string& key, const std::string& name) const {
  auto it = registry.find(reg_id(hive, key, name));
  return it == registry.end() ? "<missing>" : it->second;
}

bool MemoryPlatform::key_exists(RegistryHive hive, const std::string& key) const {
  const std::string id = reg_id(hive, key, "");
  const std::string stem = id.substr(0, id.size() - 1);
  for (const auto& [k, v] : registry)
    if (k.rfind(stem + "|", 0) == 0 || k.rfind(stem + "\\", 0) == 0) return true;
  return false;
}

std::string MemoryPlatform::new_guid() {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "{00000000-0000-0000-0000-%012d}", ++guid_counter);
  return buffer;
}

}  // namespace qel::identity::testing
