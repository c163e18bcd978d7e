#include "engine/comma_text.h"

namespace qel {
namespace {

bool IsBlank(char c) { return c >= 1 && c <= ' '; }

bool NeedsQuotes(std::string_view entry) {
  for (char c : entry) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= ' ' || c == '"' || c == ',') return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view text) {
  text = text.substr(0, text.find('\0'));  // the text ends at a NUL, as a C string would
  std::vector<std::string> entries;
  size_t p = 0;
  const size_t n = text.size();
  while (p < n && IsBlank(text[p])) ++p;
  while (p < n) {
    std::string entry;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            entry.push_back('"');
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        entry.push_back(text[p++]);
      }
    } else {
      size_t start = p;
      while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',') ++p;
      entry.assign(text.substr(start, p - start));
    }
    entries.push_back(std::move(entry));
    while (p < n && IsBlank(text[p])) ++p;
    if (p < n && text[p] == ',') {
      if (p + 1 == n) entries.emplace_back();  // a trailing comma closes an empty entry
      do {
        ++p;
      } while (p < n && IsBlank(text[p]));
    }
  }
  return entries;
}

std::string JoinCommaText(const std::vector<std::string>& entries) {
  if (entries.size() == 1 && entries[0].empty()) return "\"\"";
  std::string out;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i) out.push_back(',');
    const std::string& e = entries[i];
    if (!NeedsQuotes(e)) {
      out += e;
      continue;
    }
    out.push_back('"');
    for (char c : e) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  return out;
}

}  // namespace qel
