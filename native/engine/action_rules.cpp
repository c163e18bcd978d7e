#include "native/engine/action_rules.h"

#include <charconv>

#include "engine/ascii.h"

namespace qel::native {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits at "$NEWLINE$", CR LF, CR or LF.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, 9) == "$NEWLINE$") {
      lines.push_back(std::move(current));
      current.clear();
      i += 9;
    } else if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    } else {
      current += text[i++];
    }
  }
  lines.push_back(std::move(current));
  return lines;
}

}  // namespace

std::vector<FileTableEntry> FileGroup(const std::vector<std::string>& table, std::string_view header) {
  std::vector<FileTableEntry> group;
  bool inside = false;
  for (size_t i = 0; i + 1 < table.size(); i += 2) {
    if (table[i + 1] == "NEWHEADER") {
      if (inside) break;
      inside = EqualsNoCase(table[i], header);
      continue;
    }
    if (inside) group.push_back({table[i], table[i + 1]});
  }
  return group;
}

std::string WithTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (out.empty()) return out;
  while (out.size() > 1 && (out.back() == '\\' || out.back() == '/')) out.pop_back();
  if (out.back() != '\\' && out.back() != '/') out += '\\';
  return out;
}

std::string FileNameOf(std::string_view path) {
  size_t at = path.find_last_of("\\/");
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

bool IsExeName(std::string_view path) {
  return path.size() >= 4 && EqualsNoCase(path.substr(path.size() - 4), ".EXE");
}

bool ParseRegistryInteger(std::string_view text, uint32_t& value) {
  text = Trim(text);
  if (text.empty()) return false;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t v = 0;
    auto [p, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), v, 16);
    if (ec != std::errc() || p != text.data() + text.size() || v > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(v);
    return true;
  }
  const char* first = text.data();
  if (*first == '+') ++first;
  int64_t v = 0;
  auto [p, ec] = std::from_chars(first, text.data() + text.size(), v);
  if (ec != std::errc() || p != text.data() + text.size()) return false;
  if (v < INT32_MIN || v > int64_t(UINT32_MAX)) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

bool HexToBytes(std::string_view hex, std::string& bytes) {
  bytes.clear();
  if (hex.size() >= 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X')) hex.remove_prefix(2);
  int high = -1;
  for (char c : hex) {
    if (c == ' ' || c == ',' || c == '\t') continue;
    int d = HexDigit(c);
    if (d < 0) return false;
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + d));
      high = -1;
    }
  }
  return high < 0;
}

std::string MergeMultiString(const std::string* existing, std::string_view data, bool append) {
  std::string old;
  if (existing) {
    old = *existing;
    while (!old.empty() && old.back() == '\0') old.pop_back();  // terminators and a trailing empty element
  }
  std::string out;
  if (old.empty()) {
    out.assign(data);
  } else if (append) {
    out = old;
    out += '\0';
    out += data;
  } else {
    out.assign(data);
    out += '\0';
    out += old;
  }
  out += '\0';
  out += '\0';
  return out;
}

std::string RegistryCaption(std::string_view root_name, std::string_view key, std::string_view value_name,
                            std::string_view data) {
  std::string out(root_name);
  out += '\\';
  out += key;
  out += '\\';
  out += value_name;
  out += '\\';
  out += data;
  return out;
}

bool ContainsNoCase(std::string_view text, std::string_view value) {
  return !value.empty() && FindNoCase(text, value) != std::string_view::npos;
}

std::optional<std::string> RemoveListItem(std::string_view list, std::string_view value) {
  const std::string_view wanted = Trim(value);
  // Item boundaries: [start, end) between commas.
  std::vector<std::pair<size_t, size_t>> items;
  size_t start = 0;
  for (size_t i = 0; i <= list.size(); ++i) {
    if (i == list.size() || list[i] == ',') {
      items.emplace_back(start, i);
      start = i + 1;
    }
  }
  for (size_t k = 0; k < items.size(); ++k) {
    auto [b, e] = items[k];
    if (!EqualsNoCase(Trim(list.substr(b, e - b)), wanted)) continue;
    std::string out;
    if (items.size() == 1) return out;
    if (k + 1 < items.size()) {
      // The item, its comma and the blanks after it: "a, b, c" - "a" -> "b, c".
      size_t next = items[k + 1].first;
      while (next < list.size() && list[next] == ' ') ++next;
      size_t item_start = b;
      while (item_start < e && list[item_start] == ' ') ++item_start;
      out.assign(list.substr(0, item_start));
      out.append(list.substr(next));
    } else {
      // The last item with the comma (and blanks) before it.
      size_t cut = items[k - 1].second;
      out.assign(list.substr(0, cut));
    }
    return out;
  }
  return std::nullopt;
}

std::string CombineEnvironment(std::string_view current, std::string_view value, std::string_view combination) {
  if (combination == "1") return std::string(current) + std::string(value);
  if (combination == "0") return std::string(value) + std::string(current);
  return std::string(value);
}

std::optional<std::string> RemoveEnvironmentPart(std::string_view current, std::string_view value) {
  if (current.empty() || value.empty()) return std::nullopt;
  size_t at = current.find(value);
  if (at == std::string_view::npos) return std::nullopt;
  std::string out(current.substr(0, at));
  out.append(current.substr(at + value.size()));
  return out;
}

std::string ServiceDependencies(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
  std::vector<std::string> services, groups;
  size_t start = 0;
  while (start <= text.size()) {
    size_t at = text.find("$NULL$", start);
    std::string_view item = text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
    item = Trim(item);
    if (!item.empty() && item.front() == '[') item.remove_prefix(1);
    if (!item.empty() && item.back() == ']') item.remove_suffix(1);
    item = Trim(item);
    if (!item.empty()) (item.front() == '+' ? groups : services).emplace_back(item);
    if (at == std::string_view::npos) break;
    start = at + 6;
  }
  std::string out;
  for (const auto* list : {&services, &groups})
    for (const std::string& s : *list) {
      out += s;
      out += '\0';
    }
  out += '\0';
  if (out.size() == 1) out += '\0';
  return out;
}

uint32_t ServiceStartType(std::string_view code) { return code == "0" ? 2 : code == "1" ? 3 : 4; }
uint32_t ServiceErrorControl(std::string_view code) { return code == "0" ? 0 : code == "1" ? 1 : 2; }
uint32_t ServiceType(std::string_view process_kind, bool interactive) {
  return (process_kind == "0" ? 0x10u : 0x20u) | (interactive ? 0x100u : 0u);
}

int ShowCommand(std::string_view code) { return code == "1" ? 3 : code == "2" ? 7 : 1; }

int IconIndex(std::string_view text) {
  text = Trim(text);
  int v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return (ec == std::errc() && p == text.data() + text.size()) ? v : 0;
}

std::vector<std::pair<std::string, std::string>> ParseDriverAttributes(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& line : SplitLines(text)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    out.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  return out;
}

std::string DsnAttributes(std::string_view name, std::string_view attributes) {
  std::string out = "DSN=" + std::string(name);
  out += '\0';
  for (const std::string& line : SplitLines(attributes)) {
    if (line.empty()) continue;
    out += line;
    out += '\0';
  }
  out += '\0';
  return out;
}

std::string DsnRemoveAttributes(std::string_view name) {
  std::string out = "DSN=" + std::string(name);
  out += '\0';
  out += '\0';
  return out;
}

bool HasWildcard(std::string_view text) { return text.find_first_of("?*") != std::string_view::npos; }

}  // namespace qel::native
