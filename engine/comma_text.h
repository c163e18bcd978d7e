// Comma text: a list of strings joined by ",". An entry that is empty or plain is
// written as it is; one that holds a blank, a comma, a double quote or a control
// character is written inside double quotes with inner quotes doubled. Reading
// also splits at unquoted blanks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qel {

std::vector<std::string> SplitCommaText(std::string_view text);
std::string JoinCommaText(const std::vector<std::string>& entries);

}  // namespace qel
