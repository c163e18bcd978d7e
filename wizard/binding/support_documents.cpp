#include "wizard/binding/support_documents.h"

namespace qel::wizard::binding {

namespace {

const char* BaseName(Document d) {
  switch (d) {
    case Document::Readme: return "readme";
    case Document::Licence: return "license";
    case Document::Index: return "index";
    case Document::Movie: return "movie";
  }
  return "";
}

}  // namespace

std::vector<std::string> DocumentCandidates(std::string_view support_folder, Document document, Viewer viewer,
                                            std::string_view language) {
  std::string base = std::string(support_folder) + BaseName(document);
  std::string lang(1, '.');
  lang += language;
  switch (viewer) {
    case Viewer::Memo:
      return {base + lang + ".txt", base + ".txt"};
    case Viewer::RichEdit:
      return {base + lang + ".rtf", base + ".rtf", base + lang + ".txt", base + ".txt"};
    case Viewer::Html:
      return {base + lang + ".htm", base + ".htm"};
    case Viewer::Flash:
      return {base + lang + ".swf", base + ".swf"};
  }
  return {};
}

std::string MissingDocumentNotice(Document document, Viewer viewer, std::string_view language) {
  std::string name = BaseName(document);
  std::string lang(language);
  if (document == Document::Index)
    return "Add an index.htm file to your project to display it here, along with any other additional "
           "support/linked files.";
  if (document == Document::Movie) return "Add a movie.swf file to your project to display it here.";
  // Built by appending: chains of "literal" + string upset GCC 12's -Wrestrict.
  const char* first = viewer == Viewer::RichEdit ? "rtf" : "txt";
  std::string out = "Add a ";
  for (const char* part : {name.c_str(), ".", lang.c_str(), ".", first, " or ", name.c_str(), ".", first}) out += part;
  if (viewer == Viewer::RichEdit)
    for (const char* part : {", or ", name.c_str(), ".", lang.c_str(), ".txt or ", name.c_str(), ".txt"}) out += part;
  out += " file to your project as a support file/creative to display it here.";
  return out;
}

}  // namespace qel::wizard::binding
