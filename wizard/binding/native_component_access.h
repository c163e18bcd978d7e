// The engine's component table as the component tree and list see it.
#pragma once

#include "native/components/component_table.h"
#include "wizard/binding/component_choices.h"

namespace qel::wizard::binding {

class NativeComponentAccess : public ComponentTableAccess {
 public:
  explicit NativeComponentAccess(native::ComponentTable& table) : table_(table) {}
  std::vector<std::string> Names() const override { return table_.names; }
  bool State(std::string_view name) const override;
  void SetState(std::string_view name, bool state) override { table_.SetState(name, state); }
  std::string Description(std::string_view name) const override;
  int64_t Size(std::string_view name) const override { return table_.Size(name); }
  bool Deleted(std::string_view name) const override { return table_.IsDeleted(name); }
  bool Hidden(std::string_view name) const override { return table_.IsHidden(name); }
  bool Fixed(std::string_view name) const override { return table_.IsFixed(name); }
  int64_t InstalledBaseline() const override { return table_.installed_baseline(); }

 private:
  native::ComponentTable& table_;
};

// An accessor of the process-wide table.
ComponentTableAccess& native_components();

}  // namespace qel::wizard::binding
