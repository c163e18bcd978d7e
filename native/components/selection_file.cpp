#include "native/components/selection_file.h"

#include "commands/ansi_case.h"
#include "engine/variables.h"
#include "native/model/installer_lists.h"

namespace qel::native {
namespace {

constexpr std::string_view kBitnessEntry = "OXLE64WOW";
constexpr std::string_view kOverrideCache = "OVERRIDECACHE";
constexpr std::string_view kNativeEngine = "NATIVE_ENGINE";

bool SameVariable(std::string_view a, std::string_view b) {
  return commands::AnsiUpperText(a) == commands::AnsiUpperText(b);
}

bool IsEngineSwitch(std::string_view name) {
  return SameVariable(name, kBitnessEntry) || SameVariable(name, kOverrideCache) ||
         SameVariable(name, kNativeEngine);
}

void Line(std::string& out, std::string_view text) {
  out += text;
  out += "\r\n";
}

void Section(std::string& out, const std::vector<std::string>& lines) {
  for (const std::string& l : lines) Line(out, l);
  Line(out, "$");
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string WriteFeatureSelections(const ComponentTable& table, const SelectionValues& values) {
  std::string out;
  Section(out, table.names);
  Section(out, table.states);
  Section(out, table.deleted);
  Section(out, table.hidden);
  Section(out, table.fixed);
  Section(out, table.sizes);
  Line(out, EncodeNewlines(values.target_dir));
  Line(out, EncodeNewlines(values.all_users));
  Line(out, EncodeNewlines(values.start_menu));
  Line(out, EncodeNewlines(values.data_folder));
  for (const auto& [name, value] : values.saved) {
    Line(out, name);
    Line(out, EncodeNewlines(value));
  }
  Line(out, kBitnessEntry);
  Line(out, values.bitness);
  Line(out, kOverrideCache);
  Line(out, EncodeNewlines(values.override_cache));
  Line(out, kNativeEngine);
  Line(out, EncodeNewlines(values.native_engine));
  return out;
}

SelectionValues CollectSelectionValues(const ComponentTable& table, const TVariableManager& vars,
                                       std::string_view bitness, std::string_view data_folder) {
  SelectionValues v;
  v.target_dir = vars.ReadVariable("TARGETDIR");
  v.all_users = vars.ReadVariable("ALLUSERS");
  v.start_menu = vars.ReadVariable("STARTMENU");
  v.data_folder = data_folder;
  for (const std::string& name : table.saved_variables())
    if (!IsEngineSwitch(name)) v.saved.emplace_back(name, vars.ReadVariable(name));
  v.bitness = bitness;
  v.override_cache = vars.ReadVariable(kOverrideCache);
  v.native_engine = vars.ReadVariable(kNativeEngine);
  return v;
}

FeatureSelections ParseFeatureSelections(std::string_view text) {
  const std::vector<std::string> lines = SplitLines(text);
  FeatureSelections f;
  size_t pos = 0;
  std::vector<std::string>* sections[] = {&f.names, &f.states, &f.deleted, &f.hidden, &f.fixed, &f.sizes};
  for (std::vector<std::string>* section : sections) {
    while (pos < lines.size() && lines[pos] != "$") section->push_back(lines[pos++]);
    if (pos < lines.size()) ++pos;  // the "$"
  }
  if (f.sizes.size() % 2) f.sizes.pop_back();
  std::string* singles[] = {&f.target_dir, &f.all_users, &f.start_menu, &f.data_folder};
  for (std::string* single : singles)
    if (pos < lines.size()) *single = lines[pos++];
  while (pos < lines.size()) {
    std::string name = lines[pos++];
    std::string value = pos < lines.size() ? lines[pos++] : std::string();
    f.variables.emplace_back(std::move(name), std::move(value));
  }
  return f;
}

void ApplyFeatureSelections(const FeatureSelections& file, bool merge, ComponentTable& table, TVariableManager& vars,
                            const ApplyHooks& hooks) {
  if (merge) {
    for (size_t i = 0; i < file.names.size() && i < file.states.size(); ++i)
      if (std::optional<size_t> index = table.IndexOf(file.names[i])) {
        if (table.states.size() < table.names.size()) table.states.resize(table.names.size());
        table.states[*index] = file.states[i];
      }
  } else {
    table.names = file.names;
    table.states = file.states;
    table.states.resize(table.names.size());
    table.descriptions.assign(table.names.size(), std::string());
    table.sizes = file.sizes;
  }
  table.deleted = file.deleted;
  table.hidden = file.hidden;
  table.fixed = file.fixed;

  vars.Assign("TARGETDIR", file.target_dir, kLoadComponentsContext);
  vars.Assign("ALLUSERS", file.all_users, kLoadComponentsContext);
  vars.Assign("STARTMENU", file.start_menu, kLoadComponentsContext);
  if (!merge && hooks.set_data_folder) hooks.set_data_folder(file.data_folder);

  for (const auto& [name, value] : file.variables) {
    if (name.empty()) continue;
    if (SameVariable(name, kBitnessEntry)) {
      if (hooks.set_bitness) hooks.set_bitness(value);
      continue;
    }
    vars.Assign(name, value, kLoadComponentsContext);
    // The engine switches travel in the file's tail on every save, so they are
    // not listed again (the file would grow with each maintenance run).
    if (!IsEngineSwitch(name)) table.AddSavedVariable(name);
  }
}

int64_t SelectedSize(const FeatureSelections& file) {
  ComponentTable table;
  table.names = file.names;
  table.states = file.states;
  table.states.resize(table.names.size());
  table.sizes = file.sizes;
  table.deleted = file.deleted;
  return table.RequiredSpace();
}

}  // namespace qel::native
