// The product identity inside the real stub under Wine: a first run installs the
// engine cache and registers the product; the "UninstallString" that Add/Remove
// Programs runs starts the cached stub in maintenance, which removes the
// registration and its own cache (moved aside while it runs, gone after restart).
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "engine/payload.h"
#include "engine/tests/script_builder.h"
#include "tests/stub/setup_folder.h"

namespace qel {
namespace {

constexpr const char* kProduct = "{1DE00000-0000-4000-8000-0000000E2E01}";
constexpr const char* kRevision = "{2DE00000-0000-4000-8000-0000000E2E01}";
constexpr const char* kTitle = "QEL Identity End To End";
const std::string kUninstall = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kTitle;

std::map<std::string, std::string> read_probe(const std::string& path) {
  std::map<std::string, std::string> values;
  std::istringstream in(e2e::read_text(path));
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

std::string registry_string(const std::string& key, const char* name) {
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return "<missing>";
  return buffer;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> moved_aside(const std::string& cache_root) {
  std::vector<std::string> names;
  for (const std::string& name : e2e::folder_entries(cache_root))
    if (!name.empty() && name[0] == '~') names.push_back(name);
  return names;
}

TEST(IdentityE2E, InstallThenRemoveThroughTheUninstallString) {
  const std::string root = e2e::fresh_folder(std::string(QEL_E2E_ROOT) + "/arp");
  const std::string app = e2e::fresh_folder(root + "app");
  const std::string temp = e2e::fresh_folder(root + "temp");
  testing::TestScript script({testing::Set("NATIVE_ENGINE", "TRUE"),
                              {"Probe Variables", {root + "probe-$REMOVE$.txt"}},
                              {"Identity Apply", {}}});
  Payload payload = script.payload();
  payload.product_code = kProduct;
  payload.revision_code = kRevision;
  payload.title = kTitle;
  payload.company = "Fernmoor";
  payload.version = "2.7";
  const std::string exe = e2e::assemble_setup(app, QEL_PROBE_EXE, write_payload(payload), QEL_RES_FILE);

  ASSERT_EQ(e2e::run_program("\"" + exe + "\" /s", temp).exit_code, 0u);
  const auto first = read_probe(root + "probe-FALSE.txt");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.at("MAINTENANCE"), "FALSE");
  EXPECT_EQ(first.at("NEWINSTANCE"), "FALSE");
  const std::string cache = first.at("ENGINECACHE");
  ASSERT_GT(cache.size(), std::string(kRevision).size());
  EXPECT_EQ(cache.substr(cache.size() - std::string(kRevision).size() - 1), std::string(kRevision) + "\\");
  for (const char* file : {"setup.exe", "setup.res", "qel.lib", "instance.dat"})
    EXPECT_TRUE(exists(cache + file)) << file;
  const std::string uninstall = registry_string(kUninstall, "UninstallString");
  EXPECT_EQ(uninstall, "\"" + cache + "setup.exe\" REMOVE=TRUE MODIFY=FALSE");
  EXPECT_EQ(registry_string(kUninstall, "DisplayVersion"), "2.7");
  // The log set a native installation leaves in the cache: with it the product
  // counts as installed natively.
  for (const char* suffix : {".native.elements.log", ".native.data.log", ".native.weight.log", ".native.bitness.log"})
    if (!exists(cache + kProduct + suffix)) CloseHandle(CreateFileA((cache + kProduct + suffix).c_str(), GENERIC_WRITE, 0,
                                                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));

  // What Add/Remove Programs runs (silently here: no one answers windows).
  ASSERT_EQ(e2e::run_program(uninstall + " /s", temp).exit_code, 0u);
  const auto removal = read_probe(root + "probe-TRUE.txt");
  ASSERT_FALSE(removal.empty());
  EXPECT_EQ(removal.at("MAINTENANCE"), "TRUE");
  EXPECT_EQ(removal.at("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(removal.at("MODIFY"), "FALSE");
  EXPECT_EQ(removal.at("PRODUCTCODE"), kProduct);
  EXPECT_EQ(registry_string(kUninstall, "UninstallString"), "<missing>");
  EXPECT_FALSE(exists(cache));

  // The running cached stub could not delete itself: whatever was moved aside
  // goes at the next restart.
  const std::string cache_root = cache.substr(0, cache.size() - std::string(kRevision).size() - 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char command[] = "wineboot.exe -r";
  ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_TRUE(moved_aside(cache_root).empty());
}

}  // namespace
}  // namespace qel
