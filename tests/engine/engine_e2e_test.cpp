// The engine behind the real qelstub.exe under Wine: start-up, compile errors,
// exit codes, command-line properties, single instance and exceptions. Exit codes
// are read with GetExitCodeProcess, so values above 255 arrive whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "engine/payload.h"
#include "engine/tests/script_builder.h"
#include "tests/stub/setup_folder.h"

namespace qel {
namespace {

using testing::Bare;
using testing::If;
using testing::Set;
using testing::Stmt;
using testing::TestScript;

constexpr const char* kRevision = "{6A3F0C1E-2B4D-4E5F-8A9B-0C1D2E3F4A5B}";

struct SetupDir {
  std::string root;  // with backslash
  std::string app;
  std::string temp;
  std::string exe;
  std::string trace;
};

Payload payload_of(const std::vector<Stmt>& statements, StringList compiler_variables = {}) {
  TestScript script(statements);
  Payload p = script.payload();
  p.product_code = "{1B2C3D4E-0000-4000-8000-00000000CAFE}";
  p.revision_code = kRevision;
  p.version = "1.2.3";
  p.company = "Fernmoor";
  p.compiler_variables = std::move(compiler_variables);
  return p;
}

SetupDir make_setup(const std::string& name, const Payload& payload, const char* stub = QEL_STUB_EXE) {
  SetupDir s;
  s.root = e2e::fresh_folder(std::string(QEL_E2E_ROOT) + "/" + name);
  s.app = e2e::fresh_folder(s.root + "app");
  s.temp = e2e::fresh_folder(s.root + "temp");
  s.exe = e2e::assemble_setup(s.app, stub, write_payload(payload), QEL_RES_FILE);
  s.trace = s.root + "trace.log";
  return s;
}

uint32_t run(const SetupDir& s, const std::string& arguments = "") {
  return e2e::run_program("\"" + s.exe + "\" /s /l=" + s.trace + (arguments.empty() ? "" : " " + arguments), s.temp)
      .exit_code;
}

std::vector<std::string> trace_lines(const SetupDir& s) { return e2e::read_utf16_lines(s.trace); }

bool has_line(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

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

TEST(EngineE2E, CompileErrorEndsWith314AfterCompileScriptTag) {
  SetupDir s = make_setup("compile_error", payload_of({If("TITLE", "0", "x"), Set("A", "1")}));
  EXPECT_EQ(run(s), 314u);
  const std::vector<std::string> lines = trace_lines(s);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "    <CompileScript>");
  EXPECT_TRUE(has_line(lines, "  <RunScript>"));
}

TEST(EngineE2E, TerminateWithExitCode) {
  struct Case {
    const char* name;
    const char* parameter;
    uint32_t code;
  };
  const Case cases[] = {{"code7", "7", 7u}, {"codex", "x", 0u}, {"code1603", "1603", 1603u}};
  for (const Case& c : cases) {
    SetupDir s = make_setup(c.name, payload_of({{"Terminate with Exit Code", {c.parameter}}, {"Terminate with Exit Code",
                                                                                            {"99"}}}));
    EXPECT_EQ(run(s), c.code) << c.parameter;
    const std::vector<std::string> lines = trace_lines(s);
    EXPECT_TRUE(has_line(lines, "    </oxle>")) << c.parameter;
    EXPECT_TRUE(has_line(lines, "    </ExitScript>")) << c.parameter;
    EXPECT_FALSE(lines.empty() || lines.back() != "</Oakhollow>") << c.parameter;
  }
}

TEST(EngineE2E, StartupTagsInOrder) {
  SetupDir s = make_setup("tags", payload_of({Set("A", "1")}));
  ASSERT_EQ(run(s), 0u);
  const std::vector<std::string> lines = trace_lines(s);
  const std::vector<std::string> expected = {"  <RunScript>",     "    <Variables>",     "    </Variables>",
                                             "    <CompileScript>", "    </CompileScript>", "    <BootStrap>",
                                             "    </BootStrap>",  "    <oxle>",          "    </oxle>",
                                             "    <ExitScript>",  "    </ExitScript>",   "  </RunScript>"};
  auto start = std::find(lines.begin(), lines.end(), "  <RunScript>");
  ASSERT_NE(start, lines.end());
  EXPECT_EQ(std::vector<std::string>(start, start + std::min<long>(expected.size(), lines.end() - start)), expected);
}

TEST(EngineE2E, CommandLinePropertiesAndBuiltinsBeforeTheFirstStatement) {
  const std::string probe_name = "probe.txt";
  SetupDir s = make_setup("properties", payload_of({{"Probe Variables", {"$EXEDIR$..\\" + probe_name}},
                                                 Set("TARGETDIR", "C:\\from-script")}),
                       QEL_PROBE_EXE);
  ASSERT_EQ(run(s, "TARGETDIR=C:\\from-cmd myprop=hello"), 0u);
  const auto values = read_probe(s.root + probe_name);
  ASSERT_FALSE(values.empty());
  auto get = [&](const char* name) {
    auto it = values.find(name);
    return it == values.end() ? std::string("<absent>") : it->second;
  };
  EXPECT_EQ(get("TARGETDIR"), "C:\\from-cmd");
  EXPECT_EQ(get("MYPROP"), "hello");
  EXPECT_EQ(get("SETUPPATH"), "$EXEDIR$");
  EXPECT_EQ(get("TITLE"), "Test Product");
  EXPECT_EQ(get("VERSION"), "1.2.3");
  EXPECT_EQ(get("COMPANY"), "Fernmoor");
  EXPECT_EQ(get("SILENT"), "TRUE");
  EXPECT_EQ(get("MAINTENANCE"), "FALSE");
  EXPECT_EQ(get("REVISIONCODE"), kRevision);
  EXPECT_EQ(get("WIZARD"), "NEXT");
  EXPECT_EQ(get("OXLE_TIMEOUT"), "10");
  EXPECT_EQ(get("ABORT"), "FALSE");
  EXPECT_NE(get("DATE"), "");
  EXPECT_NE(get("TIME"), "");
  EXPECT_NE(get("ENGINECACHE").find(std::string(kRevision) + "\\"), std::string::npos);
  // EXEDIR: the setup folder with a trailing backslash (Wine reports it with Z:).
  const std::string exedir = get("EXEDIR");
  ASSERT_FALSE(exedir.empty());
  EXPECT_EQ(exedir.back(), '\\');
  EXPECT_EQ(get("EXEFILE"), exedir + "setup.exe");
  EXPECT_EQ(get("ROOTDIR"), exedir);
}

TEST(EngineE2E, SingleInstanceMarker) {
  SetupDir s = make_setup("single", payload_of({{"Terminate with Exit Code", {"9"}}}, {"SINGLEINSTANCE", "TRUE"}));
  const std::string marker = s.temp + kRevision + ".qel";
  // A first run that is still going: its marker exists, the second run does nothing.
  HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(run(s), 0u);
  const std::vector<std::string> lines = trace_lines(s);
  EXPECT_FALSE(has_line(lines, "    <oxle>"));
  EXPECT_TRUE(has_line(lines, "  </RunScript>"));

  DeleteFileA(marker.c_str());
  EXPECT_EQ(run(s), 9u);
  EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the run removes its marker";
  EXPECT_EQ(run(s), 9u) << "a new run starts after the first ended";
}

TEST(EngineE2E, ExceptionEndsTheScriptWithoutEndTags) {
  // A version comparison on a malformed version raises.
  SetupDir s = make_setup("exception", payload_of({Set("V", "a.b"), If("V", "6", "1.0"), Bare("End"),
                                                {"Terminate with Exit Code", {"5"}}}));
  EXPECT_EQ(run(s), 0u);
  const std::vector<std::string> lines = trace_lines(s);
  EXPECT_TRUE(has_line(lines, "    <oxle>"));
  EXPECT_FALSE(has_line(lines, "    </oxle>"));
  EXPECT_FALSE(has_line(lines, "    <ExitScript>"));
  EXPECT_TRUE(has_line(lines, "  </RunScript>"));
  EXPECT_TRUE(has_line(lines, "</Oakhollow>"));
}

}  // namespace
}  // namespace qel
