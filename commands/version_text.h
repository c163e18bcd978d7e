// Version quadruples (major.minor.build.revision) and version text parsing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qel::commands {

using VersionQuad = std::array<uint32_t, 4>;

// Up to four numbers, left to right; each part before a "." must be a decimal
// integer (throws ConversionError), the text after the last "." counts 0 when
// it is not one; missing parts are 0. "" gives 0.0.0.0.
VersionQuad ParseVersionText(std::string_view text);

// "1.2.3.4".
std::string VersionQuadText(const VersionQuad& version);

// Lexicographic: major, then minor, build, revision.
int CompareVersions(const VersionQuad& a, const VersionQuad& b);

// From the fixed version information's MS and LS words.
VersionQuad VersionFromFixedInfo(uint32_t file_version_ms, uint32_t file_version_ls);

}  // namespace qel::commands
