// The component table: the setup's selectable components with their states,
// descriptions, sizes and the deleted, hidden and fixed lists. Names are
// compared without regard to (ANSI) case; a backslash separates the levels of a
// component tree. Used from the script thread only (statements and wizard).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::native {

inline constexpr std::string_view kPredefinedComponent = "OXLE-PREDEF-COMPONENT";

// ANSI case-insensitive equality of component names.
bool SameComponentName(std::string_view a, std::string_view b);

// One component as the wizard's component trees show it.
struct ComponentInfo {
  std::string name;         // full name, "Parent\Child"
  std::string parent;       // "" at the top level
  std::string leaf;         // last level of the name
  std::string description;
  int64_t size = 0;         // bytes; 0 without a size pair
  bool selected = false;    // state "TRUE"
  bool deleted = false;
  bool visible = true;      // not hidden (the predefined component never is)
  bool fixed = false;       // the user cannot change the choice
};

// A 64-bit decimal integer with an optional sign and nothing else.
std::optional<int64_t> ParseSize(std::string_view text);

class ComponentTable {
 public:
  // ---- read API ----
  std::optional<size_t> IndexOf(std::string_view name) const;
  bool Exists(std::string_view name) const { return IndexOf(name).has_value(); }
  // All components in definition order (the predefined one included, with
  // visible false).
  std::vector<ComponentInfo> List() const;
  std::optional<ComponentInfo> Find(std::string_view name) const;
  // "Get Component State": exists, not deleted, state true.
  bool IsSelected(std::string_view name) const;
  bool IsDeleted(std::string_view name) const;
  bool IsHidden(std::string_view name) const;
  bool IsFixed(std::string_view name) const;
  // The size of its pair; 0 without one (or when the text does not parse).
  int64_t Size(std::string_view name) const;
  // Sizes of all selected, not deleted components minus the installed baseline.
  int64_t RequiredSpace() const;

  // ---- changes (the statements' rules) ----
  void Define(std::string_view name, bool state, std::string_view description);
  void Delete(std::string_view name);
  void SetState(std::string_view name, bool state);  // only when it exists
  void SetVisible(std::string_view name, bool visible);
  void SetChoosable(std::string_view name, bool choosable);
  // Replaces the size of the name's pair or appends one; false (nothing
  // changed) when the text is no 64-bit integer or the name does not exist.
  bool SetSize(std::string_view name, std::string_view size_text);
  // Replaces or appends a size pair without the existence check.
  void PutSizePair(std::string_view name, std::string_view size_text);

  // Installed-size baseline of a maintenance run.
  int64_t installed_baseline() const { return installed_baseline_; }
  void set_installed_baseline(int64_t value) { installed_baseline_ = value; }

  // Variables saved with the selections, in order.
  const std::vector<std::string>& saved_variables() const { return saved_variables_; }
  // Appends when not listed yet.
  void AddSavedVariable(std::string_view name);

  // ---- the raw lists, as the feature selection file carries them ----
  std::vector<std::string> names;
  std::vector<std::string> states;        // "TRUE"/"FALSE" per name
  std::vector<std::string> descriptions;  // per name
  std::vector<std::string> sizes;         // pairs: name, decimal size
  std::vector<std::string> deleted;
  std::vector<std::string> hidden;
  std::vector<std::string> fixed;

  void Clear();

 private:
  std::optional<size_t> SizePairIndex(std::string_view name) const;

  int64_t installed_baseline_ = 0;
  std::vector<std::string> saved_variables_;
};

// The process-wide table, alive for the whole run.
ComponentTable& component_table();

// Whether a list holds the name (component name comparison).
bool ListHasName(const std::vector<std::string>& list, std::string_view name);

}  // namespace qel::native
