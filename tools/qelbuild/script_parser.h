// Reads the text form of a setup script (documented in docs/script-format.md).
#pragma once

#include <string>
#include <string_view>

#include "tools/qelbuild/script_document.h"

namespace qel::build {

// Parses the whole script. Throws BuildFailed with every format error found
// (each with its line).
ScriptDocument parse_script(std::string_view text, const std::string& file_name);

}  // namespace qel::build
