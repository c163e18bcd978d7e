#include "lang/language_names.h"

#include <cctype>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#endif

namespace qel {
namespace {

struct LanguageEntry {
  const char* name;
  int id;
};

constexpr LanguageEntry kLanguages[] = {
    {"Arabic", 1025},
    {"Catalan", 1027},
    {"Chinese (Taiwan)", 1028},
    {"Chinese (PRC)", 2052},
    {"Czech", 1029},
    {"Danish", 1030},
    {"German", 1031},
    {"Greek", 1032},
    {"English", 1033},
    {"Spanish", 3082},
    {"Estonian", 1061},
    {"Finnish", 1035},
    {"French", 1036},
    {"Hebrew", 1037},
    {"Hungarian", 1038},
    {"Italian", 1040},
    {"Japanese", 1041},
    {"Korean", 1042},
    {"Lithuanian", 1063},
    {"Latvian", 1062},
    {"Dutch", 1043},
    {"Norwegian", 1044},
    {"Polish", 1045},
    {"Portugese (Brazil)", 1046},
    {"Portugese (Portugal)", 2070},
    {"Romanian", 1048},
    {"Russian", 1049},
    {"Croatian", 1050},
    {"Slovak", 1051},
    {"Swedish", 1053},
    {"Thai", 1054},
    {"Turkish", 1055},
    {"Slovenian", 1060},
    {"Vietnamese", 1066},
    {"Basque", 1069},
};
static_assert(std::size(kLanguages) == 35);

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

int language_id(std::string_view name) {
  for (const LanguageEntry& e : kLanguages)
    if (iequals(e.name, name)) return e.id;
  return 1033;
}

std::string table_language_name(int id) {
  for (const LanguageEntry& e : kLanguages)
    if (e.id == id) return e.name;
  return {};
}

std::string language_name(int id, EnglishLanguageNameOf english_name_of) {
  std::string name = table_language_name(id);
  if (!name.empty()) return name;
  if (english_name_of) name = table_language_name(language_id(english_name_of(id)));
  return name.empty() ? std::string("English") : name;
}

#ifdef _WIN32
namespace {
std::string windows_english_language_name(int id) {
  char buffer[260] = {};
  const LCID lcid = MAKELCID(static_cast<LANGID>(id), SORT_DEFAULT);
  if (GetLocaleInfoA(lcid, LOCALE_SENGLANGUAGE, buffer, sizeof buffer) == 0) return {};
  return buffer;
}
}  // namespace

std::string user_language_name() {
  return language_name(LANGIDFROMLCID(GetUserDefaultLCID()), &windows_english_language_name);
}
#else
std::string user_language_name() { return "English"; }
#endif

}  // namespace qel
