#include "native/identity/bootstrap.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "native/identity/tests/identity_world.h"

namespace qel::identity::testing {
namespace {

const std::string kCacheKey = std::string("SOFTWARE\\Fernmoor\\Oakhollow\\Ident.Cache\\") + kProduct;

TEST(Bootstrap, FreshSystemIsAFirstInstallation) {
  IdentityWorld w;
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("PRODUCTCODE"), kProduct);
  EXPECT_EQ(w.var("REVISIONCODE"), kRevision);
  EXPECT_EQ(w.var("ENGINECACHE"), std::string("C:\\ProgramData\\") + kRevision + "\\");
  EXPECT_EQ(w.var("UNINSTALLLINK"), std::string("C:\\ProgramData\\") + kRevision + "\\setup.exe");
  EXPECT_EQ(w.var("DATADIR"), "C:\\media\\data\\");
  EXPECT_EQ(w.var("MAINTENANCE"), "FALSE");
  EXPECT_EQ(w.var("NEEDSUPGRADE"), "FALSE");
  EXPECT_EQ(w.var("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(w.var("NATIVE_OLDLOG"), "");
  EXPECT_EQ(w.var("RECOMMENDEDUPGRADE"), "FALSE");
  EXPECT_EQ(w.var("TARGETDIR"), "C:\\Program Files\\Demo App\\");
  EXPECT_EQ(w.var("STARTMENU"), "Demo App");
  EXPECT_EQ(w.var("ALLUSERS"), "TRUE");
  EXPECT_EQ(w.calls, (std::vector<std::string>{"reset components"}));
  EXPECT_EQ(w.told_baseline, 0);
}

TEST(Bootstrap, UserWithoutRightsGetsProfileFolderAndOwnCache) {
  IdentityWorld w;
  w.platform.administrator = false;
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("TARGETDIR"), "C:\\users\\me\\Demo App\\");
  EXPECT_EQ(w.var("ALLUSERS"), "FALSE");
  EXPECT_EQ(w.var("ENGINECACHE"), std::string("C:\\users\\me\\AppData\\Local\\") + kRevision + "\\");
}

TEST(Bootstrap, CachedStubOfAnInstalledProductRunsMaintenance) {
  IdentityWorld w;
  const std::string cache = w.install_natively(kRevision);
  w.state.program_path = cache + "setup.exe";
  w.state.stub_folder = cache;
  w.platform.put(cache + "setup.dat");
  w.platform.put(cache + "setup.par");
  w.vars.DeclareOrAssign("TARGETDIR", "untouched", "test");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("MAINTENANCE"), "TRUE");
  EXPECT_EQ(w.var("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(w.var("NEEDSUPGRADE"), "FALSE");
  EXPECT_EQ(w.var("NATIVE_OLDLOG"), "");
  EXPECT_EQ(w.var("TARGETDIR"), "untouched");  // restored from the selections instead
  EXPECT_EQ(w.var("ENGINECACHE"), cache);
  EXPECT_EQ(w.state.installed_size_baseline, 4096);
  EXPECT_EQ(w.told_baseline, 4096);
  EXPECT_EQ(w.calls, (std::vector<std::string>{"read " + cache + "setup.dat", "load journal " + cache + "setup.par"}));
}

TEST(Bootstrap, InstanceFileReplacesThePayloadIdentity) {
  IdentityWorld w;
  w.platform.put("C:\\media\\instance.dat", "{OTHER-P}\r\n{OTHER-R}\r\nOther Name\r\n");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("PRODUCTCODE"), "{OTHER-P}");
  EXPECT_EQ(w.var("REVISIONCODE"), "{OTHER-R}");
  EXPECT_EQ(w.var("TARGETDIR"), "C:\\Program Files\\Other Name\\");
  EXPECT_EQ(w.var("ENGINECACHE"), "C:\\ProgramData\\{OTHER-R}\\");
  EXPECT_TRUE(w.state.has_instance_file);
}

TEST(Bootstrap, DamagedInstanceFileKeepsThePayloadIdentity) {
  IdentityWorld w;
  w.platform.put("C:\\media\\instance.dat", "\r\n");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("PRODUCTCODE"), kProduct);
  EXPECT_EQ(w.var("REVISIONCODE"), kRevision);
}

TEST(Bootstrap, StubWithoutInstanceFileWhileInstalledIsANewInstance) {
  IdentityWorld w;
  w.install_natively(kRevision);
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("MAINTENANCE"), "TRUE");
  EXPECT_EQ(w.var("NEWINSTANCE"), "TRUE");
}

TEST(Bootstrap, OlderNativeBuildGivesItsLogSetAndIsIgnoredForTheRoot) {
  IdentityWorld w;
  const std::string old_cache = w.install_natively(kOldRevision, "D:\\Cache\\");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("NATIVE_OLDLOG"), old_cache + kProduct);
  EXPECT_EQ(w.var("RECOMMENDEDUPGRADE"), "TRUE");
  EXPECT_EQ(w.var("MAINTENANCE"), "FALSE");
  EXPECT_EQ(w.var("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(w.var("ENGINECACHE"), std::string("C:\\ProgramData\\") + kRevision + "\\");
}

TEST(Bootstrap, EntryWithoutLogSetGivesNoOldLog) {
  IdentityWorld w;
  w.platform.write_string(RegistryHive::Machine, kCacheKey, "", std::string("D:\\Cache\\") + kOldRevision + "\\");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("NATIVE_OLDLOG"), "");
  EXPECT_EQ(w.var("RECOMMENDEDUPGRADE"), "FALSE");
}

TEST(Bootstrap, OverrideRedirectsTheCacheEvenWithAnEntry) {
  IdentityWorld w;
  w.install_natively(kRevision, "D:\\Cache\\");
  w.vars.DeclareOrAssign("OVERRIDECACHE", "E:\\Elsewhere", "test");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("ENGINECACHE"), std::string("E:\\Elsewhere\\") + kRevision + "\\");
  // The log set is looked for at the redirected cache, so the product no longer
  // counts as installed natively.
  EXPECT_EQ(w.var("MAINTENANCE"), "FALSE");
}

TEST(Bootstrap, WindowsInstallerDecidesUpgradeAndMaintenance) {
  struct Case {
    const char* what;
    int msi_state;
    const char* package_code;
    const char* upgrade;
    const char* maintenance;
    const char* new_instance;
  };
  const Case cases[] = {
      {"not installed", 2, "", "FALSE", "FALSE", "FALSE"},
      {"this build", 5, kRevision, "FALSE", "TRUE", "TRUE"},
      {"this build, lower case", 5, "{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}", "FALSE", "TRUE", "TRUE"},
      {"other build", 5, "{12345678-0000-0000-0000-000000000000}", "TRUE", "FALSE", "TRUE"},
      {"msi.dll unavailable", -1, "", "FALSE", "FALSE", "FALSE"},
  };
  for (const Case& c : cases) {
    IdentityWorld w;
    w.platform.msi_state = c.msi_state;
    w.platform.msi_package = c.package_code;
    bootstrap(w.ctx(), w.payload);
    EXPECT_EQ(w.var("NEEDSUPGRADE"), c.upgrade) << c.what;
    EXPECT_EQ(w.var("MAINTENANCE"), c.maintenance) << c.what;
    EXPECT_EQ(w.var("NEWINSTANCE"), c.new_instance) << c.what;
  }
}

TEST(Bootstrap, UpgradeLoadsThePreviousSelectionsOnlyWhenAsked) {
  for (const bool asked : {false, true}) {
    IdentityWorld w;
    const std::string old_cache = w.install_natively(kOldRevision, "D:\\Cache\\");
    w.platform.put(old_cache + "setup.dat");
    w.platform.put(old_cache + "setup.lnk");
    w.platform.msi_state = 5;
    w.platform.msi_package = kOldRevision;
    // The old build counts as installed through Windows Installer here.
    if (asked) w.state.compiler_variables = {"LOADOLDDATA", "TRUE"};
    bootstrap(w.ctx(), w.payload);
    EXPECT_EQ(w.var("NEEDSUPGRADE"), "TRUE");
    const bool loaded = std::find(w.calls.begin(), w.calls.end(), "read-previous " + old_cache + "setup.dat") != w.calls.end();
    const bool pins = std::find(w.calls.begin(), w.calls.end(), "load pins " + old_cache + "setup.lnk") != w.calls.end();
    EXPECT_EQ(loaded, asked);
    EXPECT_EQ(pins, asked);
  }
}

TEST(Bootstrap, BuildModeTwoReadsDataFromTheCache) {
  IdentityWorld w;
  w.state.build_mode = 2;
  std::string told;
  w.services.set_data_folder = [&](const std::string& folder) { told = folder; };
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("DATADIR"), w.var("ENGINECACHE"));
  EXPECT_EQ(told, w.var("ENGINECACHE"));
}

TEST(Bootstrap, FirstInstallationReadsSelectionsLeftInTheCache) {
  IdentityWorld w;
  const std::string cache = std::string("C:\\ProgramData\\") + kRevision + "\\";
  w.platform.put(cache + "setup.dat");
  bootstrap(w.ctx(), w.payload);
  EXPECT_EQ(w.var("MAINTENANCE"), "FALSE");
  EXPECT_EQ(w.calls, (std::vector<std::string>{"reset components", "read " + cache + "setup.dat"}));
}

}  // namespace
}  // namespace qel::identity::testing
