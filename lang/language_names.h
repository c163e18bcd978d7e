// The language-name table: 35 names with their Windows language identifiers.
#pragma once

#include <string>
#include <string_view>

namespace qel {

// The table's identifier for a name (any case); 1033 for any other name.
int language_id(std::string_view name);

// The table's mixed-case name for an identifier; "" when it is not in the table.
std::string table_language_name(int id);

// Identifier -> name as the engine does it: the table's name; otherwise the English
// language name that english_name_of gives (Windows: the locale's English language
// name) mapped through the table; a language the table still lacks gives "English".
using EnglishLanguageNameOf = std::string (*)(int id);
std::string language_name(int id, EnglishLanguageNameOf english_name_of);

// The user's language name from the default user locale's language identifier.
// Windows only (elsewhere "English").
std::string user_language_name();

}  // namespace qel
