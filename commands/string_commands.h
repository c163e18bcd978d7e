// "Parse String", "Replace String", "Convert Case", "Convert Path",
// "Extract Path", "Get Temporary File", "Read from Text File",
// "Write to Text File" and "Set 64 Bit Mode".
#pragma once

#include <string>
#include <string_view>

#include "commands/command_params.h"

namespace qel::commands {

// The temporary folder "Get Temporary File" uses: set at start-up; while
// unset, the value of TEMPDIR.
void SetEngineTempFolder(std::string_view folder);

void ParseStringCommand(const CommandParams& p);
void ReplaceStringCommand(const CommandParams& p);
void ConvertCaseCommand(const CommandParams& p);
void ConvertPathCommand(const CommandParams& p);
void ExtractPathCommand(const CommandParams& p);
void GetTemporaryFileCommand(const CommandParams& p);
void ReadFromTextFileCommand(const CommandParams& p);
void WriteToTextFileCommand(const CommandParams& p);
void Set64BitModeCommand(const CommandParams& p);

}  // namespace qel::commands
