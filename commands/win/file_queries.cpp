// "Check Disk Space", "Read Registry", "Check Registry", "Get Environment",
// "Does File/Folder Exist", "Get File Version", "Check File Version" and
// "Get INI File Settings".
#include <windows.h>

#include "commands/win/proc_address.h"

#include <vector>

#include "commands/bitness.h"
#include "commands/win/os_info.h"
#include "commands/win/registry_values.h"
#include "commands/win/system_queries.h"

namespace qel::commands {

namespace {

void DiskSpace(const std::string& path, unsigned long long& free_to_caller, unsigned long long& total) {
  free_to_caller = total = 0;
  using Fn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  auto ex = ProcAddress<Fn>("kernel32.dll", "GetDiskFreeSpaceExA");
  if (ex) {
    ULARGE_INTEGER available{}, size{}, free_total{};
    if (ex(path.c_str(), &available, &size, &free_total)) {
      free_to_caller = available.QuadPart;
      total = size.QuadPart;
    }
    return;
  }
  DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  if (GetDiskFreeSpaceA(path.c_str(), &sectors, &bytes, &free_clusters, &clusters)) {
    const unsigned long long cluster_bytes = static_cast<unsigned long long>(sectors) * bytes;
    free_to_caller = cluster_bytes * free_clusters;
    total = cluster_bytes * clusters;
  }
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string RegistryQuery(const CommandParams& p) {
  RegistryViewScope view;
  return ReadRegistryText(RegistryRoot(p.number(2)), p.path(3), p.path(4), view.flag());
}

std::string EnvironmentBlock() {
  std::string joined;
  char* block = GetEnvironmentStringsA();
  if (!block) return joined;
  bool first = true;
  for (const char* entry = block; *entry; entry += strlen(entry) + 1) {
    if (!first) joined += "$NEWLINE$";
    joined += entry;
    first = false;
  }
  FreeEnvironmentStringsA(block);
  return joined;
}

}  // namespace

void CheckDiskSpaceCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  unsigned long long free_to_caller = 0, total = 0;
  DiskSpace(p.path(2), free_to_caller, total);
  p.assign(p.variable_name(1), std::to_string(p.flag(3) ? free_to_caller : total));
}

void ReadRegistryCommand(const CommandParams& p) {
  const std::string name = p.plain_name(1);
  p.declare(name);
  std::string value = RegistryQuery(p);
  if (IsRegistryMarker(value)) value.clear();
  p.assign(name, value);
}

void CheckRegistryCommand(const CommandParams& p) {
  const std::string name = p.plain_name(1);
  p.declare(name);
  p.assign(name, RegistryQuery(p));
}

void GetEnvironmentCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const std::string name = p.text(1);
  std::string value;
  if (name.empty()) {
    value = EnvironmentBlock();
  } else {
    std::vector<char> buffer(0x41000);
    const std::string reference = "%" + name + "%";
    const DWORD length = ExpandEnvironmentStringsA(reference.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    value = length > 0 && length <= buffer.size() ? std::string(buffer.data()) : reference;
  }
  p.assign(p.variable_name(2), value);
}

void DoesFileFolderExistCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const std::string path = p.path(2);
  p.assign(p.plain_name(1), (p.flag(3) ? FileExists(path) : DirectoryExists(path)) ? "TRUE" : "FALSE");
}

void GetFileVersionCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  p.assign(p.variable_name(2), VersionQuadText(FileVersionQuad(p.path(1))));
}

void CheckFileVersionCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const VersionQuad version = FileVersionQuad(p.path(2));
  const VersionQuad reference = p.flag(3) ? FileVersionQuad(p.path(4)) : ParseVersionText(p.text(5));
  p.assign(p.plain_name(1), CompareVersions(version, reference) > 0 ? "TRUE" : "FALSE");
}

void GetIniFileSettingsCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const std::string file = p.path(2);
  const std::string section = p.path(3);
  const std::string key = p.path(4);
  std::string value;
  if (!section.empty() && !key.empty()) {
    std::vector<char> buffer(26000);
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    value.assign(buffer.data(), length);
  }
  p.assign(p.plain_name(1), value);
}

}  // namespace qel::commands
