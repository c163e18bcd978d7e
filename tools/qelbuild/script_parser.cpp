#include "tools/qelbuild/script_parser.h"

#include <charconv>
#include <functional>
#include <map>

#include "tools/qelbuild/diagnostics.h"
#include "tools/qelbuild/stable_ids.h"

namespace qel::build {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view trim_left(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  return s;
}

enum class Section { None, Setup, CompilerVariables, Plugins, Resources, Script };

const std::map<std::string, Section>& section_names() {
  static const std::map<std::string, Section> names = {
      {"SETUP", Section::Setup},       {"COMPILER VARIABLES", Section::CompilerVariables},
      {"PLUG-INS", Section::Plugins},  {"RESOURCES", Section::Resources},
      {"SCRIPT", Section::Script}};
  return names;
}

// "SOURCE" or "SOURCE => DESTINATION"
FileSource file_source(std::string_view text, int line) {
  FileSource f;
  f.line = line;
  const size_t arrow = text.find("=>");
  if (arrow == std::string_view::npos) {
    f.source = std::string(trim(text));
  } else {
    f.source = std::string(trim(text.substr(0, arrow)));
    f.destination = std::string(trim(text.substr(arrow + 2)));
  }
  return f;
}

class Parser {
 public:
  Parser(std::string_view text, const std::string& file) : text_(text) { doc_.file = file; }

  ScriptDocument run() {
    size_t pos = 0;
    int line = 0;
    while (pos < text_.size()) {
      size_t end = text_.find('\n', pos);
      if (end == std::string_view::npos) end = text_.size();
      std::string_view raw = text_.substr(pos, end - pos);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      handle(raw, ++line);
      pos = end + 1;
    }
    doc_.line_count = line;
    if (!seen_setup_) error(0, "the script has no [Setup] section");
    if (doc_.header.title.empty() && seen_setup_) error(doc_.header.line, "Title is required");
    if (doc_.header.product_code.empty() && seen_setup_) error(doc_.header.line, "ProductCode is required");
    if (!errors_.empty()) throw BuildFailed(errors_);
    return std::move(doc_);
  }

 private:
  void error(int line, std::string message) { errors_.push_back({doc_.file, line, std::move(message)}); }

  void handle(std::string_view raw, int line) {
    const std::string_view body = trim_left(raw);
    if (trim(body).empty() || body.substr(0, 2) == ";;") return;
    if (body.front() == '[' && trim(body).back() == ']') {
      const std::string_view inner = trim(body);
      const std::string name = upper_ascii(trim(inner.substr(1, inner.size() - 2)));
      auto it = section_names().find(name);
      if (it == section_names().end()) {
        error(line, "unknown section [" + std::string(trim(inner.substr(1, inner.size() - 2))) + "]");
        section_ = Section::None;
        skipping_unknown_ = true;
        return;
      }
      skipping_unknown_ = false;
      section_ = it->second;
      current_ = npos;
      if (section_ == Section::Setup) {
        seen_setup_ = true;
        doc_.header.line = line;
      }
      return;
    }
    switch (section_) {
      case Section::None:
        if (!skipping_unknown_) error(line, "text outside a section; the script starts with [Setup]");
        return;
      case Section::Setup:
        return setup_line(body, line);
      case Section::CompilerVariables: {
        std::string key, value;
        if (key_value(body, line, key, value)) doc_.compiler_variables.emplace_back(upper_ascii(key), value);
        return;
      }
      case Section::Plugins:
        doc_.plugin_commands.emplace_back(trim(body));
        return;
      case Section::Resources: {
        FileSource f = file_source(body, line);
        if (f.source.empty()) return error(line, "resource line without a source");
        doc_.resources.push_back(std::move(f));
        return;
      }
      case Section::Script:
        return script_line(body, line);
    }
  }

  bool key_value(std::string_view body, int line, std::string& key, std::string& value) {
    const size_t eq = body.find('=');
    if (eq == std::string_view::npos || trim(body.substr(0, eq)).empty()) {
      error(line, "expected 'Name = value'");
      return false;
    }
    key = std::string(trim(body.substr(0, eq)));
    value = std::string(trim(body.substr(eq + 1)));
    return true;
  }

  void setup_line(std::string_view body, int line) {
    std::string key, value;
    if (!key_value(body, line, key, value)) return;
    ScriptHeader& h = doc_.header;
    auto number = [&](int& out, int low, int high) {
      int v = 0;
      auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
      if (ec != std::errc() || p != value.data() + value.size() || v < low || v > high)
        return error(line, key + " must be a number from " + std::to_string(low) + " to " + std::to_string(high));
      out = v;
    };
    auto guid = [&](std::string& out) {
      if (!is_guid(value)) return error(line, key + " must be a GUID in braces, e.g. {12345678-9ABC-DEF0-1234-56789ABCDEF0}");
      out = upper_ascii(value);
    };
    auto flag = [&](bool& out) {
      const std::string v = upper_ascii(value);
      if (v != "TRUE" && v != "FALSE") return error(line, key + " must be TRUE or FALSE");
      out = v == "TRUE";
    };
    static const std::map<std::string, std::function<void(ScriptHeader&, const std::string&)>> text_keys = {
        {"TITLE", [](ScriptHeader& x, const std::string& v) { x.title = v; }},
        {"VERSION", [](ScriptHeader& x, const std::string& v) { x.version = v; }},
        {"COMPANY", [](ScriptHeader& x, const std::string& v) { x.company = v; }},
        {"CONTACT", [](ScriptHeader& x, const std::string& v) { x.contact = v; }},
        {"HELPLINK", [](ScriptHeader& x, const std::string& v) { x.help_link = v; }},
        {"UPDATELINK", [](ScriptHeader& x, const std::string& v) { x.update_link = v; }},
        {"COMMENTS", [](ScriptHeader& x, const std::string& v) { x.comments = v; }},
        {"DEFAULTLANGUAGE", [](ScriptHeader& x, const std::string& v) { x.default_language = v; }},
        {"STUBNAME", [](ScriptHeader& x, const std::string& v) { x.stub_name = v; }},
        {"SPLASHBITMAP", [](ScriptHeader& x, const std::string& v) { x.splash_bitmap = v; }},
        {"PACKAGE", [](ScriptHeader& x, const std::string& v) { x.package = v; }},
        {"PATCH", [](ScriptHeader& x, const std::string& v) { x.patch = v; }},
    };
    const std::string k = upper_ascii(key);
    if (auto it = text_keys.find(k); it != text_keys.end()) return it->second(h, value);
    if (k == "PRODUCTCODE") return guid(h.product_code);
    if (k == "REVISIONCODE") return guid(h.revision_code);
    if (k == "ASKLANGUAGE") return flag(h.ask_language);
    if (k == "BUILDMODE") return number(h.build_mode, 1, 3);
    if (k == "CODEPAGE") return number(h.code_page, 0, 65535);
    error(line, "unknown setting '" + key + "'");
  }

  void script_line(std::string_view body, int line) {
    const char marker = body.front();
    if (marker == '|' || marker == '+') {
      if (current_ == npos) return error(line, std::string(marker == '|' ? "parameter" : "file") + " line before the first statement");
      if (marker == '+') {
        FileSource f = file_source(body.substr(1), line);
        if (f.source.empty()) return error(line, "file line without a source");
        doc_.statements[current_].files.push_back(std::move(f));
        return;
      }
      std::string_view value = body.substr(1);
      if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
      doc_.statements[current_].parameters.emplace_back(value);
      doc_.statements[current_].has_parameter_block = true;
      return;
    }
    ScriptStatement s;
    s.line = line;
    std::string_view name = trim(body);
    if (name.front() == '#') {
      s.commented = true;
      name = trim(name.substr(1));
    }
    if (name.empty()) return error(line, "statement without a name");
    s.name = std::string(name);
    doc_.statements.push_back(std::move(s));
    current_ = doc_.statements.size() - 1;
  }

  std::string_view text_;
  ScriptDocument doc_;
  std::vector<Diagnostic> errors_;
  Section section_ = Section::None;
  bool skipping_unknown_ = false;
  bool seen_setup_ = false;
  static constexpr size_t npos = static_cast<size_t>(-1);
  size_t current_ = npos;
};

}  // namespace

ScriptDocument parse_script(std::string_view text, const std::string& file_name) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return Parser(text, file_name).run();
}

}  // namespace qel::build
