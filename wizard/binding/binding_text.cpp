#include "wizard/binding/binding_text.h"

#include "engine/ascii.h"

namespace qel::wizard::binding {

std::string BindingVariableName(std::string_view hint) {
  if (hint.size() >= 2 && hint.front() == '$' && hint.back() == '$') hint = hint.substr(1, hint.size() - 2);
  return ToUpperAscii(hint);
}

std::string ToNewlineTokens(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kNewlineToken;
    } else if (c == '\n') {
      out += kNewlineToken;
    } else {
      out += c;
    }
  }
  return out;
}

std::string FromNewlineTokens(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t at = FindNoCase(text, kNewlineToken, i);
    if (at == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, at - i));
    out += "\r\n";
    i = at + kNewlineToken.size();
  }
  return out;
}

std::string JoinItems(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) {
    out += item;
    out += kNewlineToken;
  }
  return out;
}

std::vector<std::string> NonEmptyLines(std::string_view text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty()) out.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return out;
}

std::vector<std::string> ValueLines(std::string_view value) { return NonEmptyLines(FromNewlineTokens(value)); }

std::string BrandCaption(std::string_view caption, std::string_view oxlelogo) {
  std::string out(caption);
  if (EqualsNoCase(oxlelogo, "TRUE")) {
    for (size_t at = out.find(kBrandingText); at != std::string::npos; at = out.find(kBrandingText, at))
      out.erase(at, kBrandingText.size());
    return out;
  }
  if (out.find(kBrandingText) == std::string::npos) out += kBrandingText;
  return out;
}

}  // namespace qel::wizard::binding
