#include "commands/string_commands.h"

#include <mutex>

#include "commands/ansi_case.h"
#include "commands/bitness.h"
#include "commands/catalogue.h"
#include "commands/long_path.h"
#include "commands/path_parts.h"
#include "commands/platform_hooks.h"
#include "commands/string_parts.h"
#include "commands/text_files.h"
#include "engine/ascii.h"
#include "engine/variables.h"

namespace qel::commands {

namespace {
std::mutex g_temp_mutex;
std::string g_temp_folder;
bool g_temp_folder_set = false;

constexpr std::string_view kReadAllPrefix = "#READALL\\";
}  // namespace

void SetEngineTempFolder(std::string_view folder) {
  std::lock_guard lock(g_temp_mutex);
  g_temp_folder = folder;
  g_temp_folder_set = true;
}

void ParseStringCommand(const CommandParams& p) {
  const std::string source = p.path(1);
  const std::string pattern = p.path(2);
  const std::string first_name = p.plain_name(3);
  const std::string second_name = p.plain_name(4);
  p.declare(first_name);
  p.declare(second_name);
  const StringParts parts = SplitString(source, pattern, p.number(5), p.flag(6), p.flag(7));
  p.assign(first_name, parts.first);
  p.assign(second_name, parts.second);
}

void ReplaceStringCommand(const CommandParams& p) {
  const std::string name = p.variable_name(1);
  const std::string value = p.vars().ReadVariable(name);
  const std::string result = ReplaceText(value, p.text(2), p.text(3), p.flag(4), p.flag(5));
  p.assign(ToUpperAscii(name), result);
}

void ConvertCaseCommand(const CommandParams& p) {
  const std::string name = p.plain_name(1);
  const std::string value = p.vars().ExpandNormalized(p.vars().ReadVariable(name));
  p.assign(name, p.flag(2) ? AnsiUpperText(value) : AnsiLowerText(value));
}

void ConvertPathCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const std::string name = p.plain_name(1);
  PlatformHooks().before_path_parameter();
  const std::string value = p.vars().ExpandNormalized(p.vars().ReadVariable(name));
  std::string result;
  if (p.flag(2))
    result = PlatformHooks().short_path(value);
  else
    result = LongPathName(value, PlatformHooks().find_file_name);
  p.assign(name, result);
}

void ExtractPathCommand(const CommandParams& p) {
  const std::string name = p.plain_name(1);
  const std::string value = p.vars().ExpandNormalized(p.vars().ReadVariable(name));
  p.assign(name, ExtractPathPart(value, p.number(2)));
}

void GetTemporaryFileCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  std::string folder;
  {
    std::lock_guard lock(g_temp_mutex);
    folder = g_temp_folder_set ? g_temp_folder : p.vars().ReadVariable("TEMPDIR");
  }
  p.assign(p.variable_name(1), PlatformHooks().create_temp_file(folder));
}

void ReadFromTextFileCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  std::string path = p.path(1);
  bool read_all = false;
  if (path.compare(0, kReadAllPrefix.size(), kReadAllPrefix) == 0) {
    path.erase(0, kReadAllPrefix.size());
    read_all = true;
  }
  const std::string line_name = p.plain_name(2);
  const std::string end_name = p.plain_name(3);
  p.declare(line_name);
  p.declare(end_name);

  TextReader& reader = EngineTextReader();
  if (!reader.Holds(path)) {
    reader.Close();
    if (!reader.Open(path)) {
      p.assign(end_name, "TRUE");
      return;
    }
  }
  if (!reader.AtEnd()) p.assign(line_name, read_all ? reader.ReadAll() : reader.ReadLine());
  const bool at_end = reader.AtEnd();
  if (at_end) reader.Close();
  p.assign(end_name, BooleanText(at_end));
}

void WriteToTextFileCommand(const CommandParams& p) {
  RedirectionBracket bracket;
  const std::string path = p.path(1);
  const std::string line = p.text(2);
  TextReader& reader = EngineTextReader();
  if (reader.Holds(path)) reader.Close();
  AddLineToFile(path, line, p.flag(3));
}

void Set64BitModeCommand(const CommandParams& p) {
  SetBitnessMode(NextBitnessMode(BitnessMode(), p.text(1), p.text(2), p.text(3)));
}

void AddPortableCommandHandlers() {
  AddCommandHandler("Parse String", ParseStringCommand);
  AddCommandHandler("Replace String", ReplaceStringCommand);
  AddCommandHandler("Convert Case", ConvertCaseCommand);
  AddCommandHandler("Convert Path", ConvertPathCommand);
  AddCommandHandler("Extract Path", ExtractPathCommand);
  AddCommandHandler("Get Temporary File", GetTemporaryFileCommand);
  AddCommandHandler("Read from Text File", ReadFromTextFileCommand);
  AddCommandHandler("Write to Text File", WriteToTextFileCommand);
  AddCommandHandler("Set 64 Bit Mode", Set64BitModeCommand);
}

}  // namespace qel::commands
