// "Extract Path": the parts of a normalized path.
#pragma once

#include <string>
#include <string_view>

namespace qel::commands {

std::string FileNameOf(std::string_view path);       // after the last "\" or ":"
std::string ExtensionOf(std::string_view path);      // with its dot; "" when none
std::string FolderOf(std::string_view path);         // up to and with the last "\" or ":"
std::string DriveOf(std::string_view path);          // "C:" or "\\server\share"; "" otherwise

// Part 0-6 of the path; any other number returns the path unchanged.
std::string ExtractPathPart(std::string_view path, int part);

}  // namespace qel::commands
