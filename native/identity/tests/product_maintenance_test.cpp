#include "native/identity/product_maintenance.h"

#include <gtest/gtest.h>

#include "native/identity/bootstrap.h"
#include "native/identity/engine_cache.h"
#include "native/identity/tests/identity_world.h"

namespace qel::identity::testing {
namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kCacheKey = std::string("SOFTWARE\\Fernmoor\\Oakhollow\\Ident.Cache\\") + kProduct;
const std::string kCache = std::string("C:\\ProgramData\\") + kRevision + "\\";

// A world after start-up: bootstrap run, the built-ins the registration reads set.
struct Installed : IdentityWorld {
  Installed() {
    bootstrap(ctx(), payload);
    vars.DeclareOrAssign("TITLE", payload.title, "test");
    vars.DeclareOrAssign("OXLE_COMPRESS_INSTALLER_CACHE", "TRUE", "test");
    vars.DeclareOrAssign("NATIVE_ENGINE", "TRUE", "test");
    vars.DeclareOrAssign("MODIFY", "TRUE", "test");
    vars.DeclareOrAssign("SAVEDATA", "FALSE", "test");
  }
  void install() { after_apply_changes(ctx(), payload, true, false); }
  void uninstall() {
    vars.DeclareOrAssign("MODIFY", "FALSE", "test");
    after_apply_changes(ctx(), payload, false, true);
  }
};

TEST(AfterApply, InstallFillsTheCacheAndRegisters) {
  Installed w;
  w.install();
  for (const char* name : {"setup.exe", "setup.res", "qel.lib", "setup.bmp", "setup.msi"})
    EXPECT_EQ(w.platform.content(kCache + name), std::string("content of ") + name) << name;
  EXPECT_EQ(w.platform.content(kCache + "instance.dat"), std::string(kProduct) + "\r\n" + kRevision + "\r\nDemo App\r\n");
  EXPECT_TRUE(w.platform.hidden.count(MemoryPlatform::norm(kCache)));
  EXPECT_TRUE(w.platform.compressed[MemoryPlatform::norm(kCache)]);
  EXPECT_FALSE(w.platform.file_exists(kCache + kProduct));  // marker only in build mode 2

  const auto hklm = RegistryHive::Machine;
  EXPECT_EQ(w.platform.reg(hklm, kUninstall + kProduct, "UninstallString"), kCache + "setup.exe");
  EXPECT_EQ(w.platform.reg(hklm, kUninstall + "Demo App", "UninstallString"),
            "\"" + kCache + "setup.exe\" REMOVE=TRUE MODIFY=FALSE");
  EXPECT_EQ(w.platform.reg(hklm, kUninstall + "Demo App", "Publisher"), "Fernmoor");
  EXPECT_EQ(w.platform.reg(hklm, kUninstall + "Demo App", "VersionMajor"), "#5");
  EXPECT_EQ(w.platform.reg(hklm, kUninstall + "Demo App", "VersionMinor"), "#0");
  EXPECT_EQ(w.platform.reg(hklm, kUninstall + "Demo App", "InstallLocation"), "C:\\Program Files\\Demo App\\");
  EXPECT_EQ(w.platform.reg(hklm, kCacheKey, ""), kCache);
  EXPECT_FALSE(w.platform.key_exists(RegistryHive::User, kUninstall + "Demo App"));

  const std::vector<std::string> expected = {"reset components", "write " + kCache + "setup.dat data=C:\\media\\data\\",
                                             "save journal " + kCache + "setup.par", "pin", "flush log"};
  EXPECT_EQ(w.calls, expected);
}

TEST(AfterApply, ProductInformationComesFromThePayloadNotTheVariables) {
  Installed w;
  w.vars.DeclareOrAssign("COMPANY", "Changed by script", "test");
  w.vars.DeclareOrAssign("VERSION", "9.9", "test");
  w.install();
  EXPECT_EQ(w.platform.reg(RegistryHive::Machine, kUninstall + "Demo App", "Publisher"), "Fernmoor");
  EXPECT_EQ(w.platform.reg(RegistryHive::Machine, kUninstall + "Demo App", "DisplayVersion"), "5");
}

TEST(AfterApply, PerUserInstallRegistersUnderTheUser) {
  Installed w;
  w.vars.DeclareOrAssign("ALLUSERS", "FALSE", "test");
  w.install();
  const std::string user_cache = std::string("C:\\users\\me\\AppData\\Local\\") + kRevision + "\\";
  EXPECT_EQ(w.platform.reg(RegistryHive::User, kCacheKey, ""), user_cache);
  EXPECT_TRUE(w.platform.file_exists(user_cache + "setup.exe"));
  EXPECT_FALSE(w.platform.key_exists(RegistryHive::Machine, kCacheKey));
}

TEST(AfterApply, BuildModeTwoLeavesTheSourceMarker) {
  Installed w;
  w.state.build_mode = 2;
  w.install();
  EXPECT_EQ(w.platform.content(kCache + kProduct), "");
  w.uninstall();
  EXPECT_FALSE(w.platform.folder_exists(kCache));
}

TEST(AfterApply, UninstallRemovesCacheAndEveryEntry) {
  Installed w;
  w.install();
  // Entries of an earlier per-user registration go too.
  w.platform.write_string(RegistryHive::User, kUninstall + "Demo App", "DisplayName", "Demo App");
  w.uninstall();
  EXPECT_FALSE(w.platform.folder_exists(kCache));
  EXPECT_TRUE(w.state.cache_removed);
  EXPECT_TRUE(w.platform.restart_deletions.empty());
  for (auto hive : {RegistryHive::Machine, RegistryHive::User}) {
    EXPECT_FALSE(w.platform.key_exists(hive, kUninstall + "Demo App"));
    EXPECT_FALSE(w.platform.key_exists(hive, kUninstall + kProduct));
    EXPECT_FALSE(w.platform.key_exists(hive, kCacheKey));
  }
}

TEST(AfterApply, CacheThatCannotBeDeletedIsMovedAsideAndDeletedAtRestart) {
  Installed w;
  w.install();
  w.platform.locked.insert(MemoryPlatform::norm(kCache + "setup.exe"));
  w.platform.create_folder("C:\\ProgramData\\~0");  // taken: the next free one is ~1
  w.vars.DeclareOrAssign("MODIFY", "FALSE", "test");
  const std::string moved = remove_engine_cache(w.ctx());
  EXPECT_EQ(moved, "C:\\ProgramData\\~1");
  EXPECT_FALSE(w.platform.folder_exists(kCache));
  EXPECT_TRUE(w.platform.file_exists("C:\\ProgramData\\~1\\setup.exe"));
  EXPECT_EQ(w.platform.restart_deletions,
            (std::vector<std::string>{"C:\\ProgramData\\~1\\setup.exe", "C:\\ProgramData\\~1"}));
  EXPECT_TRUE(w.state.cache_removed);
}

TEST(AfterApply, CacheThatCannotBeMovedIsDeletedAtRestartWhereItIs) {
  Installed w;
  w.install();
  w.platform.locked.insert(MemoryPlatform::norm(kCache + "qel.lib"));
  w.platform.refuse_moves = true;
  w.vars.DeclareOrAssign("MODIFY", "FALSE", "test");
  EXPECT_EQ(remove_engine_cache(w.ctx()), "");
  const std::string folder = kCache.substr(0, kCache.size() - 1);
  EXPECT_EQ(w.platform.restart_deletions, (std::vector<std::string>{folder + "\\qel.lib", folder}));
  EXPECT_TRUE(w.state.cache_removed);
}

TEST(AfterApply, KeepingTheCacheStillRemovesTheEntries) {
  struct Case {
    const char* what;
    const char* savedata;
    const char* modify;
    const char* native_engine;
    bool cache_kept;
  };
  const Case cases[] = {
      {"SAVEDATA", "TRUE", "FALSE", "TRUE", true},
      {"SAVEDATA lower case", "true", "FALSE", "TRUE", true},
      {"MODIFY under the native engine", "FALSE", "TRUE", "TRUE", true},
      {"MODIFY under Windows Installer", "FALSE", "TRUE", "FALSE", false},
      {"plain removal", "FALSE", "FALSE", "TRUE", false},
  };
  for (const Case& c : cases) {
    Installed w;
    w.install();
    w.vars.DeclareOrAssign("SAVEDATA", c.savedata, "test");
    w.vars.DeclareOrAssign("NATIVE_ENGINE", c.native_engine, "test");
    w.vars.DeclareOrAssign("MODIFY", c.modify, "test");
    after_apply_changes(w.ctx(), w.payload, false, true);
    EXPECT_EQ(w.platform.file_exists(kCache + "setup.exe"), c.cache_kept) << c.what;
    EXPECT_EQ(w.state.cache_removed, !c.cache_kept) << c.what;
    EXPECT_FALSE(w.platform.key_exists(RegistryHive::Machine, kUninstall + "Demo App")) << c.what;
    EXPECT_FALSE(w.platform.key_exists(RegistryHive::Machine, kCacheKey)) << c.what;
  }
}

TEST(AfterApply, EmptyTitleNeverTouchesTheUninstallKeyItself) {
  Installed w;
  w.platform.write_string(RegistryHive::Machine, kUninstall + "Other Product", "DisplayName", "Other");
  w.vars.DeclareOrAssign("TITLE", "", "test");
  w.install();
  w.uninstall();
  EXPECT_EQ(w.platform.reg(RegistryHive::Machine, kUninstall + "Other Product", "DisplayName"), "Other");
  EXPECT_EQ(w.platform.reg(RegistryHive::Machine, kUninstall, "DisplayName"), "<missing>");
}

TEST(AfterApply, EmptyRevisionNeverFillsOrDeletesTheCacheRoot) {
  Installed w;
  w.platform.put("C:\\ProgramData\\Other\\keep.txt");
  w.state.revision_code = "";
  w.install();
  w.uninstall();
  EXPECT_TRUE(w.platform.file_exists("C:\\ProgramData\\Other\\keep.txt"));
  EXPECT_FALSE(w.platform.file_exists("C:\\ProgramData\\setup.exe"));
}

TEST(AfterApply, HeldLogSetIsWrittenBackOnlyWhenLoggingElsewhere) {
  for (const bool native_engine : {true, false}) {
    IdentityWorld w;
    const std::string cache = w.install_natively(kRevision);
    w.state.program_path = cache + "setup.exe";
    w.state.stub_folder = cache;
    bootstrap(w.ctx(), w.payload);
    w.vars.DeclareOrAssign("TITLE", "Demo App", "test");
    w.vars.DeclareOrAssign("NATIVE_ENGINE", native_engine ? "TRUE" : "FALSE", "test");
    w.vars.DeclareOrAssign("MODIFY", "FALSE", "test");
    remove_engine_cache(w.ctx());
    const std::string log = cache + kProduct + ".native.elements.log";
    EXPECT_EQ(w.platform.file_exists(log), !native_engine);
    if (!native_engine) {
      EXPECT_EQ(w.platform.content(log), "Delete File\r\n");
    }
    EXPECT_FALSE(w.platform.file_exists(cache + "setup.exe"));
  }
}

TEST(FinishEngineCache, HidesCompressesAndRefreshesUnlessRemoved) {
  Installed w;
  w.install();
  std::vector<std::string> refreshed;
  w.services.refresh_selections = [&](const std::string& path, const std::string&) { refreshed.push_back(path); };
  w.platform.hidden.clear();
  w.vars.DeclareOrAssign("OXLE_COMPRESS_INSTALLER_CACHE", "FALSE", "test");
  finish_engine_cache(w.ctx());
  EXPECT_TRUE(w.platform.hidden.count(MemoryPlatform::norm(kCache)));
  EXPECT_FALSE(w.platform.compressed[MemoryPlatform::norm(kCache)]);
  EXPECT_EQ(refreshed, (std::vector<std::string>{kCache + "setup.dat"}));
}

TEST(FinishEngineCache, DoesNotCreateACacheThatDoesNotExist) {
  Installed w;
  finish_engine_cache(w.ctx());
  EXPECT_FALSE(w.platform.folder_exists(kCache));
  EXPECT_TRUE(w.platform.hidden.empty());
}

TEST(FinishEngineCache, BuildModeTwoWithoutCachedSourcesKeepsOnlyOffline) {
  Installed w;
  w.state.build_mode = 2;
  w.state.compiler_variables = {"CACHESOURCES", "FALSE"};
  w.install();
  w.platform.put(kCache + "OFFLINE\\a.7zip");
  w.platform.put(kCache + "block1\\b.7zip");
  finish_engine_cache(w.ctx());
  EXPECT_TRUE(w.platform.file_exists(kCache + "OFFLINE\\a.7zip"));
  EXPECT_FALSE(w.platform.folder_exists(kCache + "block1"));
  EXPECT_TRUE(w.platform.file_exists(kCache + "setup.exe"));
}

TEST(TransformInstance, GivesANewIdentityOnlyForANewInstance) {
  IdentityWorld w;
  w.install_natively(kRevision);
  bootstrap(w.ctx(), w.payload);
  ASSERT_EQ(w.var("NEWINSTANCE"), "TRUE");
  ASSERT_TRUE(transform_instance(w.ctx(), w.payload));
  EXPECT_NE(w.var("PRODUCTCODE"), kProduct);
  EXPECT_NE(w.var("REVISIONCODE"), kRevision);
  EXPECT_EQ(w.var("PRODUCTCODE"), w.state.product_code);
  EXPECT_EQ(w.var("MAINTENANCE"), "FALSE");
  EXPECT_EQ(w.var("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(w.var("ENGINECACHE"), "C:\\ProgramData\\" + w.state.revision_code + "\\");
  EXPECT_TRUE(w.state.new_instance);
  // Not a new instance any more: nothing changes.
  const std::string code = w.state.product_code;
  EXPECT_FALSE(transform_instance(w.ctx(), w.payload));
  EXPECT_EQ(w.state.product_code, code);
}

TEST(TransformInstance, PatchBesideThePackagePreventsIt) {
  IdentityWorld w;
  w.install_natively(kRevision);
  w.platform.put("C:\\temp\\sup\\setup.msp");
  bootstrap(w.ctx(), w.payload);
  ASSERT_EQ(w.var("NEWINSTANCE"), "TRUE");
  EXPECT_FALSE(transform_instance(w.ctx(), w.payload));
  EXPECT_EQ(w.state.product_code, kProduct);
}

}  // namespace
}  // namespace qel::identity::testing
