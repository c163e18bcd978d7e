#include "commands/version_text.h"

#include "commands/parameter_kinds.h"
#include "engine/conditions.h"

namespace qel::commands {

VersionQuad ParseVersionText(std::string_view text) {
  VersionQuad version{0, 0, 0, 0};
  std::string_view rest = text;
  for (size_t i = 0; i < version.size(); ++i) {
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
      int32_t last = 0;
      if (!ParseInt32(rest, last)) last = 0;
      version[i] = static_cast<uint32_t>(last);
      break;
    }
    version[i] = static_cast<uint32_t>(NumberValue(rest.substr(0, dot)));
    rest.remove_prefix(dot + 1);
  }
  return version;
}

std::string VersionQuadText(const VersionQuad& version) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]) +
         "." + std::to_string(version[3]);
}

int CompareVersions(const VersionQuad& a, const VersionQuad& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

VersionQuad VersionFromFixedInfo(uint32_t ms, uint32_t ls) {
  return {ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF};
}

}  // namespace qel::commands
