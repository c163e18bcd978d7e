// Text conventions shared by every bound control: binding variable names taken
// from a control's Hint, the "$NEWLINE$" token for line breaks, multi-item
// values and the branding of page captions. Portable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qel::wizard::binding {

// Shown by no control: the value of a binding variable that does not exist.
inline constexpr std::string_view kNoValue = "$OXLENX$";
inline constexpr std::string_view kNewlineToken = "$NEWLINE$";
inline constexpr std::string_view kBrandingText = " - Oakhollow Wizard";

// The upper-cased variable name of a Hint: one pair of enclosing "$" stripped
// (a Hint not of that form is used whole); "" for an empty Hint.
std::string BindingVariableName(std::string_view hint);

// Line breaks (CR LF, lone LF or lone CR) become "$NEWLINE$".
std::string ToNewlineTokens(std::string_view text);
// "$NEWLINE$" (any case) becomes CR LF.
std::string FromNewlineTokens(std::string_view text);

// Each item followed by "$NEWLINE$": how multi-selections are stored.
std::string JoinItems(const std::vector<std::string>& items);
// The lines of a value: split at "$NEWLINE$" and at line breaks; empty lines dropped.
std::vector<std::string> ValueLines(std::string_view value);
// Lines of a displayed text (CR LF or LF), empty lines dropped: list items.
std::vector<std::string> NonEmptyLines(std::string_view text);

// With the logo switched on ("TRUE" in any case) the branding text is removed
// from the caption; otherwise it is appended unless the caption holds it.
std::string BrandCaption(std::string_view caption, std::string_view oxlelogo);

}  // namespace qel::wizard::binding
