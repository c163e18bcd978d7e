// The stub's command line as pure functions.
//
// Parameters are split the classic way of Windows GUI programs: blanks (space, tab)
// separate parameters; every double quote toggles a quoted run in which blanks are
// kept, and the quotes themselves are removed (so "a""b" is ab, and a"b c"d is one
// parameter ab cd). Backslashes are ordinary characters: "C:\x\" stays as written.
// The program part is not a parameter.
#pragma once

#include <string>
#include <string_view>

#include "engine/payload.h"

namespace qel {

// The raw command line without the program part: a leading quoted program path is
// removed with its closing quote and one separator character; otherwise everything
// up to and including the first space; no space gives an empty tail.
std::string command_tail(std::string_view raw);

// The parameters of a tail (see above).
StringList split_parameters(std::string_view tail);

struct CommandLine {
  std::string tail;
  StringList parameters;
  bool silent = false;              // "s" or "qn" after "/" or "-", any case
  bool windows_suppressed = false;  // silent, or "update"/"updatesetup" after "/" or "-"
  std::string trace_path;           // "/l=" or "-l="
  std::string gpo_path;             // "/g="
  std::string sfx_path;             // "/m="
  std::string alternative_source;   // "/p=" or "-p="
  StringList properties;            // pairs: upper-cased name, value as given
};

// Switch values: the whole parameter lower-cased with its first three characters
// removed (so "/L=C:\Log.txt" gives "c:\log.txt").
CommandLine parse_command_line(std::string_view raw);

}  // namespace qel
