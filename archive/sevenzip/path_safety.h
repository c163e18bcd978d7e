// Entry names come from outside: turn them into relative path components that stay
// inside the target folder, or refuse them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qel::archive {

// Splits on '/' and '\', dropping empty and "." components. Throws UnsafePathError
// (naming the entry) for absolute, drive or UNC names, "..", ':' anywhere, device
// names (CON, NUL, COM1, LPT1, ...; with or without extension), components ending in
// a dot or space, and characters Windows does not allow in file names.
std::vector<std::string> safe_path_components(std::string_view entry_name);

// The reason a single component is refused, or empty when it is acceptable.
std::string unsafe_component_reason(std::string_view component);

}  // namespace qel::archive
