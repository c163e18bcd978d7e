// Windows version, service pack, group membership and file versions.
#pragma once

#include <string>

#include "commands/version_text.h"

namespace qel::commands {

struct OsInfo {
  bool nt = true;
  unsigned major = 0;
  unsigned minor = 0;   // 11 for a 9x 4.10 second edition
  unsigned service_pack = 0;
  bool server = false;
};

OsInfo CurrentOsInfo();
bool VersionAtLeast(const OsInfo& os, unsigned major, unsigned minor);
// The first n from 10 down to 1 whose decimal text occurs in the text; 0 when none.
unsigned ServicePackFromText(const std::string& text);

// RID 544 Administrators, 547 Power Users, 545 Users, 546 Guests.
bool UserInBuiltinGroup(unsigned rid);

VersionQuad FileVersionQuad(const std::string& path);
std::string SystemFolder();  // GetSystemDirectoryA, no trailing backslash

bool RunsUnderWow64();

}  // namespace qel::commands
