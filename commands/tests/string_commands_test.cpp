#include "commands/string_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "commands/bitness.h"
#include "commands/parameter_kinds.h"
#include "commands/tests/command_fixture.h"
#include "commands/text_files.h"

namespace qel::commands {
namespace {

using testing::MakeParams;

TEST(ParseStringCommand, AssignsOnlyNamedParts) {
  TVariableManager vars;
  vars.Set("SRC", "key=value");
  ParseStringCommand(MakeParams(vars, "Parse String", {"$SRC$", "=", "K", "V", "0", "FALSE", "FALSE"}));
  EXPECT_EQ(vars.Get("K"), "key");
  EXPECT_EQ(vars.Get("V"), "value");

  ParseStringCommand(MakeParams(vars, "Parse String", {"a;b", ";", "", "ONLY2", "0", "", ""}));
  EXPECT_EQ(vars.Get("ONLY2"), "b");
  EXPECT_FALSE(vars.Exists(""));
}

TEST(ParseStringCommand, BadModeEndsTheStatementWithConversionError) {
  TVariableManager vars;
  EXPECT_THROW(ParseStringCommand(MakeParams(vars, "Parse String", {"abc", "b", "A", "B", "first", "", ""})),
               ConversionError);
}

TEST(ReplaceStringCommand, DollarWrappedNameAndUpperCasedResult) {
  TVariableManager vars;
  vars.Set("path", "C:\\Old\\old.txt");
  ReplaceStringCommand(MakeParams(vars, "Replace String", {"$path$", "old", "new", "TRUE", "TRUE"}));
  EXPECT_EQ(vars.Get("PATH"), "C:\\new\\new.txt");
  // an undefined variable reads as empty and stays empty
  ReplaceStringCommand(MakeParams(vars, "Replace String", {"NOPE", "a", "b", "", ""}));
  EXPECT_EQ(vars.Get("NOPE"), "");
}

TEST(ConvertCaseCommand, NormalizesThenConverts) {
  TVariableManager vars;
  vars.Set("V", "C:\\\\Dir\\\\\xE9t\xE9");
  ConvertCaseCommand(MakeParams(vars, "Convert Case", {"V", "TRUE"}));
  EXPECT_EQ(vars.Get("V"), "C:\\DIR\\\xC9T\xC9");
  ConvertCaseCommand(MakeParams(vars, "Convert Case", {"V", "FALSE"}));
  EXPECT_EQ(vars.Get("V"), "c:\\dir\\\xE9t\xE9");
}

TEST(ExtractPathCommand, ReplacesTheVariable) {
  TVariableManager vars;
  vars.Set("F", "C:\\a\\\\b.txt");
  ExtractPathCommand(MakeParams(vars, "Extract Path", {"F", "2"}));
  EXPECT_EQ(vars.Get("F"), "txt");
  vars.Set("F", "C:\\a\\b.txt");
  EXPECT_THROW(ExtractPathCommand(MakeParams(vars, "Extract Path", {"F", "two"})), ConversionError);
}

TEST(Set64BitModeCommand, ExactTrueOnlyAndLastWins) {
  struct Case {
    std::vector<std::string> params;
    const char* expected;
  };
  const Case cases[] = {
      {{"TRUE", "TRUE", "TRUE"}, "x64"},
      {{"TRUE", "TRUE", "FALSE"}, "ia64"},
      {{"TRUE", "", ""}, "Win32"},
      {{"true", "true", "true"}, "start"},
      {{"-1", "", "-1"}, "start"},
      {{"", "", ""}, "start"},
  };
  TVariableManager vars;
  for (const Case& c : cases) {
    SetBitnessMode("start");
    Set64BitModeCommand(MakeParams(vars, "Set 64 Bit Mode", c.params));
    EXPECT_EQ(BitnessMode(), c.expected);
  }
  SetBitnessMode(kModeWin32);
}

class TextFileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    // Test programs run in parallel (and each test in a process of its own),
    // so the folder name must not repeat across processes.
    std::random_device random;
    dir_ = std::filesystem::temp_directory_path() /
           ("qel_text_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    EngineTextReader().Close();
    std::filesystem::remove_all(dir_);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void ReadLine(const std::string& file) {
    ReadFromTextFileCommand(MakeParams(vars_, "Read from Text File", {file, "LINE", "EOF"}));
  }

  TVariableManager vars_;
  std::filesystem::path dir_;
};

TEST_F(TextFileCommands, SuccessiveReadsWalkTheFileWithAnyLineEnd) {
  const std::string file = File("three.txt");
  Write(file, "one\r\ntwo\rthree\n");
  const std::pair<const char*, const char*> expected[] = {{"one", "FALSE"}, {"two", "FALSE"}, {"three", "TRUE"}};
  for (const auto& [line, eof] : expected) {
    ReadLine(file);
    EXPECT_EQ(vars_.Get("LINE"), line);
    EXPECT_EQ(vars_.Get("EOF"), eof);
  }
  // after the end the reader starts again at the top
  ReadLine(file);
  EXPECT_EQ(vars_.Get("LINE"), "one");
}

TEST_F(TextFileCommands, ReadAllJoinsLinesWithoutTrailingToken) {
  const std::string file = File("all.txt");
  Write(file, "a\r\nb\r\nc\r\n");
  ReadFromTextFileCommand(MakeParams(vars_, "Read from Text File", {"#READALL\\" + file, "LINE", "EOF"}));
  EXPECT_EQ(vars_.Get("LINE"), "a$NEWLINE$b$NEWLINE$c");
  EXPECT_EQ(vars_.Get("EOF"), "TRUE");
}

TEST_F(TextFileCommands, MissingFileSetsEndAndKeepsLine) {
  vars_.Set("LINE", "kept");
  ReadLine(File("missing.txt"));
  EXPECT_EQ(vars_.Get("LINE"), "kept");
  EXPECT_EQ(vars_.Get("EOF"), "TRUE");
}

TEST_F(TextFileCommands, AnotherFileRestartsFromItsFirstLine) {
  const std::string a = File("a.txt"), b = File("b.txt");
  Write(a, "a1\na2\na3\n");
  Write(b, "b1\nb2\n");
  ReadLine(a);
  ReadLine(a);
  EXPECT_EQ(vars_.Get("LINE"), "a2");
  ReadLine(b);
  EXPECT_EQ(vars_.Get("LINE"), "b1");
  ReadLine(a);
  EXPECT_EQ(vars_.Get("LINE"), "a1");
}

TEST_F(TextFileCommands, WriteCreatesAppendsInsertsAndResetsTheReader) {
  const std::string file = File("out.txt");
  WriteToTextFileCommand(MakeParams(vars_, "Write to Text File", {file, "first", "FALSE"}));
  EXPECT_EQ(Read(file), "first\r\n");
  vars_.Set("WORD", "second");
  WriteToTextFileCommand(MakeParams(vars_, "Write to Text File", {file, "$WORD$ \\\\x", ""}));
  WriteToTextFileCommand(MakeParams(vars_, "Write to Text File", {file, "top", "TRUE"}));
  EXPECT_EQ(Read(file), "top\r\nfirst\r\nsecond \\\\x\r\n");

  ReadLine(file);
  ReadLine(file);
  EXPECT_EQ(vars_.Get("LINE"), "first");
  WriteToTextFileCommand(MakeParams(vars_, "Write to Text File", {file, "last", ""}));
  ReadLine(file);
  EXPECT_EQ(vars_.Get("LINE"), "top");
}

TEST_F(TextFileCommands, WriteNormalizesLineEndsOfExistingFile) {
  const std::string file = File("mixed.txt");
  Write(file, "a\rb\nc");
  WriteToTextFileCommand(MakeParams(vars_, "Write to Text File", {file, "d", ""}));
  EXPECT_EQ(Read(file), "a\r\nb\r\nc\r\nd\r\n");
}

}  // namespace
}  // namespace qel::commands
