// Readme and licence documents of memos, rich edits, HTML viewers and Flash
// frames: which support files are tried, in order, and the notice shown when
// none exists. Portable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qel::wizard::binding {

enum class Document { Readme, Licence, Index, Movie };
enum class Viewer { Memo, RichEdit, Html, Flash };

// Full paths under the support folder (with trailing backslash) for the active
// language L ("" when none: the language-specific names then hold ".." and
// normally do not exist).
std::vector<std::string> DocumentCandidates(std::string_view support_folder, Document document, Viewer viewer,
                                            std::string_view language);

// The text shown instead of a missing document.
std::string MissingDocumentNotice(Document document, Viewer viewer, std::string_view language);

}  // namespace qel::wizard::binding
