// What the component tree and component list do to the component table: which
// components they show, and how checking an item or a menu entry changes the
// states. Portable: the table is reached through ComponentTableAccess, so the
// wizard does not depend on how the table is stored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::wizard::binding {

// The reserved component that is never shown.
inline constexpr std::string_view kPredefinedComponent = "OXLE-PREDEF-COMPONENT";

class ComponentTableAccess {
 public:
  virtual ~ComponentTableAccess() = default;
  // Names in table order; a "\" separates the levels of the tree.
  virtual std::vector<std::string> Names() const = 0;
  // Names are compared without regard to case.
  virtual bool State(std::string_view name) const = 0;
  virtual void SetState(std::string_view name, bool state) = 0;
  virtual std::string Description(std::string_view name) const = 0;
  virtual int64_t Size(std::string_view name) const = 0;  // 0 without a size
  virtual bool Deleted(std::string_view name) const = 0;
  virtual bool Hidden(std::string_view name) const = 0;
  virtual bool Fixed(std::string_view name) const = 0;
  // The installed-size baseline subtracted from the required space.
  virtual int64_t InstalledBaseline() const { return 0; }
};

// A plain table kept in memory: what tests use, and a stand-in until a real
// table is attached.
class MemoryComponentTable : public ComponentTableAccess {
 public:
  struct Row {
    std::string name;
    bool state = false;
    std::string description;
    int64_t size = 0;
    bool deleted = false, hidden = false, fixed = false;
  };
  std::vector<Row> rows;
  int64_t baseline = 0;

  std::vector<std::string> Names() const override;
  bool State(std::string_view name) const override;
  void SetState(std::string_view name, bool state) override;
  std::string Description(std::string_view name) const override;
  int64_t Size(std::string_view name) const override;
  bool Deleted(std::string_view name) const override;
  bool Hidden(std::string_view name) const override;
  bool Fixed(std::string_view name) const override;
  int64_t InstalledBaseline() const override { return baseline; }

 private:
  const Row* Find(std::string_view name) const;
};

// The names above a component: "A\B\C" -> "A", "A\B".
std::vector<std::string> Ancestors(std::string_view name);
// The component or one of its ancestors is fixed.
bool FixedWithAncestors(const ComponentTableAccess& table, std::string_view name);

// Components of the tree, in table order: not the reserved one, not deleted,
// not hidden, no hidden ancestor.
std::vector<std::string> TreeComponents(const ComponentTableAccess& table);
// Components of the list: the same, and top level only (no "\").
std::vector<std::string> ListComponents(const ComponentTableAccess& table);

// A check change in the component list: for every item in order, every
// component whose name begins with the item's text (without regard to case)
// takes the item's check state unless it or an ancestor is fixed.
void ApplyListChecks(ComponentTableAccess& table, const std::vector<std::string>& items,
                     const std::vector<bool>& checked);

// The component menu, acting on component `name` and its descendants (names
// below it in the tree).
enum class MenuAction {
  InstallOnly,              // the component and every ancestor selected
  InstallWithChildren,      // ... and every descendant that is not fixed
  Unavailable,              // the component and its non-fixed descendants deselected
  DoNotInstallOnly,         // the component deselected
};
void ApplyMenuAction(ComponentTableAccess& table, std::string_view name, MenuAction action);

// Sum of the sizes of the selected, non-deleted components minus the baseline.
int64_t RequiredSpace(const ComponentTableAccess& table);

}  // namespace qel::wizard::binding
