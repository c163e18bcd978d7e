// A setup in the in-memory system: stub "C:\media\setup.exe" with its files, a
// payload, a variable store and the identity state, ready for the bootstrap.
#pragma once

#include <string>
#include <vector>

#include "engine/payload.h"
#include "engine/variables.h"
#include "native/identity/identity_context.h"
#include "native/identity/tests/memory_platform.h"

namespace qel::identity::testing {

inline constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";
inline constexpr const char* kRevision = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
inline constexpr const char* kOldRevision = "{99999999-8888-7777-6666-555555555555}";

struct IdentityWorld {
  MemoryPlatform platform;
  TVariableManager vars;
  IdentityState state;
  IdentityServices services;
  Payload payload;
  std::vector<std::string> calls;  // what the services were asked, in order
  int64_t told_baseline = -1;      // the installed-size baseline handed to the component table

  IdentityWorld() {
    payload.product_code = kProduct;
    payload.revision_code = kRevision;
    payload.title = "Demo App";
    payload.company = "Fernmoor";
    payload.contact = "Desk";
    payload.help_link = "http://help";
    payload.update_link = "http://update";
    payload.comments = "Nice";
    payload.version = "5";
    state.program_path = "C:\\media\\setup.exe";
    state.stub_folder = "C:\\media\\";
    state.package_path = "C:\\temp\\sup\\setup.msi";
    for (const char* name : {"setup.exe", "setup.res", "qel.lib", "setup.bmp", "setup.msi"})
      platform.put(std::string("C:\\media\\") + name, std::string("content of ") + name);
    services.read_selections = [this](const std::string& path, SelectionRead how) {
      calls.push_back(std::string(how == SelectionRead::kInstalled ? "read " : "read-previous ") + path);
    };
    services.write_selections = [this](const std::string& path, const std::string& data) {
      calls.push_back("write " + path + " data=" + data);
      platform.write_file(path, "selections");
    };
    services.selected_size = [] { return int64_t{4096}; };
    services.set_installed_baseline = [this](int64_t size) { told_baseline = size; };
    services.reset_components = [this] { calls.push_back("reset components"); };
    services.load_property_journal = [this](const std::string& p) { calls.push_back("load journal " + p); };
    services.save_property_journal = [this](const std::string& p) { calls.push_back("save journal " + p); };
    services.load_pinned_shortcuts = [this](const std::string& p) { calls.push_back("load pins " + p); };
    services.flush_native_log = [this] { calls.push_back("flush log"); };
    services.pin_shortcuts = [this] { calls.push_back("pin"); };
  }

  IdentityContext ctx() { return IdentityContext{vars, platform, state, services}; }
  std::string var(const char* name) const { return vars.ReadVariable(name); }

  // A natively installed build in the all-users cache: log set, instance file and
  // the machine cache entry naming the folder.
  std::string install_natively(const std::string& revision, const std::string& root = "C:\\ProgramData\\") {
    const std::string cache = root + revision + "\\";
    for (const char* suffix : {".native.elements.log", ".native.data.log", ".native.weight.log", ".native.bitness.log"})
      platform.put(cache + kProduct + suffix, "Delete File\r\n");
    platform.put(cache + "setup.exe");
    platform.put(cache + "instance.dat", std::string(kProduct) + "\r\n" + revision + "\r\nDemo App\r\n");
    platform.write_string(RegistryHive::Machine, std::string("SOFTWARE\\Fernmoor\\Oakhollow\\Ident.Cache\\") + kProduct,
                          "", cache);
    return cache;
  }
};

}  // namespace qel::identity::testing
