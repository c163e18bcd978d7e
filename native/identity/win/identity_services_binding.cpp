#include "native/identity/win/identity_services_binding.h"

#include <string>
#include <vector>

#include "commands/bitness.h"
#include "engine/process_state.h"
#include "engine/variables.h"
#include "native/components/component_table.h"
#include "native/components/selection_file.h"
#include "native/identity/identity_services.h"
#include "native/identity/win/windows_identity_platform.h"
#include "native/log/log_file_system.h"
#include "native/log/log_set.h"
#include "native/log/native_log.h"
#include "native/model/installer_lists.h"
#include "native/spooler/native_hooks.h"

namespace qel::identity {

namespace {

std::vector<std::string> read_lines(const std::string& path) {
  std::string text;
  std::vector<std::string> lines;
  if (!windows_identity_platform().read_file(path, text)) return lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void write_lines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  windows_identity_platform().write_file(path, text);
}

// A previous build's file: its components, states and lists follow the table's
// own (components the table already has keep their entry), its sizes are left
// out; the install folders and saved variables are restored.
native::FeatureSelections appended_to_table(const native::FeatureSelections& file) {
  const native::ComponentTable& table = native::component_table();
  native::FeatureSelections combined = file;
  combined.names = table.names;
  combined.states = table.states;
  combined.states.resize(combined.names.size());
  combined.sizes = table.sizes;
  combined.deleted = table.deleted;
  combined.hidden = table.hidden;
  combined.fixed = table.fixed;
  for (size_t i = 0; i < file.names.size(); ++i) {
    if (table.Exists(file.names[i])) continue;
    combined.names.push_back(file.names[i]);
    combined.states.push_back(i < file.states.size() ? file.states[i] : "FALSE");
  }
  for (auto [list, from] : {std::pair{&combined.deleted, &file.deleted}, std::pair{&combined.hidden, &file.hidden},
                            std::pair{&combined.fixed, &file.fixed}})
    for (const std::string& name : *from)
      if (!native::ListHasName(*list, name)) list->push_back(name);
  return combined;
}

void read_selections(const std::string& path, SelectionRead how) {
  std::string text;
  if (!windows_identity_platform().read_file(path, text)) return;
  const native::FeatureSelections file = native::ParseFeatureSelections(text);
  native::ApplyHooks hooks;
  hooks.set_bitness = [](const std::string& mode) { commands::SetBitnessMode(mode); };
  if (how == SelectionRead::kInstalled) {
    hooks.set_data_folder = [](const std::string& folder) {
      if (!folder.empty()) process_state().data_folder = folder;
    };
    native::ApplyFeatureSelections(file, false, native::component_table(), variables(), hooks);
  } else {
    native::ApplyFeatureSelections(appended_to_table(file), false, native::component_table(), variables(), hooks);
  }
}

void write_selections(const std::string& path, const std::string& data_folder) {
  const native::ComponentTable& table = native::component_table();
  windows_identity_platform().write_file(
      path, native::WriteFeatureSelections(
                table, native::CollectSelectionValues(table, variables(), commands::BitnessMode(), data_folder)));
}

int64_t selected_size() {
  const native::ComponentTable& table = native::component_table();
  int64_t total = 0;
  for (size_t i = 0; i < table.names.size(); ++i)
    if (table.IsSelected(table.names[i])) total += table.Size(table.names[i]);
  return total;
}

}  // namespace

void BindIdentityServices() {
  IdentityServices& s = identity_services();
  s.read_selections = &read_selections;
  s.write_selections = &write_selections;
  s.refresh_selections = [](const std::string& path, const std::string& data_folder) {
    if (!native::component_table().saved_variables().empty()) write_selections(path, data_folder);
  };
  s.selected_size = &selected_size;
  s.set_installed_baseline = [](int64_t size) { native::component_table().set_installed_baseline(size); };
  s.reset_components = [] {
    native::component_table().Clear();
    native::component_table().Define("OXLE-PREDEF-COMPONENT", true, "");
  };
  s.load_property_journal = [](const std::string& path) { native::installer_lists().ReplaceJournal(read_lines(path)); };
  s.save_property_journal = [](const std::string& path) { write_lines(path, native::installer_lists().journal()); };
  s.clear_property_journal = [] { native::installer_lists().ReplaceJournal({}); };
  s.pin_shortcuts = [] {
    if (native::native_hooks().pin) native::native_hooks().pin("PIN");
  };
  s.flush_native_log = [] {
    native::LogFileSystem& fs = native::DefaultLogFileSystem();
    native::FlushLog(fs, native::CurrentLogPrefix(fs, variables().ReadVariable("NATIVE_LOGGING")), native::native_log());
  };
  s.set_data_folder = [](const std::string& folder) { process_state().data_folder = folder; };
}

}  // namespace qel::identity
