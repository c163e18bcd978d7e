// The product identity against the real Win32 system under Wine: registration
// values, the engine cache with its attributes, a cache that cannot be deleted,
// SAVEDATA, OVERRIDECACHE and the maintenance detection of the bootstrap.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/payload.h"
#include "engine/variables.h"
#include "native/identity/bootstrap.h"
#include "native/identity/engine_cache.h"
#include "native/identity/product_maintenance.h"
#include "native/components/component_table.h"
#include "native/identity/win/identity_services_binding.h"
#include "native/identity/win/windows_identity_platform.h"

namespace qel::identity {
namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kIdentCache = "SOFTWARE\\Fernmoor\\Oakhollow\\Ident.Cache\\";

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string read_all(const std::string& path) {
  std::string text;
  windows_identity_platform().read_file(path, text);
  return text;
}

void write(const std::string& path, const std::string& text) {
  windows_identity_platform().create_folder(path.substr(0, path.find_last_of('\\')));
  ASSERT_TRUE(windows_identity_platform().write_file(path, text)) << path;
}

bool key_exists(HKEY root, const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

// A registry value as text: strings as they are, numbers as "#n"; "<missing>".
std::string value_of(HKEY root, const std::string& key, const char* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return "<missing>";
  BYTE data[1024] = {};
  DWORD type = 0, size = sizeof data - 1;
  const LONG result = RegQueryValueExA(handle, name, nullptr, &type, data, &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return "<missing>";
  if (type == REG_DWORD) return "#" + std::to_string(*reinterpret_cast<DWORD*>(data));
  return reinterpret_cast<char*>(data);
}

// A setup in a folder of its own: stub files beside "setup.exe", a product code
// and title of its own, the variables that start-up would have set.
struct WineSetup {
  std::string root;
  std::string media;
  std::string product;
  std::string revision;
  std::string title;
  Payload payload;
  TVariableManager own_vars;
  TVariableManager& vars;
  IdentityState state;
  IdentityServices services;

  explicit WineSetup(const std::string& name, int number, TVariableManager* store = nullptr)
      : vars(store ? *store : own_vars) {
    root = "C:\\idtests\\" + name + "\\";
    windows_identity_platform().delete_tree(root);
    media = root + "media\\";
    char code[64];
    snprintf(code, sizeof code, "{1DE00000-0000-4000-8000-%012d}", number);
    product = code;
    snprintf(code, sizeof code, "{2DE00000-0000-4000-8000-%012d}", number);
    revision = code;
    title = "QEL Identity Test " + std::to_string(number);
    for (const char* file : {"setup.exe", "setup.res", "qel.lib", "setup.bmp"})
      write(media + file, std::string("bytes of ") + file);
    payload.product_code = product;
    payload.revision_code = revision;
    payload.title = title;
    payload.company = "Fernmoor Test";
    payload.version = "5";
    state.program_path = media + "setup.exe";
    state.stub_folder = media;
    vars.DeclareOrAssign("OVERRIDECACHE", root + "cache", "test");
    clean_registry();
  }
  ~WineSetup() { clean_registry(); }

  void clean_registry() {
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      for (const std::string& key : {kUninstall + title, kUninstall + product, kIdentCache + product}) {
        RegDeleteTreeA(hive, key.c_str());
        RegDeleteKeyA(hive, key.c_str());
      }
    }
  }

  IdentityContext ctx() { return IdentityContext{vars, windows_identity_platform(), state, services}; }
  std::string cache() const { return root + "cache\\" + revision + "\\"; }

  void start() {
    bootstrap(ctx(), payload);
    vars.DeclareOrAssign("TITLE", title, "test");
    vars.DeclareOrAssign("OXLE_COMPRESS_INSTALLER_CACHE", "TRUE", "test");
    vars.DeclareOrAssign("NATIVE_ENGINE", "TRUE", "test");
    vars.DeclareOrAssign("SAVEDATA", "FALSE", "test");
    vars.DeclareOrAssign("MODIFY", "TRUE", "test");
  }
  void install() { after_apply_changes(ctx(), payload, true, false); }
  void uninstall() {
    vars.DeclareOrAssign("MODIFY", "FALSE", "test");
    after_apply_changes(ctx(), payload, false, true);
  }
  // What the native log flush leaves in the cache after an installation.
  void write_log_set() {
    for (const char* suffix : {".native.elements.log", ".native.data.log", ".native.weight.log", ".native.bitness.log"})
      write(cache() + product + suffix, "");
  }
};

TEST(IdentityWine, RegistrationIsWrittenAndRemoved) {
  WineSetup s("registration", 1);
  s.start();
  s.vars.DeclareOrAssign("TARGETDIR", "C:\\Program Files\\Demo\\", "test");
  s.install();
  const std::string entry = kUninstall + s.title;
  const std::string program = s.cache() + "setup.exe";
  struct Expected {
    const char* name;
    std::string value;
  };
  const Expected values[] = {
      {"DisplayName", s.title},
      {"DisplayIcon", program},
      {"ModifyPath", program},
      {"UninstallString", "\"" + program + "\" REMOVE=TRUE MODIFY=FALSE"},
      {"Publisher", "Fernmoor Test"},
      {"DisplayVersion", "5"},
      {"VersionMajor", "#5"},
      {"VersionMinor", "#0"},
      {"InstallLocation", "C:\\Program Files\\Demo\\"},
  };
  for (const Expected& e : values) EXPECT_EQ(value_of(HKEY_LOCAL_MACHINE, entry, e.name), e.value) << e.name;
  EXPECT_EQ(value_of(HKEY_LOCAL_MACHINE, kUninstall + s.product, "UninstallString"), program);
  EXPECT_EQ(value_of(HKEY_LOCAL_MACHINE, kIdentCache + s.product, ""), s.cache());
  EXPECT_EQ(value_of(HKEY_LOCAL_MACHINE, kIdentCache + s.product, "VersionMajor"), "#5");
  EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, entry));

  s.uninstall();
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    EXPECT_FALSE(key_exists(hive, entry));
    EXPECT_FALSE(key_exists(hive, kUninstall + s.product));
    EXPECT_FALSE(key_exists(hive, kIdentCache + s.product));
  }
  EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, kUninstall));
  EXPECT_FALSE(exists(s.cache()));
}

TEST(IdentityWine, CacheIsFilledOverReadOnlyFilesAndHidden) {
  WineSetup s("cachecopy", 2);
  s.start();
  write(s.cache() + "qel.lib", "stale");
  SetFileAttributesA((s.cache() + "qel.lib").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((s.media + "setup.res").c_str(), FILE_ATTRIBUTE_READONLY);
  s.install();
  for (const char* file : {"setup.exe", "setup.res", "qel.lib", "setup.bmp"})
    EXPECT_EQ(read_all(s.cache() + file), std::string("bytes of ") + file) << file;
  EXPECT_EQ(read_all(s.cache() + "instance.dat"), s.product + "\r\n" + s.revision + "\r\n" + s.title + "\r\n");
  const std::string folder = s.cache().substr(0, s.cache().size() - 1);
  EXPECT_NE(GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  // The copy keeps the source's attributes.
  EXPECT_NE(GetFileAttributesA((s.cache() + "setup.res").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_FALSE(exists(s.cache() + "setup.msi"));  // none beside the stub: nothing copied
  s.uninstall();
  EXPECT_FALSE(exists(s.cache()));  // read-only files do not stop the removal
}

TEST(IdentityWine, CacheThatCannotBeDeletedIsMovedAsideAndGoneAfterRestart) {
  WineSetup s("locked", 3);
  s.start();
  s.install();
  // The cached stub held open the way a running program holds its file.
  HANDLE held = CreateFileA((s.cache() + "setup.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  write(s.root + "cache\\~0\\other.txt", "a sibling that is in the way");
  s.vars.DeclareOrAssign("MODIFY", "FALSE", "test");
  const std::string moved = remove_engine_cache(s.ctx());
  CloseHandle(held);
  EXPECT_EQ(moved, s.root + "cache\\~1");
  EXPECT_FALSE(exists(s.cache()));
  EXPECT_TRUE(exists(moved + "\\setup.exe"));
  EXPECT_FALSE(exists(moved + "\\qel.lib"));  // what could be deleted is gone already
  EXPECT_TRUE(s.state.cache_removed);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char command[] = "wineboot.exe -r";
  ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, 60000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_FALSE(exists(moved + "\\setup.exe"));
  EXPECT_FALSE(exists(moved));
  EXPECT_TRUE(exists(s.root + "cache\\~0\\other.txt"));
}

TEST(IdentityWine, SaveDataKeepsTheCacheButRemovesTheEntries) {
  WineSetup s("savedata", 4);
  s.start();
  s.install();
  s.vars.DeclareOrAssign("SAVEDATA", "TRUE", "test");
  s.uninstall();
  EXPECT_TRUE(exists(s.cache() + "setup.exe"));
  EXPECT_FALSE(s.state.cache_removed);
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kUninstall + s.title));
  EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, kIdentCache + s.product));
}

TEST(IdentityWine, OverrideCacheRedirectsAnInstalledProduct) {
  WineSetup s("override", 5);
  s.start();
  s.install();
  ASSERT_EQ(value_of(HKEY_LOCAL_MACHINE, kIdentCache + s.product, ""), s.cache());
  // A later run whose script points the cache elsewhere, while the cache entry
  // still names this build's folder.
  const std::string elsewhere = s.root + "elsewhere\\" + s.revision + "\\";
  s.vars.DeclareOrAssign("OVERRIDECACHE", s.root + "elsewhere", "test");
  s.start();
  EXPECT_EQ(s.vars.ReadVariable("ENGINECACHE"), elsewhere);
  s.install();
  EXPECT_EQ(read_all(elsewhere + "setup.exe"), "bytes of setup.exe");
  EXPECT_EQ(value_of(HKEY_LOCAL_MACHINE, kIdentCache + s.product, ""), elsewhere);
}

TEST(IdentityWine, BootstrapTellsFirstInstallationNewInstanceAndMaintenance) {
  WineSetup s("bootstrap", 6);
  s.vars.DeclareOrAssign("OVERRIDECACHE", "", "test");  // the shell folder's cache, as a real run has it
  s.start();
  EXPECT_EQ(s.vars.ReadVariable("MAINTENANCE"), "FALSE");
  EXPECT_EQ(s.vars.ReadVariable("NEWINSTANCE"), "FALSE");
  const std::string cache = s.vars.ReadVariable("ENGINECACHE");
  EXPECT_EQ(cache.substr(cache.size() - s.revision.size() - 1), s.revision + "\\");
  s.install();
  for (const char* suffix : {".native.elements.log", ".native.data.log", ".native.weight.log", ".native.bitness.log"})
    write(cache + s.product + suffix, "");

  // The original stub again: installed, but not run from the cache.
  s.start();
  EXPECT_EQ(s.vars.ReadVariable("MAINTENANCE"), "TRUE");
  EXPECT_EQ(s.vars.ReadVariable("NEWINSTANCE"), "TRUE");

  // The cached stub: its instance file says who it is.
  WineSetup cached("bootstrap-cached", 7);
  cached.vars.DeclareOrAssign("OVERRIDECACHE", "", "test");
  cached.state.program_path = cache + "setup.exe";
  cached.state.stub_folder = cache;
  cached.start();
  EXPECT_EQ(cached.vars.ReadVariable("PRODUCTCODE"), s.product);
  EXPECT_EQ(cached.vars.ReadVariable("MAINTENANCE"), "TRUE");
  EXPECT_EQ(cached.vars.ReadVariable("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(cached.vars.ReadVariable("UNINSTALLLINK"), cache + "setup.exe");

  s.uninstall();
  EXPECT_FALSE(exists(cache));
  s.start();
  EXPECT_EQ(s.vars.ReadVariable("MAINTENANCE"), "FALSE");
}

TEST(IdentityWine, MaintenanceRunRestoresTheSelectionsSavedInTheCache) {
  BindIdentityServices();
  native::ComponentTable& table = native::component_table();
  table.Clear();
  table.Define("OXLE-PREDEF-COMPONENT", true, "");
  table.Define("Docs", true, "Documentation");
  table.SetSize("Docs", "1000");
  table.Define("Extras", false, "");
  table.SetSize("Extras", "500");

  WineSetup s("selections", 8, &variables());
  s.services = identity_services();
  s.vars.DeclareOrAssign("NATIVE_ENGINE", "TRUE", "test");
  bootstrap(s.ctx(), s.payload);
  // The first installation keeps the script's table (start-up has not run the
  // component statements yet in this test, so define them again).
  table.Define("Docs", true, "Documentation");
  table.SetSize("Docs", "1000");
  table.Define("Extras", false, "");
  table.SetSize("Extras", "500");
  s.vars.DeclareOrAssign("TITLE", s.title, "test");
  s.vars.DeclareOrAssign("TARGETDIR", "C:\\Chosen\\Folder\\", "test");
  s.install();
  ASSERT_TRUE(exists(s.cache() + "setup.dat"));
  s.write_log_set();

  // The cached stub, with an empty table and other variable values.
  table.Clear();
  s.vars.DeclareOrAssign("TARGETDIR", "", "test");
  s.state.program_path = s.cache() + "setup.exe";
  s.state.stub_folder = s.cache();
  bootstrap(s.ctx(), s.payload);
  EXPECT_EQ(s.vars.ReadVariable("MAINTENANCE"), "TRUE");
  EXPECT_EQ(s.vars.ReadVariable("TARGETDIR"), "C:\\Chosen\\Folder\\");
  EXPECT_TRUE(table.IsSelected("Docs"));
  EXPECT_TRUE(table.Exists("Extras"));
  EXPECT_FALSE(table.IsSelected("Extras"));
  EXPECT_EQ(table.installed_baseline(), 1000);
  s.vars.DeclareOrAssign("MODIFY", "FALSE", "test");
  s.uninstall();
  EXPECT_FALSE(exists(s.cache()));
}

}  // namespace
}  // namespace qel::identity
