// The demo setup, built by qelbuild, run silently under Wine: full exit code
// through CreateProcessA/GetExitCodeProcess, a complete trace log, and nothing
// left behind in its temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

struct ProcessRun {
  DWORD exit_code = 0;
  bool finished = false;
};

// Runs the command line with TMP and TEMP pointing at temp_folder.
ProcessRun run_setup(const std::string& command_line, const std::string& temp_folder) {
  std::string environment;
  for (const char* p = GetEnvironmentStringsA(); *p; p += std::strlen(p) + 1) {
    const std::string entry = p;
    if (_strnicmp(p, "TMP=", 4) != 0 && _strnicmp(p, "TEMP=", 5) != 0) environment += entry + '\0';
  }
  environment += "TMP=" + temp_folder + '\0' + "TEMP=" + temp_folder + '\0' + '\0';
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = command_line;
  ProcessRun r;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, environment.data(), nullptr, &si, &pi))
    return r;
  r.finished = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
  GetExitCodeProcess(pi.hProcess, &r.exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return r;
}

// A UTF-16LE text file as 8-bit lines (code units above 255 become "?").
std::vector<std::string> utf16_lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  const std::string bytes = s.str();
  std::vector<std::string> lines(1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (unit == 0xFEFF && i == 0) continue;
    if (unit == '\r') continue;
    if (unit == '\n') {
      lines.emplace_back();
      continue;
    }
    lines.back().push_back(unit < 256 ? static_cast<char>(unit) : '?');
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

std::string trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  return a == std::string::npos ? std::string() : s.substr(a);
}

class DemoSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::path(QEL_RUN_ROOT) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(root / "temp");
  }
  fs::path root;
};

TEST_F(DemoSetupTest, SilentRunEndsWithCodeZeroAndACompleteTrace) {
  const std::string trace = (root / "trace.log").string();
  const ProcessRun r = run_setup("\"" QEL_DEMO_SETUP "\" /s /l=" + trace, (root / "temp").string());
  ASSERT_TRUE(r.finished) << "the setup did not end within two minutes";
  EXPECT_EQ(r.exit_code, 0u);

  std::vector<std::string> tags;
  for (const std::string& l : utf16_lines(trace)) tags.push_back(trimmed(l));
  ASSERT_FALSE(tags.empty()) << "no trace log at " << trace;
  // The stub's own steps, in order, each closed.
  const std::vector<std::string> stub_steps = {
      "<Oakhollow>",  "<SupportDir>", "</SupportDir>",  "<SetupSplash>",    "<StubSize>",
      "</StubSize>",  "<StubData>",   "</StubData>",    "<GlobalLists>",    "</GlobalLists>",
      "<ExtractArchive>", "</ExtractArchive>", "<ResourcePath>", "</ResourcePath>", "<Dialogs>",
      "</Dialogs>",   "</SetupSplash>", "<RunScript>",  "</RunScript>",     "<Free>",
      "</Free>",      "<CachedSupportDir>", "</CachedSupportDir>", "</Oakhollow>"};
  size_t at = 0;
  for (const std::string& t : tags)
    if (at < stub_steps.size() && t == stub_steps[at]) ++at;
  EXPECT_EQ(at, stub_steps.size()) << "missing or out of order: " << stub_steps[std::min(at, stub_steps.size() - 1)];
  // Whatever the engine writes inside: every tag that opens is closed again.
  std::vector<std::string> open;
  for (const std::string& t : tags) {
    if (t.size() < 3 || t.front() != '<' || t.back() != '>') continue;
    if (t[1] == '/') {
      ASSERT_FALSE(open.empty()) << "closing " << t << " without an opening tag";
      EXPECT_EQ(open.back(), t.substr(2, t.size() - 3));
      open.pop_back();
    } else if (t[1] != ' ') {  // "<  detail  >" lines carry values, not tags
      open.push_back(t.substr(1, t.size() - 2));
    }
  }
  EXPECT_TRUE(open.empty()) << "unclosed: " << (open.empty() ? "" : open.back());
  EXPECT_EQ(tags.back(), "</Oakhollow>");

  // The support folder (qel1) is removed again.
  for (const auto& e : fs::directory_iterator(root / "temp"))
    EXPECT_NE(e.path().filename().string().rfind("qel", 0), 0u) << "left behind: " << e.path().string();
}

}  // namespace
