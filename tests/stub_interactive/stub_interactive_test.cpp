// The shipped qelstub.exe run as a user runs it, without the silent switch: the
// message boxes it shows (caption, text from the lang.loc behind qel.lib), the
// switches that silence it, support-folder numbering and the failure path that
// ends with exit code 11.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/payload.h"
#include "lang/language_names.h"
#include "lang/language_strings.h"
#include "tests/stub_interactive/setup_fixture.h"

namespace qel::interactive {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kCaption = "Oakhollow Wizard";

std::string command(const SetupFolder& f, const std::string& arguments) {
  std::string line = "\"";
  line.append(f.exe()).append("\"");
  if (!arguments.empty()) line.append(" ").append(arguments);
  return line;
}

// The language strings the stub should pick for this user.
const LanguageStrings& expected_strings() {
  static const LanguageStrings strings = parse_language_strings(read_bytes(lang_loc_file()), user_language_name());
  return strings;
}

// Trace bytes -> lines; fails on anything but UTF-16LE ASCII lines ending in CR LF.
Lines trace_lines(const std::string& bytes) {
  Lines out;
  EXPECT_EQ(bytes.size() % 2, 0u) << "odd byte count";
  std::string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    EXPECT_EQ(bytes[i + 1], '\0') << "not UTF-16LE ASCII at byte " << i;
    text.push_back(bytes[i]);
  }
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: " << text.substr(pos);
      break;
    }
    out.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return out;
}

// The driver's preparation lines up to and including `last`.
Lines preparation_until(const std::string& last) {
  static const Lines preparation = {
      "<Oakhollow>",       "    <SupportDir>",   "    </SupportDir>",   "  <SetupSplash>",
      "    <StubSize>",    "    </StubSize>",    "    <StubData>",      "    </StubData>",
      "    <GlobalLists>", "    </GlobalLists>", "    <ExtractArchive>",
  };
  Lines lines;
  for (const std::string& l : preparation) {
    lines.push_back(l);
    if (l == last) break;
  }
  return lines;
}

std::string payload_text() { return write_payload(empty_script_payload()); }

class StubInteractive : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(wait_for_desktop()) << "this Wine prefix cannot create windows"; }
};

// ---------------------------------------------------------------------------

enum class Resources { kNone, kNotAnArchive, kTruncated };

TEST_F(StubInteractive, EarlyEndingsShowTheirMessageAndKeepTheSupportFolder) {
  struct Case {
    const char* name;
    bool with_payload;
    Resources resources;
    DWORD exit_code;
    int language_line;  // 0: "For internal use only"
    const char* last_trace_line;
  } cases[] = {
      {"nopayload", false, Resources::kNone, 13, 0, "    <StubSize>"},
      {"noresources", true, Resources::kNone, 14, 2, "    <ExtractArchive>"},
      {"notanarchive", true, Resources::kNotAnArchive, 15, 3, "    <ExtractArchive>"},
      {"truncatedarchive", true, Resources::kTruncated, 15, 3, "    <ExtractArchive>"},
  };
  ASSERT_FALSE(expected_strings()[1].empty()) << "no language strings in " << lang_loc_file();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetupFolder f(std::string("early-") + c.name);
    f.install_stub(c.with_payload ? payload_text() : std::string());
    if (c.resources == Resources::kNotAnArchive) f.install_resources("these bytes are not a 7z archive\r\n");
    if (c.resources == Resources::kTruncated) f.install_resources(read_bytes(good_resource_archive()).substr(0, 40));
    const std::string trace = f.root + "trace.log";
    const RunResult r = run_setup(command(f, "\"/l=" + trace + "\""), f.temp);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exit_code, c.exit_code);
    ASSERT_EQ(r.boxes.size(), 1u);
    EXPECT_EQ(r.boxes[0].caption, kCaption);
    EXPECT_EQ(r.boxes[0].text,
              c.language_line ? expected_strings()[c.language_line - 1] : std::string("For internal use only"));
    // Only the empty support folder stays: the payload file and lang.loc are gone.
    EXPECT_EQ(folder_entries(f.temp), Lines{"qel1"});
    EXPECT_EQ(folder_entries(f.temp + "qel1"), Lines{});
    EXPECT_EQ(trace_lines(read_bytes(trace)), preparation_until(c.last_trace_line));
  }
}

// Seen through the message box of a setup whose resource archive is missing.
TEST_F(StubInteractive, OnlySOrQnAfterASlashOrDashSilenceTheMessages) {
  struct Case {
    const char* arguments;
    bool silent;
    bool windows_suppressed;
  } cases[] = {
      {"", false, false},          {"/s", true, true},           {"-S", true, true},
      {"/qn", true, true},         {"-QN", true, true},          {"s", false, false},
      {"/sx", false, false},       {"NAME=/s", false, false},    {"\"/s\"", true, true},
      {"/update", false, true},    {"-UpdateSetup", false, true}, {"A=1 /Qn B=2", true, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    SetupFolder f("switch-" + std::to_string(n++));
    f.install_stub(payload_text());
    const RunResult r = run_setup(command(f, c.arguments), f.temp);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exit_code, 14u);
    EXPECT_EQ(r.boxes.size(), c.silent ? 0u : 1u);
    // With the windows suppressed the process shows nothing but message boxes.
    if (c.windows_suppressed) {
      EXPECT_EQ(r.other_windows, Lines{});
    }
  }
}

TEST_F(StubInteractive, SupportFolderTakesTheFirstFreeNumber) {
  struct Case {
    const char* name;
    Lines folders;
    Lines files;
    const char* chosen;
  } cases[] = {
      {"empty", {}, {}, "qel1"},
      {"gap", {"qel2"}, {}, "qel1"},
      {"one-two", {"qel1", "qel2"}, {}, "qel3"},
      {"file-in-the-way", {"qel1"}, {"qel2"}, "qel3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetupFolder f(std::string("number-") + c.name);
    f.install_stub("");  // no payload: the run ends with the chosen folder left behind
    for (const std::string& d : c.folders) make_folders(f.temp + d);
    for (const std::string& file : c.files) write_bytes(f.temp + file, "x");
    Lines expected = c.folders;
    expected.insert(expected.end(), c.files.begin(), c.files.end());
    expected.push_back(c.chosen);
    std::sort(expected.begin(), expected.end());
    const RunResult r = run_setup(command(f, "/s"), f.temp);
    EXPECT_EQ(r.exit_code, 13u);
    EXPECT_EQ(folder_entries(f.temp), expected);
  }
}

// The archive holds a read-only file and a sub-folder; nothing of it may stay.
TEST_F(StubInteractive, CompleteRunRemovesReadOnlyExtractedFiles) {
  SetupFolder f("complete-readonly");
  f.install_stub(payload_text());
  f.install_resources(read_bytes(good_resource_archive()));
  const RunResult r = run_setup(command(f, "/s"), f.temp);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(folder_entries(f.temp), Lines{});
  // No trace switch: no trace file anywhere in the case folder.
  EXPECT_EQ(folder_entries(f.root), (Lines{"Setup Folder", "temp"}));
}

// A quoted program path with a space, then a quoted switch with spaces among
// properties and an unknown switch.
TEST_F(StubInteractive, QuotedUpperCaseTraceSwitchWritesToTheLowerCasedPath) {
  SetupFolder f("trace-quoted");
  f.install_stub(payload_text());
  f.install_resources(read_bytes(good_resource_archive()));
  make_folders(f.root + "Trace Files");
  const std::string arguments = "Target=C:\\Some \"/L=" + f.root + "Trace Files\\Run Log.TXT\" /S -x=1";
  const RunResult r = run_setup(command(f, arguments), f.temp);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exit_code, 0u);
  // The name on disk keeps the case the file was created with.
  EXPECT_EQ(folder_entries(f.root + "Trace Files"), Lines{"run log.txt"});
  const Lines lines = trace_lines(read_bytes(f.root + "Trace Files\\run log.txt"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "<Oakhollow>");
  EXPECT_EQ(lines.back(), "</Oakhollow>");
}

TEST_F(StubInteractive, TraceInAMissingFolderIsLostQuietly) {
  SetupFolder f("trace-missing-folder");
  f.install_stub(payload_text());
  f.install_resources(read_bytes(good_resource_archive()));
  const RunResult r = run_setup(command(f, "/l=" + f.root + "absent\\trace.log"), f.temp);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_FALSE(folder_exists(f.root + "absent"));
}

// A real failure between reading the payload and freeing the lists: the payload
// file cannot be written where a folder of its name stands.
TEST_F(StubInteractive, FailureEndsWithCode11AndStillCleansUp) {
  for (bool silent : {true, false}) {
    SCOPED_TRACE(silent ? "silent" : "shown");
    SetupFolder f(silent ? "failure-silent" : "failure-shown");
    f.install_stub(payload_text());
    f.install_resources(read_bytes(good_resource_archive()));
    make_folders(f.temp + "qel.tmp");
    const std::string trace = f.root + "trace.log";
    const RunResult r = run_setup(command(f, std::string(silent ? "/s " : "") + "\"/l=" + trace + "\""), f.temp);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exit_code, 11u);
    EXPECT_EQ(folder_entries(f.temp), Lines{"qel.tmp"}) << "the support folder is removed";
    Lines expected = preparation_until("    <StubData>");
    for (const char* l : {"  <CachedSupportDir>", "  </CachedSupportDir>", "</Oakhollow>"}) expected.push_back(l);
    EXPECT_EQ(trace_lines(read_bytes(trace)), expected);
    if (silent) {
      EXPECT_TRUE(r.boxes.empty());
    } else {
      ASSERT_EQ(r.boxes.size(), 1u);
      EXPECT_EQ(r.boxes[0].caption, kCaption);
      const std::string& prefix = expected_strings()[4];
      ASSERT_FALSE(prefix.empty());
      EXPECT_EQ(r.boxes[0].text.substr(0, prefix.size()), prefix);
      EXPECT_GT(r.boxes[0].text.size(), prefix.size()) << "the failure text follows the prefix";
    }
  }
}

}  // namespace
}  // namespace qel::interactive
