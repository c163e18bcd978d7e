// The feature selection file (".dat"): the component table's lists, the
// install folder values, the data folder, the variables saved with the
// selections and the engine switches. Text with CR LF line ends, sections
// closed by a line "$".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "native/components/component_table.h"

namespace qel {
class TVariableManager;
}

namespace qel::native {

inline constexpr std::string_view kLoadComponentsContext = "LoadComponents";

// The parsed content of a file.
struct FeatureSelections {
  std::vector<std::string> names, states, deleted, hidden, fixed, sizes;
  std::string target_dir, all_users, start_menu;
  std::string data_folder;  // "" in files written by "Save Feature Selections"
  // The trailing name/value pairs in file order, the engine switches
  // ("OXLE64WOW", "OVERRIDECACHE", "NATIVE_ENGINE") included.
  std::vector<std::pair<std::string, std::string>> variables;
};

// What the writer reads from the engine besides the table.
struct SelectionValues {
  std::string target_dir, all_users, start_menu;
  std::string data_folder;  // "" for "Save Feature Selections"
  std::vector<std::pair<std::string, std::string>> saved;  // name, value
  std::string bitness, override_cache, native_engine;
};

// The file text. Values have CR LF replaced by "$NEWLINE$".
std::string WriteFeatureSelections(const ComponentTable& table, const SelectionValues& values);
// The values from the variable store: TARGETDIR, ALLUSERS, STARTMENU, the saved
// variables of the table, OVERRIDECACHE, NATIVE_ENGINE; bitness as given.
SelectionValues CollectSelectionValues(const ComponentTable& table, const TVariableManager& vars,
                                       std::string_view bitness, std::string_view data_folder);

// Lenient: lines may end in CR LF or LF; missing sections read empty; a
// dangling name at the end has an empty value.
FeatureSelections ParseFeatureSelections(std::string_view text);

struct ApplyHooks {
  std::function<void(const std::string&)> set_bitness;      // "OXLE64WOW"
  std::function<void(const std::string&)> set_data_folder;  // not in merge mode
};

// Puts a read file into the table and the variable store. merge: only the
// states of components the table already has are taken, the deleted, hidden
// and fixed lists are replaced, names and sizes of the file are not added.
// Otherwise the table's lists become the file's. Then TARGETDIR, ALLUSERS,
// STARTMENU and the saved variables are assigned (context "LoadComponents").
void ApplyFeatureSelections(const FeatureSelections& file, bool merge, ComponentTable& table, TVariableManager& vars,
                            const ApplyHooks& hooks);

// Sum of the sizes of the file's components that are selected and not deleted
// (the installed-size baseline of a maintenance run).
int64_t SelectedSize(const FeatureSelections& file);

}  // namespace qel::native
