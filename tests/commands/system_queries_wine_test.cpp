#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>

#include "commands/bitness.h"
#include "tests/commands/command_runner.h"

namespace qel::commands {
namespace {

using wine_testing::RunCommand;

constexpr const char* kTestKey = "Software\\QelCommandsTest";

class RegistryQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
    const DWORD all_ones = 0xFFFFFFFF, seven = 7;
    const BYTE binary[] = {0x01, 0xAB};
    const char multi[] = "one\0two\0three\0";
    const unsigned long long qword = 5;
    Set("text", REG_SZ, "hello", 6);
    Set("expand", REG_EXPAND_SZ, "%WINDIR%\\x", 11);
    Set("minus", REG_DWORD, &all_ones, 4);
    Set("seven", REG_DWORD, &seven, 4);
    Set("binary", REG_BINARY, binary, 2);
    Set("nobytes", REG_BINARY, nullptr, 0);
    Set("multi", REG_MULTI_SZ, multi, sizeof multi);
    Set("qword", REG_QWORD, &qword, 8);
    Set("empty", REG_SZ, "", 1);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
  }
  void Set(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryQueries, CheckRegistryGivesValuesAndMarkersReadRegistryHidesMarkers) {
  struct Case {
    const char* key;
    const char* value;
    const char* check;
    const char* read;
  };
  const Case cases[] = {
      {kTestKey, "text", "hello", "hello"},
      {kTestKey, "expand", "%WINDIR%\\x", "%WINDIR%\\x"},
      {kTestKey, "minus", "-1", "-1"},
      {kTestKey, "seven", "7", "7"},
      {kTestKey, "binary", "01AB", "01AB"},
      {kTestKey, "nobytes", "", ""},
      {kTestKey, "multi", "one$NEWLINE$two$NEWLINE$three", "one$NEWLINE$two$NEWLINE$three"},
      {kTestKey, "qword", "UNKNOWN$TYPE", ""},
      {kTestKey, "empty", "", ""},
      {kTestKey, "absent", "NO$VALUE", ""},
      {"Software\\QelCommandsTest\\NoSuchKey", "x", "NO$KEY", ""},
  };
  TVariableManager vars;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    RunCommand(vars, "Check Registry", {"R", "1", c.key, c.value});
    EXPECT_EQ(vars.Get("R"), c.check);
    RunCommand(vars, "Read Registry", {"R", "1", c.key, c.value});
    EXPECT_EQ(vars.Get("R"), c.read);
  }
}

TEST_F(RegistryQueries, RootCodesSelectHives) {
  TVariableManager vars;
  RunCommand(vars, "Check Registry", {"R", "2", kTestKey, "text"});
  EXPECT_EQ(vars.Get("R"), "NO$KEY");  // written under HKCU, not HKLM
  RunCommand(vars, "Check Registry", {"R", "2", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion"});
  EXPECT_EQ(vars.Get("R"), "6.1");
}

std::string ShellPath(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return std::string(path) + "\\";
}

TEST(GetFolderLocation, ShellFoldersMatchTheShell) {
  struct Case {
    const char* code;
    const char* common;
    int csidl;
  };
  const Case cases[] = {
      {"2", "FALSE", CSIDL_PERSONAL},         {"2", "TRUE", CSIDL_COMMON_DOCUMENTS},
      {"12", "FALSE", CSIDL_STARTMENU},       {"12", "TRUE", CSIDL_COMMON_STARTMENU},
      {"14", "TRUE", CSIDL_COMMON_PROGRAMS},  {"15", "FALSE", CSIDL_APPDATA},
      {"15", "TRUE", CSIDL_COMMON_APPDATA},   {"17", "FALSE", CSIDL_DESKTOPDIRECTORY},
      {"18", "FALSE", CSIDL_FONTS},           {"28", "FALSE", CSIDL_LOCAL_APPDATA},
      {"25", "FALSE", CSIDL_WINDOWS},         {"23", "FALSE", CSIDL_SYSTEM},
  };
  TVariableManager vars;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("code ") + c.code + " common " + c.common);
    RunCommand(vars, "Get Folder Location", {"F", c.code, c.common});
    EXPECT_EQ(vars.Get("F"), ShellPath(c.csidl));
    EXPECT_FALSE(vars.Get("F").empty());
  }
}

TEST(GetFolderLocation, ProgramFilesFollowTheRegistry) {
  TVariableManager vars;
  char expected[MAX_PATH] = {};
  DWORD size = sizeof expected;
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                         RRF_RT_REG_SZ, nullptr, expected, &size),
            ERROR_SUCCESS);
  RunCommand(vars, "Get Folder Location", {"F", "20", "FALSE"});
  EXPECT_EQ(vars.Get("F"), std::string(expected) + "\\");
  RunCommand(vars, "Get Folder Location", {"F", "99", "FALSE"});
  EXPECT_EQ(vars.Get("F"), "");
}

TEST(GetSystemSettings, AnswersOnThe64BitBuild) {
  TVariableManager vars;
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computer_size = sizeof computer;
  GetComputerNameA(computer, &computer_size);
  const struct {
    const char* number;
    std::string expected;
  } cases[] = {
      {"65", "FALSE"},  // a 64-bit process never runs under WOW64
      {"18", "TRUE"},
      {"17", "FALSE"},
      {"25", "TRUE"},   // 5.2 or later
      {"79", "TRUE"},   // 6.1 or later
      {"75", "AMD64"},
      {"70", "FALSE"},  // the probe instruction faults outside VMware
      {"71", "FALSE"},
      {"74", "TRUE"},
      {"61", computer},
      {"84", std::to_string((memory.ullTotalPhys + 524288) / 1048576)},
      {"1", memory.ullTotalPhys >= 30ull * 1048576 ? "TRUE" : "FALSE"},
      {"86", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    RunCommand(vars, "Get System Settings", {"S", c.number});
    EXPECT_EQ(vars.Get("S"), c.expected);
  }
  EXPECT_THROW(RunCommand(vars, "Get System Settings", {"S", "x"}), std::exception);
}

TEST(GetOsOrSpLevel, NamesTheWindowsVersion) {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
  ASSERT_EQ(info.dwMajorVersion, 6u);
  ASSERT_EQ(info.dwMinorVersion, 1u);  // Wine reports Windows 7
  TVariableManager vars;
  RunCommand(vars, "Get OS or SP Level", {"L", "TRUE"});
  EXPECT_EQ(vars.Get("L"), info.wProductType == VER_NT_WORKSTATION ? "SEVEN" : "2008R2");
  RunCommand(vars, "Get OS or SP Level", {"L", "FALSE"});
  EXPECT_EQ(vars.Get("L"), std::to_string(info.wServicePackMajor));
}

TEST(FileQueries, VersionExistenceIniEnvironmentAndDisk) {
  const std::string probe = wine_testing::ExeFolder() + QEL_VERSIONED_PROBE;
  TVariableManager vars;
  vars.Set("PROBE", probe);
  RunCommand(vars, "Get File Version", {"$PROBE$", "$V$"});
  EXPECT_EQ(vars.Get("V"), "3.14.159.2653");
  RunCommand(vars, "Get File Version", {"C:\\no\\such.exe", "V"});
  EXPECT_EQ(vars.Get("V"), "0.0.0.0");

  const struct {
    const char* reference;
    const char* expected;
  } versions[] = {{"3.14.159.2653", "FALSE"}, {"3.14.159.2652", "TRUE"}, {"3.14.160", "FALSE"}, {"3", "TRUE"}};
  for (const auto& c : versions) {
    SCOPED_TRACE(c.reference);
    RunCommand(vars, "Check File Version", {"C", "$PROBE$", "FALSE", "", c.reference});
    EXPECT_EQ(vars.Get("C"), c.expected);
  }
  RunCommand(vars, "Check File Version", {"C", "$PROBE$", "TRUE", "$PROBE$", ""});
  EXPECT_EQ(vars.Get("C"), "FALSE");
  EXPECT_THROW(RunCommand(vars, "Check File Version", {"C", "$PROBE$", "FALSE", "", "a.b"}), std::exception);

  RunCommand(vars, "Does File/Folder Exist", {"E", "$PROBE$", "TRUE"});
  EXPECT_EQ(vars.Get("E"), "TRUE");
  RunCommand(vars, "Does File/Folder Exist", {"E", "$PROBE$", "FALSE"});
  EXPECT_EQ(vars.Get("E"), "FALSE");
  RunCommand(vars, "Does File/Folder Exist", {"E", "C:\\windows", "FALSE"});
  EXPECT_EQ(vars.Get("E"), "TRUE");

  const std::string folder = wine_testing::ScratchFolder("qelini");
  const std::string ini = folder + "\\settings.ini";
  ASSERT_TRUE(WritePrivateProfileStringA("Main", "Colour", "blue", ini.c_str()));
  vars.Set("INI", ini);
  const struct {
    const char* section;
    const char* key;
    const char* expected;
  } ini_cases[] = {{"Main", "Colour", "blue"}, {"main", "colour", "blue"}, {"Main", "Size", ""}, {"", "Colour", ""},
                   {"Main", "", ""}};
  for (const auto& c : ini_cases) {
    RunCommand(vars, "Get INI File Settings", {"I", "$INI$", c.section, c.key});
    EXPECT_EQ(vars.Get("I"), c.expected);
  }
  DeleteFileA(ini.c_str());
  RemoveDirectoryA(folder.c_str());

  SetEnvironmentVariableA("QEL_TEST_ENV", "value 1");
  RunCommand(vars, "Get Environment", {"QEL_TEST_ENV", "$ENV$"});
  EXPECT_EQ(vars.Get("ENV"), "value 1");
  RunCommand(vars, "Get Environment", {"QEL_NOT_DEFINED_ANYWHERE", "ENV"});
  EXPECT_EQ(vars.Get("ENV"), "%QEL_NOT_DEFINED_ANYWHERE%");
  RunCommand(vars, "Get Environment", {"", "ENV"});
  EXPECT_NE(vars.Get("ENV").find("QEL_TEST_ENV=value 1"), std::string::npos);
  EXPECT_NE(vars.Get("ENV").find("$NEWLINE$"), std::string::npos);

  ULARGE_INTEGER available{}, total{}, free_total{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free_total));
  RunCommand(vars, "Check Disk Space", {"$D$", "C:\\", "FALSE"});
  EXPECT_EQ(vars.Get("D"), std::to_string(total.QuadPart));
  RunCommand(vars, "Check Disk Space", {"D", "Q:\\no\\such\\drive", "TRUE"});
  EXPECT_EQ(vars.Get("D"), "0");
}

TEST(XmlSettings, MatchesReadLastFirst) {
  const std::string folder = wine_testing::ScratchFolder("qelxml");
  const std::string file = folder + "\\config.xml";
  std::ofstream(file, std::ios::binary)
      << "<?xml version=\"1.0\"?>\r\n<a>\r\n  <b id=\"1\">first</b>\r\n  <c id=\"x\"/>\r\n"
         "  <b id=\"2\">second</b>\r\n  <b>third\r\nline</b>\r\n  <d><e id=\"in-first-d\"/></d>\r\n"
         "  <d><e id=\"in-second-d\"/></d>\r\n</a>\r\n";
  struct Case {
    const char* path;
    const char* attribute;
    const char* expected;
  };
  const Case cases[] = {
      {"a\\b", "id", "2$NEWLINE$1"},
      {"a\\b", "", "third$NEWLINE$line$NEWLINE$second$NEWLINE$first"},
      {"a\\d\\e", "id", "in-first-d"},
      {"a\\B", "id", ""},
      {"A\\b", "id", ""},
      {"a", "", "firstsecondthird\nline"},
      {"a\\nothing\\b", "id", ""},
  };
  TVariableManager vars;
  vars.Set("XML", file);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    RunCommand(vars, "Get XML File Settings", {"X", "$XML$", c.path, c.attribute});
    if (std::string(c.path) == "a") {
      EXPECT_NE(vars.Get("X").find("first"), std::string::npos);  // the document element's whole text
      EXPECT_EQ(vars.Get("X").find('\n'), std::string::npos);
    } else {
      EXPECT_EQ(vars.Get("X"), c.expected);
    }
  }
  RunCommand(vars, "Get XML File Settings", {"X", folder + "\\missing.xml", "a\\b", "id"});
  EXPECT_EQ(vars.Get("X"), "");
  DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(ProcessAndServiceQueries, RunningProcessAndMissingService) {
  char own[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own, MAX_PATH);
  const std::string own_path(own);
  std::string own_name = own_path.substr(own_path.rfind('\\') + 1);
  for (char& ch : own_name) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  TVariableManager vars;
  const struct {
    std::string name;
    const char* expected;
  } cases[] = {{own_name, "TRUE"}, {"explorer-not-running-here.exe", "FALSE"}, {own_path, "FALSE"}, {"", "FALSE"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunCommand(vars, "Check Process", {c.name, "P"});
    EXPECT_EQ(vars.Get("P"), c.expected);
  }
  RunCommand(vars, "Check Service", {"QelNoSuchService", "", "S"});
  EXPECT_EQ(vars.Get("S"), "NOTINSTALLED");
  RunCommand(vars, "Check Service", {"RpcSs", "", "S"});
  EXPECT_NE(vars.Get("S"), "NOTINSTALLED");
  RunCommand(vars, "Is MSI Setup Installed", {"{00000000-1111-2222-3333-444444444444}", "M"});
  EXPECT_EQ(vars.Get("M"), "FALSE");
}

TEST(Set64BitMode, LowerCaseTrueChangesNothing) {
  TVariableManager vars;
  SetBitnessMode("Win32");
  RunCommand(vars, "Set 64 Bit Mode", {"false", "false", "true"});
  EXPECT_EQ(BitnessMode(), "Win32");
  RunCommand(vars, "Set 64 Bit Mode", {"TRUE", "TRUE", "TRUE"});
  EXPECT_EQ(BitnessMode(), "x64");
  // not under WOW64: the view flag stays 0 and the system folder is the native one
  RunCommand(vars, "Get Folder Location", {"F", "23", "FALSE"});
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(vars.Get("F"), std::string(system) + "\\");
  SetBitnessMode("Win32");
}

}  // namespace
}  // namespace qel::commands
