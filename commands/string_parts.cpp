#include "commands/string_parts.h"

#include "commands/ansi_case.h"
#include "commands/parameter_kinds.h"

namespace qel::commands {

namespace {

// The 1-based characters from `from` to the end; a start before 1 counts as 1.
std::string TailFrom(std::string_view source, long long from) {
  if (from < 1) from = 1;
  if (from > static_cast<long long>(source.size())) return {};
  return std::string(source.substr(static_cast<size_t>(from - 1)));
}

std::string Head(std::string_view source, long long count) {
  if (count <= 0) return {};
  if (count > static_cast<long long>(source.size())) count = static_cast<long long>(source.size());
  return std::string(source.substr(0, static_cast<size_t>(count)));
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

StringParts SplitString(std::string_view source, std::string_view pattern, int mode, bool trim,
                        bool ignore_case) {
  std::string lowered_source;
  std::string lowered_pattern;
  std::string_view haystack = source;
  std::string_view needle = pattern;
  if (ignore_case) {
    lowered_source = AnsiLowerText(source);
    lowered_pattern = AnsiLowerText(pattern);
    haystack = lowered_source;
    needle = lowered_pattern;
  }
  const long long length = static_cast<long long>(source.size());
  long long cut = 0;   // P, 1-based
  long long skip = 0;  // S
  long long left = 0;  // A
  switch (mode) {
    case 0: {
      const size_t found = needle.empty() ? std::string_view::npos : haystack.find(needle);
      cut = found == std::string_view::npos ? length + 1 : static_cast<long long>(found) + 1;
      skip = static_cast<long long>(needle.size());
      left = 1;
      break;
    }
    case 1: {
      const size_t found = needle.empty() ? std::string_view::npos : haystack.rfind(needle);
      if (found == std::string_view::npos) {
        cut = 1;
        skip = 0;
      } else {
        cut = static_cast<long long>(found) + 1;
        skip = static_cast<long long>(needle.size());
      }
      left = 1;
      break;
    }
    case 2: {
      const long long count = NumberValue(pattern);
      if (count == 0) {
        cut = 1;
        left = 1;
        skip = -1;
      } else {
        cut = count;
        left = 0;
        skip = 1;
      }
      break;
    }
    case 3:
      cut = length - NumberValue(pattern);
      left = 0;
      skip = 1;
      break;
    default:
      cut = 0;  // no defined split: both parts empty
      break;
  }
  StringParts parts;
  if (cut != 0) {
    parts.first = Head(source, cut - left);
    parts.second = TailFrom(source, cut + skip);
  }
  if (trim) {
    parts.first = TrimBlanks(parts.first);
    parts.second = TrimBlanks(parts.second);
  }
  return parts;
}

std::string CrLfToNewlineToken(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "$NEWLINE$";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ReplaceText(std::string_view value_in, std::string_view find_in, std::string_view replacement_in,
                        bool ignore_case, bool replace_all) {
  const std::string value = CrLfToNewlineToken(value_in);
  const std::string find = CrLfToNewlineToken(find_in);
  const std::string replacement = CrLfToNewlineToken(replacement_in);
  if (value.empty() || find.empty() || value.size() < find.size()) return value;
  const std::string search_value = ignore_case ? AnsiUpperText(value) : value;
  const std::string search_find = ignore_case ? AnsiUpperText(find) : find;
  std::string out;
  size_t from = 0;
  while (from <= value.size()) {
    const size_t found = search_value.find(search_find, from);
    if (found == std::string::npos) break;
    out.append(value, from, found - from);
    out += replacement;
    from = found + find.size();
    if (!replace_all) break;
  }
  out.append(value, from, std::string::npos);
  return out;
}

}  // namespace qel::commands
