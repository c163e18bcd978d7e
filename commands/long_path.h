// The long form of a path, component by component from the root.
#pragma once

#include <string>
#include <string_view>

namespace qel::commands {

// finder(path, name) reports the stored name of the last component of path.
using NameFinder = bool (*)(const std::string& path, std::string& name);

// Removes every double quote and one trailing backslash, then replaces each
// component by the name the finder reports for the path up to it. A level
// that cannot be found keeps its input unchanged; components with wildcards
// are never looked up.
std::string LongPathName(std::string_view path, NameFinder finder);

}  // namespace qel::commands
