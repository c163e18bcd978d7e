// "Get OS or SP Level".
#include "commands/bitness.h"
#include "commands/win/os_info.h"
#include "commands/win/system_queries.h"

namespace qel::commands {

namespace {

std::string OsLevelName(const OsInfo& os) {
  if (os.nt) {
    if (os.major == 4 && os.minor == 0) return "NT4";
    if (os.major == 5 && os.minor == 0) return "2000";
    if (os.major == 5 && os.minor == 1) return "XP";
    if (os.major == 5 && os.minor == 2) return "2003";
    if (os.major == 6 && os.minor == 0) return os.service_pack >= 1 && os.server ? "2008" : "VISTA";
    if (os.major == 6 && os.minor == 1) return os.server ? "2008R2" : "SEVEN";
    return "UNKNOWN";
  }
  if (os.major == 4 && os.minor == 0) return "95";
  if (os.major == 4 && os.minor == 10) return "98";
  if (os.major == 4 && os.minor == 11) return "98SE";
  if (os.major == 4 && os.minor == 90) return "ME";
  return "UNKNOWN";
}

}  // namespace

void GetOsOrSpLevelCommand(const CommandParams& p) {
  RegistryViewScope view;
  RedirectionBracket bracket;
  const OsInfo os = CurrentOsInfo();
  p.assign(p.plain_name(1), p.flag(2) ? OsLevelName(os) : std::to_string(os.service_pack));
}

}  // namespace qel::commands
