#include "tools/qelbuild/setup_plan.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <system_error>

#include "tools/qelbuild/stable_ids.h"

namespace qel::build {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPredefinedComponent = "OXLE-PREDEF-COMPONENT";

struct Weight {
  std::string_view name;
  uint64_t units;
};

// Progress units of the deferred actions; file-carrying actions count their bytes.
constexpr std::array<Weight, 16> kDeferred = {{
    {"Write Registry", 512},
    {"Install Files", 0},
    {"Install Assembly", 0},
    {"Install Service", 0},
    {"Control Service", 2097152},
    {"Install ODBC Driver", 0},
    {"Create ODBC DSN", 5120},
    {"Create Folder", 1024},
    {"Create Shortcut", 10240},
    {"Advertised Shortcut", 0},
    {"Create File Type", 5120},
    {"Advertised File Type", 0},
    {"Copy/Move Local Files", 0},  // measured on the target at queue time
    {"Delete Files", 102400},
    {"Edit INI File", 10240},
    {"Set Environment", 1024},
}};

bool has_line_break(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string windows_path(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  while (!s.empty() && s.back() == '\\') s.pop_back();
  while (!s.empty() && s.front() == '\\') s.erase(s.begin());
  return s;
}

fs::path host_path(const fs::path& base, std::string source) {
  std::replace(source.begin(), source.end(), '\\', '/');
  fs::path p(source);
  return p.is_absolute() ? p : base / p;
}

// A file or a whole folder tree: (host file, path relative to the source with "\").
std::vector<std::pair<fs::path, std::string>> expand_source(const fs::path& source) {
  std::vector<std::pair<fs::path, std::string>> out;
  if (fs::is_regular_file(source)) {
    out.emplace_back(source, source.filename().string());
    return out;
  }
  for (const auto& entry : fs::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    out.emplace_back(entry.path(), windows_path(fs::relative(entry.path(), source).generic_string()));
  }
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  return out;
}

std::string parent_of(const std::string& windows_relative) {
  const size_t slash = windows_relative.rfind('\\');
  return slash == std::string::npos ? std::string() : windows_relative.substr(0, slash);
}

std::string join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "\\" + b;
}

class Planner {
 public:
  Planner(const ScriptDocument& script, const fs::path& base) : s_(script), base_(base) {}

  SetupPlan run() {
    check_carriable();
    fill_header();
    fill_statements();
    fill_files_and_sizes();
    fill_resources();
    if (!errors_.empty()) throw BuildFailed(errors_);
    std::sort(plan_.data_files.begin(), plan_.data_files.end(),
              [](const DataFile& a, const DataFile& b) { return a.data_path < b.data_path; });
    return std::move(plan_);
  }

 private:
  void error(int line, std::string message) { errors_.push_back({s_.file, line, std::move(message)}); }
  void warn(int line, std::string message) { plan_.warnings.push_back({s_.file, line, std::move(message)}); }

  // What the payload's line-based items cannot hold.
  void check_carriable() {
    const ScriptHeader& h = s_.header;
    for (const std::string* v : {&h.title, &h.version, &h.company, &h.contact, &h.help_link, &h.update_link,
                                 &h.comments, &h.default_language})
      if (has_line_break(*v)) error(h.line, "a header value holds a line break; write $NEWLINE$ instead");
    for (const auto& [name, value] : s_.compiler_variables)
      if (name == "$" || value == "$") error(h.line, "compiler variable '" + name + "': a name or value that is exactly \"$\" cannot be stored");
    for (const std::string& p : s_.plugin_commands)
      if (p == "$") error(0, "a plug-in command named \"$\" cannot be stored");
    for (const ScriptStatement& st : s_.statements) {
      if (st.name == "$") error(st.line, "a statement named \"$\" cannot be stored");
      if (has_line_break(st.name)) error(st.line, "the statement name holds a line break");
      for (const std::string& p : st.parameters)
        if (has_line_break(p)) error(st.line, "a parameter holds a line break; write $NEWLINE$ instead");
    }
  }

  void fill_header() {
    const ScriptHeader& h = s_.header;
    Payload& p = plan_.payload;
    p.product_code = h.product_code;
    p.title = h.title;
    p.plugin_names = s_.plugin_commands;
    p.company = h.company;
    p.contact = h.contact;
    p.help_link = h.help_link;
    p.update_link = h.update_link;
    p.comments = h.comments;
    p.version = h.version;
    p.build_mode = h.build_mode;
    p.revision_code = h.revision_code;
    p.ask_language = h.ask_language;
    p.default_language = h.default_language;
    p.code_page = h.code_page;
    std::set<std::string> given;
    for (const auto& [name, value] : s_.compiler_variables) {
      p.compiler_variables.push_back(name);
      p.compiler_variables.push_back(value);
      given.insert(name);
    }
    // The values the builder knows anyway, unless the author set them.
    const std::pair<std::string, std::string> known[] = {
        {"TITLE", h.title}, {"LANGUAGE", h.default_language}, {"CODEPAGE", std::to_string(h.code_page)}};
    for (const auto& [name, value] : known) {
      if (given.count(name)) continue;
      p.compiler_variables.push_back(name);
      p.compiler_variables.push_back(value);
    }
  }

  void fill_statements() {
    Payload& p = plan_.payload;
    // A key must not equal any parameter line: the lookup finds the first line
    // that matches the key, wherever it stands.
    std::set<std::string> taken;
    for (const ScriptStatement& st : s_.statements)
      for (const std::string& v : st.parameters) taken.insert(upper_ascii(v));
    const std::string script_name = fs::path(s_.file).filename().string();

    for (size_t i = 0; i < s_.statements.size(); ++i) {
      const ScriptStatement& st = s_.statements[i];
      std::string key;
      for (uint64_t salt = 0; key.empty() || taken.count(key); ++salt) {
        StableHash h;
        h.add(s_.header.product_code).add("statement").add(uint64_t{i}).add(st.name).add(salt);
        for (const std::string& v : st.parameters) h.add(v);
        key = guid_from(h);
      }
      taken.insert(key);
      p.names.push_back(st.name);
      p.keys.push_back(key);
      p.flags.push_back(st.commented ? "C" : "");
      p.media_blocks.emplace_back();
      p.source_lines.push_back(script_name + "*" + std::to_string(st.line - 1));
      if (st.has_parameter_block) {
        p.params.push_back(key);
        p.params.insert(p.params.end(), st.parameters.begin(), st.parameters.end());
      }
    }

    std::set<std::string> ids;
    headers_.assign(s_.statements.size(), std::string());
    for (size_t i = 0; i < s_.statements.size(); ++i) {
      const ScriptStatement& st = s_.statements[i];
      if (st.commented || !is_deferred_statement(st.name)) continue;
      StableHash h;
      h.add(p.keys[i]);
      std::string id;
      for (uint32_t salt = 0; id.empty() || ids.count(id); ++salt) id = header_id_from(h, salt);
      ids.insert(id);
      headers_[i] = id;
      p.command_headers.push_back(id);
      p.command_headers.push_back(std::to_string(i));
    }
  }

  void fill_files_and_sizes() {
    Payload& p = plan_.payload;
    std::vector<std::string> component_order{std::string(kPredefinedComponent)};
    std::map<std::string, uint64_t> component_size{{std::string(kPredefinedComponent), 0}};
    auto component = [&](const std::string& name) -> uint64_t& {
      const std::string key = upper_ascii(name);
      if (!component_size.count(key)) component_order.push_back(key);
      return component_size[key];
    };
    uint64_t total = 0;

    for (size_t i = 0; i < s_.statements.size(); ++i) {
      const ScriptStatement& st = s_.statements[i];
      if (st.commented) continue;
      if (st.name == "Define Component" && !st.parameters.empty() && !st.parameters[0].empty())
        component(st.parameters[0]);
      if (!st.files.empty() && !carries_files(st.name)) {
        error(st.line, "\"" + st.name + "\" does not carry files; only \"Install Files\", \"Install Assembly\", "
                       "\"Install Service\" and \"Install ODBC Driver\" do");
        continue;
      }
      if (is_deferred_statement(st.name)) total += action_weight(st.name);
      if (!carries_files(st.name)) continue;

      p.native_files.push_back(headers_[i]);
      p.native_files.push_back("NEWHEADER");
      // Install Files and Install Service: "=> FOLDER" is the sub-folder under the
      // statement's target; the other two take it as their per-file item.
      const bool folders = st.name == "Install Files" || st.name == "Install Service";
      uint64_t bytes = 0;
      std::set<std::string> placed;
      for (const FileSource& f : st.files) {
        const fs::path source = host_path(base_, f.source);
        std::error_code ec;
        if (!fs::exists(source, ec)) {
          error(f.line, "file not found: " + f.source);
          continue;
        }
        const std::string dest = folders ? windows_path(f.destination) : std::string();
        for (const auto& [file, relative] : expand_source(source)) {
          const std::string subfolder = join(dest, parent_of(relative));
          const std::string data_path = join(headers_[i], join(subfolder, fs::path(file).filename().string()));
          if (!placed.insert(upper_ascii(data_path)).second) {
            error(f.line, "two files install to the same place: " + data_path.substr(headers_[i].size() + 1));
            continue;
          }
          const uint64_t size = fs::file_size(file);
          plan_.data_files.push_back({file, data_path, size});
          p.native_files.push_back(data_path);
          p.native_files.push_back(folders ? subfolder : f.destination);
          bytes += size;
        }
      }
      total += bytes;
      if (st.name == "Install Files") {
        const std::string owner = st.parameters.empty() || st.parameters[0].empty()
                                      ? std::string(kPredefinedComponent) : st.parameters[0];
        component(owner) += bytes;
      }
    }
    for (const std::string& name : component_order) {
      p.component_sizes.push_back(name);
      p.component_sizes.push_back(std::to_string(component_size[name]));
    }
    p.native_progress_total = static_cast<int64_t>(total);
    // The source marker: a file named by the product code in the data folder.
    plan_.data_files.push_back({fs::path(), s_.header.product_code, 0});
  }

  void fill_resources() {
    std::set<std::string> names;
    for (const FileSource& r : s_.resources) {
      const fs::path source = host_path(base_, r.source);
      std::error_code ec;
      if (!fs::exists(source, ec)) {
        error(r.line, "resource not found: " + r.source);
        continue;
      }
      const bool single = fs::is_regular_file(source);
      for (const auto& [file, relative] : expand_source(source)) {
        std::string name = single && !r.destination.empty() ? windows_path(r.destination)
                                                            : join(windows_path(r.destination), relative);
        std::replace(name.begin(), name.end(), '\\', '/');
        if (!names.insert(upper_ascii(name)).second) {
          error(r.line, "two resources share the name " + name);
          continue;
        }
        plan_.resource_files.push_back({file, name});
      }
    }
    std::sort(plan_.resource_files.begin(), plan_.resource_files.end(),
              [](const ResourceFile& a, const ResourceFile& b) { return a.archive_name < b.archive_name; });
    // A page that the stub will look for in the support folder.
    for (const ScriptStatement& st : s_.statements) {
      if (st.commented || st.name != "Display Dialog" || st.parameters.empty() || st.parameters[0].empty()) continue;
      if (!names.count(upper_ascii(st.parameters[0] + ".dfm")))
        warn(st.line, "no resource named " + st.parameters[0] + ".dfm for this dialog");
    }
  }

  const ScriptDocument& s_;
  fs::path base_;
  SetupPlan plan_;
  std::vector<std::string> headers_;
  std::vector<Diagnostic> errors_;
};

}  // namespace

bool is_deferred_statement(std::string_view name) {
  return std::any_of(kDeferred.begin(), kDeferred.end(), [&](const Weight& w) { return w.name == name; });
}

bool carries_files(std::string_view name) {
  return name == "Install Files" || name == "Install Assembly" || name == "Install Service" ||
         name == "Install ODBC Driver";
}

uint64_t action_weight(std::string_view name) {
  for (const Weight& w : kDeferred)
    if (w.name == name) return w.units;
  return 0;
}

SetupPlan plan_setup(const ScriptDocument& script, const fs::path& base_dir) {
  return Planner(script, base_dir).run();
}

}  // namespace qel::build
