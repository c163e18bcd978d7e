#include <windows.h>

#include "commands/actions/action_hooks.h"
#include "commands/actions/win/action_commands.h"
#include "commands/bitness.h"
#include "tests/actions/action_script.h"

namespace qel::actions_testing {
namespace {

constexpr const char* kKey = "Software\\QelDeleteRegistryTest";

bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool ValueExists(HKEY root, const std::string& path, const char* value, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueExA(key, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

void MakeKey(HKEY root, const std::string& path, REGSAM view = 0, const char* value = "v") {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
  RegCloseKey(key);
}

void RemoveTree(HKEY root, const std::string& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
  RegDeleteTreeA(key, nullptr);
  RegCloseKey(key);
  RegDeleteKeyExA(root, path.c_str(), view, 0);
}

TEST(DeleteRegistry, ValueAndKeyWithSubkeys) {
  const std::string key = kKey;
  MakeKey(HKEY_CURRENT_USER, key, 0, "gone");
  MakeKey(HKEY_CURRENT_USER, key, 0, "kept");
  MakeKey(HKEY_CURRENT_USER, key + "\\Sub\\Deeper");
  TVariableManager vars;
  RunScript(vars, {{"Delete Registry", {"1", key, "gone", "FALSE"}},
                   {"Delete Registry", {"1", key + "\\Missing", "x", "FALSE"}}});
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key, "gone"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, key, "kept"));

  RunScript(vars, {{"Delete Registry", {"1", key + "\\", "", "TRUE"}}});
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
  RemoveTree(HKEY_CURRENT_USER, key);
}

TEST(DeleteRegistry, DeletesOnlyInTheViewOfTheBitnessMode) {
  // This 64-bit engine does not run under WOW64: its view is the 64-bit one,
  // and the 32-bit copy under Wow6432Node stays.
  const std::string key = std::string(kKey) + "Views";
  MakeKey(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY);
  MakeKey(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY);
  MakeKey(HKEY_LOCAL_MACHINE, key + "\\Child", KEY_WOW64_32KEY);
  TVariableManager vars;
  RunScript(vars, {{"Delete Registry", {"2", key, "v", "FALSE"}}});
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, key, "v", KEY_WOW64_64KEY));
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, key, "v", KEY_WOW64_32KEY));

  RunScript(vars, {{"Delete Registry", {"2", key, "", "TRUE"}}});
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key + "\\Child", KEY_WOW64_32KEY));
  RemoveTree(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY);
  RemoveTree(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY);
}

TEST(DeleteRegistry, EmptyKeyPathNeverDeletesTheRoot) {
  const std::string key = std::string(kKey) + "Root";
  MakeKey(HKEY_CURRENT_USER, key);
  TVariableManager vars;
  RunScript(vars, {{"Delete Registry", {"1", "", "", "TRUE"}}, {"Delete Registry", {"1", "\\", "", "TRUE"}}});
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, key));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
  RemoveTree(HKEY_CURRENT_USER, key);
}

TEST(DeleteRegistry, RootCodeMustBeANumber) {
  TVariableManager vars;
  const ScriptRun run = RunScript(vars, {{"Delete Registry", {"HKCU", kKey, "v", "FALSE"}}});
  EXPECT_EQ(run.end, RunEnd::Exception);
}

constexpr const char* kComKey = "Software\\QelTestComServer";

DWORD ComCalls() {
  DWORD calls = 0, size = sizeof calls;
  if (RegGetValueA(HKEY_CURRENT_USER, kComKey, "Calls", RRF_RT_REG_DWORD, nullptr, &calls, &size) != ERROR_SUCCESS)
    return 0;
  return calls;
}

TEST(RegisterLibrary, DllServerRegistersAndUnregisters) {
  RemoveTree(HKEY_CURRENT_USER, kComKey);
  const std::string server = WindowsPath(QEL_TEST_COM_SERVER);
  TVariableManager vars;
  RunScript(vars, {{"Register Library", {server, "TRUE", "REGISTERED"}}});
  EXPECT_EQ(vars.Get("REGISTERED"), "TRUE");
  EXPECT_EQ(ComCalls(), 2u);  // a successful DllRegisterServer is called a second time
  RunScript(vars, {{"Register Library", {server, "FALSE", "REGISTERED"}}});
  EXPECT_EQ(vars.Get("REGISTERED"), "TRUE");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kComKey));
}

TEST(RegisterLibrary, FailuresGiveFalse) {
  struct Case {
    const char* name;
    std::string file;
    const char* do_register;
  };
  const Case cases[] = {
      {"DLL without the entry point", WindowsPath(QEL_TEST_PLUGIN), "TRUE"},
      {"unregistering a server that is not registered", WindowsPath(QEL_TEST_COM_SERVER), "FALSE"},
      {"missing DLL", "C:\\no\\such.dll", "TRUE"},
      {"missing type library", "C:\\no\\such.tlb", "TRUE"},
      {"missing server program", "C:\\no\\such.exe", "TRUE"},
  };
  RemoveTree(HKEY_CURRENT_USER, kComKey);
  for (const Case& c : cases) {
    TVariableManager vars;
    RunScript(vars, {{"Register Library", {c.file, c.do_register, "RESULT"}}});
    EXPECT_EQ(vars.Get("RESULT"), "FALSE") << c.name;
  }
}

int g_reboots = 0;
void CountReboot() { ++g_reboots; }

class Reboot : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallCommandsOnce();
    commands::actions::SetRebootRequest(CountReboot);
    g_reboots = 0;
    ProcessState& state = process_state();
    state.program_path = "C:\\setup\\setup.exe";
    state.command_tail = "/s LANG=de";
    state.sfx_path.clear();
  }
  void TearDown() override {
    commands::actions::SetRebootRequest(nullptr);
    RemoveValues();
  }
  static void RemoveValues() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
      for (const char* key : {kRunOnce, kRun}) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
          RegDeleteValueA(k, "1A2B3C4D");
          RegCloseKey(k);
        }
      }
  }
  static std::string ReadValue(HKEY root, const char* key) {
    char data[512] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(root, key, "1A2B3C4D", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return "<none>";
    return data;
  }
  static constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  static constexpr const char* kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
};

TEST_F(Reboot, ResumeAndLoginWriteTheStartCommandUnderTheRightHive) {
  struct Case {
    const char* command;
    const char* all_users;
    HKEY root;
    HKEY other;
    const char* key;
  };
  const Case cases[] = {
      {"Reboot and Resume", "FALSE", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, kRunOnce},
      {"Reboot and Resume", "TRUE", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, kRunOnce},
      {"Reboot and Login", "FALSE", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, kRun},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " ALLUSERS=" + c.all_users);
    TVariableManager vars;
    vars.Define("ALLUSERS", c.all_users);
    g_reboots = 0;
    const ScriptRun run = RunScript(vars, {{c.command}, {"Set Variable", {"AFTER", "ran"}}}, {},
                                    [](Payload& p) { p.product_code = "{1A2B3C4D-1111-2222-3333-444455556666}"; });
    EXPECT_EQ(ReadValue(c.root, c.key), "C:\\setup\\setup.exe /s LANG=de");
    EXPECT_EQ(ReadValue(c.other, c.key), "<none>");
    EXPECT_EQ(g_reboots, 1);
    EXPECT_FALSE(vars.Exists("AFTER"));  // the script ended with the restart
    RemoveValues();
  }
}

TEST_F(Reboot, EnginePathFromTheCommandLineIsPreferred) {
  process_state().sfx_path = "c:\\cache\\setup.exe";
  process_state().command_tail.clear();
  TVariableManager vars;
  vars.Define("ALLUSERS", "FALSE");
  RunScript(vars, {{"Reboot and Resume"}}, {},
            [](Payload& p) { p.product_code = "{1A2B3C4D-1111-2222-3333-444455556666}"; });
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kRunOnce), "c:\\cache\\setup.exe");
}

TEST_F(Reboot, RebootComputerEndsTheScript) {
  TVariableManager vars;
  RunScript(vars, {{"Reboot Computer"}, {"Set Variable", {"AFTER", "ran"}}});
  EXPECT_EQ(g_reboots, 1);
  EXPECT_FALSE(vars.Exists("AFTER"));
}

TEST(MessageBoxCommand, SilentModeShowsNothingAndAssignsNothing) {
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  const ScriptRun run = RunScript(vars, {{"MessageBox", {"Title", "Text", "3", "1", "ANSWER"}},
                                         {"Set Variable", {"AFTER", "ran"}}});
  EXPECT_EQ(run.end, RunEnd::Finished);
  EXPECT_FALSE(vars.Exists("ANSWER"));
  EXPECT_EQ(vars.Get("AFTER"), "ran");
}

TEST(MessageBoxCommand, NumbersAreCheckedEvenWhenSilent) {
  TVariableManager vars;
  vars.Define("SILENT", "TRUE");
  const ScriptRun run = RunScript(vars, {{"MessageBox", {"Title", "Text", "error", "1", "ANSWER"}}});
  EXPECT_EQ(run.end, RunEnd::Exception);
}

TEST(MessageBalloon, HandsTheClampedTimeoutToTheTrayForm) {
  InstallCommandsOnce();
  std::vector<commands::actions::BalloonRequest> shown;
  commands::actions::action_hooks().show_balloon = [&](const commands::actions::BalloonRequest& r) {
    shown.push_back(r);
  };
  TVariableManager vars;
  vars.Define("TITLE", "Product");
  RunScript(vars, {{"MessageBalloon", {"T", "M", "1", "5"}},
                   {"MessageBalloon", {"T2", "M2", "9", "60"}},
                   {"Set Variable", {"SILENT", "TRUE"}},
                   {"MessageBalloon", {"T3", "M3", "0", "20"}}});
  commands::actions::action_hooks().show_balloon = nullptr;
  ASSERT_EQ(shown.size(), 2u);  // nothing in silent mode
  EXPECT_EQ(shown[0].timeout_ms, 10000);
  EXPECT_EQ(shown[0].icon, 1);
  EXPECT_EQ(shown[0].title, "T");
  EXPECT_EQ(shown[0].hint, "Product");
  EXPECT_EQ(shown[1].timeout_ms, 30000);
  EXPECT_EQ(shown[1].icon, 0);  // outside 0-2: information
}

}  // namespace
}  // namespace qel::actions_testing
