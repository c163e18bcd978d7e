#include "engine/cmdline.h"

#include <cctype>

namespace qel {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool is_switch_start(char c) { return c == '/' || c == '-'; }

// "/name" or "-name", the name compared without regard to case.
bool is_named_switch(std::string_view parameter, std::string_view name) {
  return parameter.size() == name.size() + 1 && is_switch_start(parameter[0]) &&
         lower(parameter.substr(1)) == name;
}

bool has_named_switch(const StringList& parameters, std::initializer_list<std::string_view> names) {
  for (const std::string& p : parameters)
    for (std::string_view name : names)
      if (is_named_switch(p, name)) return true;
  return false;
}

// The first parameter that holds one of the texts (after lower-casing) gives the
// value: the lower-cased parameter without its first three characters.
std::string switch_value(const StringList& parameters, std::initializer_list<std::string_view> texts) {
  for (const std::string& p : parameters) {
    const std::string low = lower(p);
    for (std::string_view text : texts)
      if (low.find(text) != std::string::npos) return low.size() > 3 ? low.substr(3) : std::string();
  }
  return {};
}

}  // namespace

std::string command_tail(std::string_view raw) {
  if (!raw.empty() && raw[0] == '"') {
    const size_t close = raw.find('"', 1);
    if (close == std::string_view::npos) return {};  // unterminated program path: no arguments
    const size_t start = close + 2;                  // the quote and one separator
    return start < raw.size() ? std::string(raw.substr(start)) : std::string();
  }
  const size_t space = raw.find(' ');
  return space == std::string_view::npos ? std::string() : std::string(raw.substr(space + 1));
}

StringList split_parameters(std::string_view tail) {
  StringList out;
  size_t i = 0;
  while (i < tail.size()) {
    while (i < tail.size() && (tail[i] == ' ' || tail[i] == '\t')) ++i;
    if (i >= tail.size()) break;
    std::string parameter;
    bool quoted = false;
    for (; i < tail.size(); ++i) {
      const char c = tail[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && (c == ' ' || c == '\t')) {
        break;
      } else {
        parameter.push_back(c);
      }
    }
    out.push_back(std::move(parameter));
  }
  return out;
}

CommandLine parse_command_line(std::string_view raw) {
  CommandLine cl;
  cl.tail = command_tail(raw);
  cl.parameters = split_parameters(cl.tail);
  cl.silent = has_named_switch(cl.parameters, {"s", "qn"});
  cl.windows_suppressed = cl.silent || has_named_switch(cl.parameters, {"update", "updatesetup"});
  cl.gpo_path = switch_value(cl.parameters, {"/g="});
  cl.sfx_path = switch_value(cl.parameters, {"/m="});
  cl.trace_path = switch_value(cl.parameters, {"/l=", "-l="});
  cl.alternative_source = switch_value(cl.parameters, {"/p=", "-p="});
  for (const std::string& p : cl.parameters) {
    if (p.empty() || is_switch_start(p[0])) continue;
    const size_t eq = p.find('=');
    if (eq == std::string::npos) continue;
    cl.properties.push_back(upper(p.substr(0, eq)));
    cl.properties.push_back(p.substr(eq + 1));
  }
  return cl;
}

}  // namespace qel
