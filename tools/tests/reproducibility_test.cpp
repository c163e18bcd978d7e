// Two builds of the same inputs are byte-identical; a changed input changes the
// revision code.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "tools/tests/builder_fixture.h"

namespace qel::build {
namespace {
namespace fs = std::filesystem;
using testing::build_script;
using testing::read_bytes;
using testing::ScratchFolder;

std::map<std::string, std::string> folder_bytes(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    out[fs::relative(e.path(), root).generic_string()] = e.is_regular_file() ? read_bytes(e.path()) : "<dir>";
  return out;
}

const char* kScript =
    "[Setup]\nTitle = Same\nProductCode = {12345678-1234-1234-1234-123456789ABC}\n"
    "[Resources]\nres\n"
    "[Script]\n"
    "Install Files\n  | \n  |\n  | $TARGETDIR$\n  + files\n"
    "Write Registry\n  | 0\n  | 1\n  | K\n  | V\n  | D\n  | TRUE\n  | FALSE\n";

void write_inputs(const ScratchFolder& s) {
  s.write("files/a.txt", "alpha");
  s.write("files/deep/b.dll", std::string(4000, '\xE8'));
  s.write("res/page.dfm", "object P: TForm\nend\n");
  s.write("res/plug.dll", "MZ plug-in");
}

TEST(Reproducibility, TwoBuildsAreByteIdentical) {
  ScratchFolder scratch;
  write_inputs(scratch);
  const fs::path one = build_script(scratch, kScript, "one").parent_path();
  const fs::path two = build_script(scratch, kScript, "two").parent_path();
  const auto a = folder_bytes(one), b = folder_bytes(two);
  // setup.exe, qel.lib, setup.res, data, the source marker, the header's folder
  // with a.txt and deep/b.dll.
  EXPECT_EQ(a.size(), 9u);
  EXPECT_EQ(a, b);
}

TEST(Reproducibility, RebuildIntoTheSameFolderDropsStaleDataFiles) {
  ScratchFolder scratch;
  write_inputs(scratch);
  build_script(scratch, kScript, "out");
  fs::remove(scratch.path() / "files/a.txt");
  const fs::path out = build_script(scratch, kScript, "out").parent_path();
  for (const auto& [name, bytes] : folder_bytes(out)) EXPECT_EQ(name.find("a.txt"), std::string::npos) << name;
}

TEST(Reproducibility, SourceDateEpochFixesArchiveTimes) {
  ScratchFolder scratch;
  write_inputs(scratch);
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  const std::string first = read_bytes(build_script(scratch, kScript, "a").parent_path() / "setup.res");
  fs::last_write_time(scratch.path() / "res/page.dfm", fs::file_time_type::clock::now() - std::chrono::hours(50));
  const std::string second = read_bytes(build_script(scratch, kScript, "b").parent_path() / "setup.res");
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_EQ(first, second);
  const std::string third = read_bytes(build_script(scratch, kScript, "c").parent_path() / "setup.res");
  EXPECT_NE(first, third) << "without SOURCE_DATE_EPOCH the file times are stored";
}

TEST(Reproducibility, RevisionCodeFollowsContentUnlessPinned) {
  struct Case {
    std::string label;
    std::function<void(const ScratchFolder&)> change;
    bool pinned;
    bool same;
  };
  const Case cases[] = {
      {"nothing", [](const ScratchFolder&) {}, false, true},
      {"installed_file", [](const ScratchFolder& s) { s.write("files/a.txt", "beta"); }, false, false},
      {"resource", [](const ScratchFolder& s) { s.write("res/page.dfm", "object Q: TForm\nend\n"); }, false, false},
      {"installed_file_pinned", [](const ScratchFolder& s) { s.write("files/a.txt", "beta"); }, true, true},
  };
  for (const Case& c : cases) {
    ScratchFolder scratch;
    write_inputs(scratch);
    std::string script = kScript;
    if (c.pinned) script.insert(script.find("[Resources]"), "RevisionCode = {AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\n");
    const Payload before = testing::read_built_payload(build_script(scratch, script, "before"));
    c.change(scratch);
    const Payload after = testing::read_built_payload(build_script(scratch, script, "after"));
    EXPECT_EQ(before.revision_code == after.revision_code, c.same) << c.label;
    EXPECT_EQ(before.keys, after.keys) << c.label;
  }
}

}  // namespace
}  // namespace qel::build
