#include <windows.h>

#include <gtest/gtest.h>

#include "commands/string_commands.h"
#include "commands/text_files.h"
#include "tests/commands/command_runner.h"

namespace qel::commands {
namespace {

using wine_testing::RunCommand;

TEST(GetTemporaryFile, CreatesAnEmptyQelFileInTheTempFolder) {
  const std::string folder = wine_testing::ScratchFolder("qeltmp");
  TVariableManager vars;
  vars.Set("TEMPDIR", folder);
  RunCommand(vars, "Get Temporary File", {"$T$"});
  const std::string path = vars.Get("T");
  ASSERT_EQ(path.rfind(folder + "\\qel", 0), 0u) << path;
  EXPECT_EQ(path.substr(path.size() - 4), ".tmp");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 0u);
  RunCommand(vars, "Get Temporary File", {"T2"});
  EXPECT_NE(vars.Get("T2"), path);
  DeleteFileA(path.c_str());
  DeleteFileA(vars.Get("T2").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(ConvertPath, ShortAndLongFormsRoundTrip) {
  const std::string folder = wine_testing::ScratchFolder("qelconv");
  const std::string long_dir = folder + "\\A Long Folder Name";
  ASSERT_TRUE(CreateDirectoryA(long_dir.c_str(), nullptr));
  char short_form[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(long_dir.c_str(), short_form, MAX_PATH), 0u);
  char long_form[MAX_PATH] = {};
  ASSERT_GT(GetLongPathNameA(short_form, long_form, MAX_PATH), 0u);

  TVariableManager vars;
  vars.Set("P", long_dir);
  RunCommand(vars, "Convert Path", {"P", "TRUE"});
  EXPECT_EQ(vars.Get("P"), short_form);
  // lower case, quotes and a trailing backslash: the stored names come back
  std::string lowered = std::string("\"") + short_form + "\\\"";
  for (char& c : lowered) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  vars.Set("P", lowered);
  RunCommand(vars, "Convert Path", {"P", "FALSE"});
  EXPECT_EQ(vars.Get("P").substr(3), std::string(long_form).substr(3));
  vars.Set("P", "C:\\no\\such\\folder");
  RunCommand(vars, "Convert Path", {"P", "FALSE"});
  EXPECT_EQ(vars.Get("P"), "C:\\no\\such\\folder");
  RemoveDirectoryA(long_dir.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(TextFiles, WriteThenReadBackUnderWindowsPaths) {
  const std::string folder = wine_testing::ScratchFolder("qeltext");
  TVariableManager vars;
  vars.Set("DIR", folder);
  for (const char* line : {"alpha", "beta", "gamma"}) RunCommand(vars, "Write to Text File", {"$DIR$\\\\out.txt", line, ""});
  SetFileAttributesA((folder + "\\out.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  RunCommand(vars, "Write to Text File", {"$DIR$\\out.txt", "top", "TRUE"});  // attributes reset first
  RunCommand(vars, "Read from Text File", {"#READALL\\$DIR$\\OUT.TXT", "L", "E"});
  EXPECT_EQ(vars.Get("L"), "top$NEWLINE$alpha$NEWLINE$beta$NEWLINE$gamma");
  EXPECT_EQ(vars.Get("E"), "TRUE");
  EngineTextReader().Close();
  DeleteFileA((folder + "\\out.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace qel::commands
