#include "engine/payload.h"

#include "engine/ascii.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

namespace qel {
namespace {

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

bool iequals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool next(std::string& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    size_t stop = end;
    if (stop > pos_ && text_[stop - 1] == '\r') --stop;
    line.assign(text_.substr(pos_, stop - pos_));
    pos_ = end + 1;
    return true;
  }

  StringList block() {
    StringList out;
    std::string line;
    while (next(line) && line != "$") out.push_back(line);
    return out;
  }

  std::string line() {
    std::string l;
    next(l);
    return l;
  }

  // A decimal integer at the start of the line (after blanks); the rest is skipped.
  int64_t number() {
    std::string l = line();
    size_t i = 0;
    while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
    int64_t value = 0;
    std::from_chars(l.data() + i, l.data() + l.size(), value);
    return value;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

void unescape_params(StringList& params) {
  for (std::string& line : params) {
    if (line.size() >= 8 && line[0] == '$' && line.back() == '$' &&
        (iequals(line, "$WILD_DOLLAR$") || iequals(line, "$DOLLAR$"))) {
      line = "$";
    }
  }
}

void check_line(std::string_view s, const char* what) {
  if (s.find_first_of("\r\n") != std::string_view::npos)
    throw std::invalid_argument(std::string(what) + " holds a line break: " + std::string(s));
}

void put_line(std::string& out, std::string_view s, const char* what) {
  check_line(s, what);
  out.append(s);
  out.append("\r\n");
}

void put_block(std::string& out, const StringList& lines, const char* what) {
  for (const std::string& l : lines) {
    if (l == "$") throw std::invalid_argument(std::string(what) + " holds a line that is exactly \"$\"");
    put_line(out, l, what);
  }
  out.append("$\r\n");
}

}  // namespace

Payload read_payload(std::string_view text) {
  LineReader r(text);
  Payload p;
  p.names = r.block();
  p.keys = r.block();
  p.params = r.block();
  unescape_params(p.params);
  p.flags = r.block();
  p.product_code = r.line();
  p.title = r.line();
  p.plugin_names = r.block();
  p.company = r.line();
  p.contact = r.line();
  p.help_link = r.line();
  p.update_link = r.line();
  p.comments = r.line();
  p.version = r.line();
  p.media_passwords = r.block();
  p.media_blocks = r.block();
  p.build_mode = static_cast<int>(r.number());
  p.component_sizes = r.block();
  p.revision_code = r.line();
  p.media_relocations = r.block();
  p.ask_language = r.line() == "TRUE";
  p.default_language = r.line();
  p.command_headers = r.block();
  p.compiler_variables = r.block();
  p.code_page = static_cast<int>(r.number());
  p.source_lines = r.block();
  p.native_progress_total = r.number();
  p.native_files = r.block();
  return p;
}

std::string write_payload(const Payload& p) {
  std::string out;
  put_block(out, p.names, "statement name");
  put_block(out, p.keys, "statement key");
  for (const std::string& l : p.params) put_line(out, l == "$" ? std::string_view("$DOLLAR$") : l, "parameter");
  out.append("$\r\n");
  put_block(out, p.flags, "statement flag");
  put_line(out, p.product_code, "product code");
  put_line(out, p.title, "title");
  put_block(out, p.plugin_names, "plug-in name");
  put_line(out, p.company, "company");
  put_line(out, p.contact, "contact");
  put_line(out, p.help_link, "help link");
  put_line(out, p.update_link, "update link");
  put_line(out, p.comments, "comments");
  put_line(out, p.version, "version");
  put_block(out, p.media_passwords, "media password table");
  put_block(out, p.media_blocks, "media block list");
  put_line(out, std::to_string(p.build_mode), "build mode");
  put_block(out, p.component_sizes, "component size table");
  put_line(out, p.revision_code, "revision code");
  put_block(out, p.media_relocations, "media relocation table");
  put_line(out, p.ask_language ? "TRUE" : "FALSE", "language flag");
  put_line(out, p.default_language, "default language");
  put_block(out, p.command_headers, "command header table");
  put_block(out, p.compiler_variables, "compiler variables");
  put_line(out, std::to_string(p.code_page), "code page");
  put_block(out, p.source_lines, "source-line map");
  put_line(out, std::to_string(p.native_progress_total), "native progress total");
  put_block(out, p.native_files, "native file table");
  return out;
}

void ParameterLists::add(const StringList* params) {
  Indexed entry{params, {}};
  // Every line could be a key; only the first occurrence of a text counts, as a
  // front-to-back search would find it.
  entry.index.reserve(params->size());
  for (size_t i = 0; i < params->size(); ++i) entry.index.emplace_back(upper((*params)[i]), i);
  std::stable_sort(entry.index.begin(), entry.index.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  auto last = std::unique(entry.index.begin(), entry.index.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; });
  entry.index.erase(last, entry.index.end());
  lists_.push_back(std::move(entry));
}

void ParameterLists::clear() { lists_.clear(); }

namespace {
// Compares an upper-cased index key with a key in any case, without copying it.
int compare_upper(std::string_view upper_key, std::string_view key) {
  size_t n = std::min(upper_key.size(), key.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = static_cast<unsigned char>(upper_key[i]);
    unsigned char b = static_cast<unsigned char>(AsciiUpper(key[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return upper_key.size() < key.size() ? -1 : upper_key.size() > key.size() ? 1 : 0;
}

template <class Index>
const std::pair<std::string, size_t>* find_key(const Index& index, std::string_view key) {
  auto it = std::lower_bound(index.begin(), index.end(), key,
                             [](const auto& e, std::string_view v) { return compare_upper(e.first, v) < 0; });
  return it != index.end() && compare_upper(it->first, key) == 0 ? &*it : nullptr;
}
}  // namespace

std::string ParameterLists::parameter(std::string_view key, int n) const {
  return parameter(find(key), n);
}

ParameterLists::Block ParameterLists::find(std::string_view key) const {
  for (const Indexed& list : lists_)
    if (const auto* hit = find_key(list.index, key)) return {list.lines, hit->second};
  return {};
}

std::string ParameterLists::parameter(const Block& block, int n) {
  if (!block.lines || n < 0) return {};
  const size_t pos = block.position + static_cast<size_t>(n);
  return pos < block.lines->size() ? (*block.lines)[pos] : std::string();
}

bool ParameterLists::has_key(std::string_view key) const {
  for (const Indexed& list : lists_)
    if (find_key(list.index, key)) return true;
  return false;
}

SourceLine source_line(const Payload& payload, size_t statement_index) {
  SourceLine out;
  if (statement_index >= payload.source_lines.size()) return out;
  const std::string& entry = payload.source_lines[statement_index];
  size_t star = entry.rfind('*');
  std::string path = entry.substr(0, star == std::string::npos ? entry.size() : star);
  size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  out.file = name;
  if (star != std::string::npos) {
    int n = 0;
    std::from_chars(entry.data() + star + 1, entry.data() + entry.size(), n);
    out.line = n + 1;
  }
  return out;
}

}  // namespace qel
