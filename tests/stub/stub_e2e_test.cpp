// The real qelstub.exe (and a variant whose RunScript reports what it received)
// run under Wine in fresh setup folders with their own temporary folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <fstream>
#include <sstream>

#include "engine/payload.h"
#include "tests/stub/setup_folder.h"

namespace qel {
namespace {

using e2e::folder_entries;
using e2e::read_utf16_lines;

// Three statements: a dialog, the same dialog commented out, and a "Set Variable"
// whose parameters include an escaped "$".
Payload sample_payload() {
  Payload p;
  p.names = {"Display Dialog", "Display Dialog", "Set Variable"};
  p.keys = {"{00000000-0000-0000-0000-000000000001}", "{00000000-0000-0000-0000-000000000002}",
            "{00000000-0000-0000-0000-000000000003}"};
  p.params = {p.keys[0], "welcome", "WIZARD", p.keys[1], "finish", "WIZARD", p.keys[2], "X$OXLE$OXLE$FALSE", "$"};
  p.flags = {"", "C", ""};
  p.media_blocks = {"block1\\", "", ""};
  p.source_lines = {"C:\\s\\Demo.qel*0", "C:\\s\\Demo.qel*1", "C:\\s\\Demo.qel*2"};
  p.title = "Demo";
  return p;
}

struct SetupDir {
  std::string root;    // with backslash
  std::string app;     // the setup folder
  std::string temp;    // the child's TMP/TEMP
  std::string exe;
  std::string probe_file;
};

// Names are lower case: Wine maps Z: to a case-sensitive file system, and the
// stub lower-cases the trace path.
SetupDir make_setup(const std::string& name, const char* stub, const std::string& payload, const char* res) {
  SetupDir s;
  s.root = e2e::fresh_folder(std::string(QEL_E2E_ROOT) + "/" + name);
  s.app = e2e::fresh_folder(s.root + "app");
  s.temp = e2e::fresh_folder(s.root + "temp");
  s.exe = e2e::assemble_setup(s.app, stub, payload, res ? res : "");
  s.probe_file = s.root + "probe.txt";
  return s;
}

e2e::Run run(const SetupDir& s, const std::string& arguments, bool throw_in_script = false) {
  std::vector<std::pair<std::string, std::string>> env = {{"QEL_PROBE_FILE", s.probe_file}};
  if (throw_in_script) env.emplace_back("QEL_PROBE_THROW", "1");
  return e2e::run_program("\"" + s.exe + "\"" + (arguments.empty() ? "" : " " + arguments), s.temp, env);
}

std::multimap<std::string, std::string> probe(const SetupDir& s) {
  std::multimap<std::string, std::string> values;
  std::istringstream in(e2e::read_text(s.probe_file));
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return values;
}

std::string one(const std::multimap<std::string, std::string>& m, const std::string& key) {
  const auto it = m.find(key);
  return it == m.end() ? "<absent>" : it->second;
}

std::vector<std::string> all(const std::multimap<std::string, std::string>& m, const std::string& key) {
  std::vector<std::string> out;
  for (auto [it, end] = m.equal_range(key); it != end; ++it) out.push_back(it->second);
  return out;
}

// ---- early endings ----

TEST(StubEarlyEnd, NoPayloadEndsWithThirteenAndLeavesAnEmptySupportFolder) {
  const SetupDir s = make_setup("no_payload", QEL_STUB_EXE, "", QEL_GOOD_RES);
  EXPECT_EQ(run(s, "/s").exit_code, 13u);
  EXPECT_EQ(folder_entries(s.temp), (std::vector<std::string>{"qel1"}));
  EXPECT_TRUE(folder_entries(s.temp + "qel1").empty());
}

TEST(StubEarlyEnd, ResourceArchiveProblemsEndWithTheirCodes) {
  const struct {
    const char* name;
    const char* res;
    uint32_t code;
  } cases[] = {
      {"missing_res", nullptr, 14},
      {"corrupt_res", QEL_CORRUPT_RES, 15},
  };
  for (const auto& c : cases) {
    const SetupDir s = make_setup(c.name, QEL_STUB_EXE, write_payload(sample_payload()), c.res);
    const std::string trace = s.root + "trace.log";
    EXPECT_EQ(run(s, "/s /l=" + trace).exit_code, c.code) << c.name;
    // The support folder stays, the payload file is gone, the trace has no closing tags.
    std::vector<std::string> temp = folder_entries(s.temp);
    EXPECT_EQ(temp, (std::vector<std::string>{"qel1"})) << c.name;
    const std::vector<std::string> lines = read_utf16_lines(trace);
    ASSERT_FALSE(lines.empty()) << c.name;
    EXPECT_EQ(lines.back(), "    <ExtractArchive>") << c.name;
  }
}

// ---- complete runs ----

TEST(StubRun, UsesTheFirstFreeSupportFolderAndRemovesIt) {
  const SetupDir s = make_setup("support_numbers", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  CreateDirectoryA((s.temp + "qel1").c_str(), nullptr);
  CreateDirectoryA((s.temp + "qel2").c_str(), nullptr);
  ASSERT_EQ(run(s, "/s").exit_code, 0u);
  const auto p = probe(s);
  EXPECT_EQ(one(p, "support"), s.temp + "qel3\\");
  std::vector<std::string> temp = folder_entries(s.temp);
  std::sort(temp.begin(), temp.end());
  EXPECT_EQ(temp, (std::vector<std::string>{"qel1", "qel2"}));
}

TEST(StubRun, TraceOfACompleteRunIsUtf16WithTheTagsInOrder) {
  const SetupDir s = make_setup("full_trace", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  const std::string trace = s.root + "trace.log";
  std::ofstream(trace, std::ios::binary) << "an older trace that the first line truncates";
  ASSERT_EQ(run(s, "/s /l=" + trace).exit_code, 0u);
  bool bom = true;
  const std::vector<std::string> lines = read_utf16_lines(trace, &bom);
  EXPECT_FALSE(bom);
  const std::vector<std::string> expected = {
      "<Oakhollow>",          "    <SupportDir>",      "    </SupportDir>",    "  <SetupSplash>",
      "    <StubSize>",       "    </StubSize>",       "    <StubData>",       "    </StubData>",
      "    <GlobalLists>",    "    </GlobalLists>",    "    <ExtractArchive>", "    </ExtractArchive>",
      "    <ResourcePath>",   "    </ResourcePath>",   "    <Dialogs>",        "    </Dialogs>",
      "  </SetupSplash>",     "  <RunScript>",        "  </RunScript>",      "  <Free>",
      "  </Free>",            "  <CachedSupportDir>", "  </CachedSupportDir>", "</Oakhollow>"};
  EXPECT_EQ(lines, expected);
}

TEST(StubRun, HandsTheScriptItsListsAndPreparedSupportFolder) {
  const SetupDir s = make_setup("handover", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  // A read-only package beside the stub: the copy in the support folder is normal.
  e2e::fresh_folder(s.app + "data");
  std::ofstream(s.app + "setup.msi", std::ios::binary) << "msi";
  SetFileAttributesA((s.app + "setup.msi").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(run(s, "/s").exit_code, 0u);
  SetFileAttributesA((s.app + "setup.msi").c_str(), FILE_ATTRIBUTE_NORMAL);
  const auto p = probe(s);
  const std::string support = s.temp + "qel1\\";
  EXPECT_EQ(one(p, "support"), support);
  EXPECT_EQ(one(p, "data"), s.app + "data\\");
  EXPECT_EQ(one(p, "msi"), support + "setup.msi");
  EXPECT_EQ(one(p, "statements"), "3");
  EXPECT_EQ(one(p, "media0"), "block1\\");
  EXPECT_EQ(one(p, "param1"), "welcome");
  // Only the enabled "Display Dialog" is pre-loaded, keyed by its statement index.
  EXPECT_EQ(all(p, "dialog"), (std::vector<std::string>{support + "welcome.dfm|0"}));
  // The extracted page, and the package copy without its read-only attribute
  // (Wine reports plain files as "archive" after FILE_ATTRIBUTE_NORMAL).
  EXPECT_EQ(all(p, "file"), (std::vector<std::string>{"welcome.dfm|0", "setup.msi|0", "setup.msp|missing"}));
  EXPECT_TRUE(folder_entries(s.temp).empty()) << "support folder and qel.tmp removed";
}

TEST(StubRun, ExceptionInTheScriptGivesElevenAndStillCleansUp) {
  const SetupDir s = make_setup("exception", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  const std::string trace = s.root + "trace.log";
  EXPECT_EQ(run(s, "/s /l=" + trace, /*throw_in_script=*/true).exit_code, 11u);
  EXPECT_TRUE(folder_entries(s.temp).empty());
  const std::vector<std::string> lines = read_utf16_lines(trace);
  const std::vector<std::string> tail(lines.end() - std::min<size_t>(lines.size(), 4), lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"  <RunScript>", "  <CachedSupportDir>", "  </CachedSupportDir>",
                                            "</Oakhollow>"}));
}

// ---- command line ----

TEST(StubCommandLine, SwitchesAndPropertiesFromARawLine) {
  const SetupDir s = make_setup("command_line", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  const std::string arguments =
      R"(/S InstallDir="C:\Program Files\Demo App" Mixed=CaseValue /G=C:\Pol\GPO.ini -P=D:\Media /M=C:\Out\Outer.EXE -flag=1 /x=y)";
  ASSERT_EQ(run(s, arguments).exit_code, 0u);
  const auto p = probe(s);
  EXPECT_EQ(one(p, "tail"), arguments);
  EXPECT_EQ(one(p, "silent"), "1");
  EXPECT_EQ(one(p, "gpo"), R"(c:\pol\gpo.ini)");
  EXPECT_EQ(one(p, "alt"), R"(d:\media)");
  EXPECT_EQ(one(p, "sfx"), R"(c:\out\outer.exe)");
  EXPECT_EQ(all(p, "property"),
            (std::vector<std::string>{R"(INSTALLDIR|C:\Program Files\Demo App)", "MIXED|CaseValue"}));
}

TEST(StubCommandLine, UpperCaseTracePathLandsAtTheLowerCasedPath) {
  const SetupDir s = make_setup("trace_case", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  e2e::fresh_folder(s.root + "logs");
  // Wine serves Z: from a case-sensitive file system, so the folder part must
  // already be lower case; the file name is given in upper case.
  ASSERT_EQ(run(s, "/s /L=" + s.root + "logs\\TRACE.LOG").exit_code, 0u);
  EXPECT_EQ(folder_entries(s.root + "logs"), (std::vector<std::string>{"trace.log"}));
  std::string expected = s.root + "logs\\trace.log";
  for (char& c : expected) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(one(probe(s), "trace"), expected);
}

TEST(StubCommandLine, UpdateSuppressesWindowsWithoutBeingSilent) {
  const SetupDir s = make_setup("update", QEL_PROBE_EXE, write_payload(sample_payload()), QEL_GOOD_RES);
  ASSERT_EQ(run(s, "/update").exit_code, 0u);
  const auto p = probe(s);
  EXPECT_EQ(one(p, "silent"), "0");
  EXPECT_EQ(one(p, "suppressed"), "1");
}

TEST(StubCommandLine, ShippedStubWithUpdateCompletesAndCleansUp) {
  // The shipped program, with the engine's RunScript when it is linked, runs an
  // empty script to its end without a display and without being silent.
  const SetupDir s = make_setup("shipped_update", QEL_STUB_EXE, write_payload(Payload{}), QEL_GOOD_RES);
  EXPECT_EQ(run(s, "-UPDATE").exit_code, 0u);
  EXPECT_TRUE(folder_entries(s.temp).empty());
}

}  // namespace
}  // namespace qel
