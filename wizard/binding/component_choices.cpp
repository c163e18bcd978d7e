#include "wizard/binding/component_choices.h"

#include "engine/ascii.h"

namespace qel::wizard::binding {

const MemoryComponentTable::Row* MemoryComponentTable::Find(std::string_view name) const {
  for (const Row& r : rows)
    if (EqualsNoCase(r.name, name)) return &r;
  return nullptr;
}

std::vector<std::string> MemoryComponentTable::Names() const {
  std::vector<std::string> out;
  for (const Row& r : rows) out.push_back(r.name);
  return out;
}

bool MemoryComponentTable::State(std::string_view name) const {
  const Row* r = Find(name);
  return r && r->state;
}

void MemoryComponentTable::SetState(std::string_view name, bool state) {
  if (const Row* r = Find(name)) const_cast<Row*>(r)->state = state;
}

std::string MemoryComponentTable::Description(std::string_view name) const {
  const Row* r = Find(name);
  return r ? r->description : std::string();
}

int64_t MemoryComponentTable::Size(std::string_view name) const {
  const Row* r = Find(name);
  return r ? r->size : 0;
}

bool MemoryComponentTable::Deleted(std::string_view name) const {
  const Row* r = Find(name);
  return r && r->deleted;
}

bool MemoryComponentTable::Hidden(std::string_view name) const {
  const Row* r = Find(name);
  return r && r->hidden;
}

bool MemoryComponentTable::Fixed(std::string_view name) const {
  const Row* r = Find(name);
  return r && r->fixed;
}

std::vector<std::string> Ancestors(std::string_view name) {
  std::vector<std::string> out;
  for (size_t at = name.find('\\'); at != std::string_view::npos; at = name.find('\\', at + 1))
    out.emplace_back(name.substr(0, at));
  return out;
}

bool FixedWithAncestors(const ComponentTableAccess& table, std::string_view name) {
  if (table.Fixed(name)) return true;
  for (const std::string& a : Ancestors(name))
    if (table.Fixed(a)) return true;
  return false;
}

namespace {

bool Shown(const ComponentTableAccess& table, const std::string& name) {
  if (EqualsNoCase(name, kPredefinedComponent) || table.Deleted(name) || table.Hidden(name)) return false;
  for (const std::string& a : Ancestors(name))
    if (table.Hidden(a)) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Strictly below `name` in the tree.
bool IsDescendant(std::string_view candidate, std::string_view name) {
  return candidate.size() > name.size() + 1 && StartsWithNoCase(candidate, name) && candidate[name.size()] == '\\';
}

}  // namespace

std::vector<std::string> TreeComponents(const ComponentTableAccess& table) {
  std::vector<std::string> out;
  for (const std::string& name : table.Names())
    if (Shown(table, name)) out.push_back(name);
  return out;
}

std::vector<std::string> ListComponents(const ComponentTableAccess& table) {
  std::vector<std::string> out;
  for (const std::string& name : TreeComponents(table))
    if (name.find('\\') == std::string::npos) out.push_back(name);
  return out;
}

void ApplyListChecks(ComponentTableAccess& table, const std::vector<std::string>& items,
                     const std::vector<bool>& checked) {
  std::vector<std::string> names = table.Names();
  for (size_t i = 0; i < items.size() && i < checked.size(); ++i)
    for (const std::string& name : names)
      if (StartsWithNoCase(name, items[i]) && !FixedWithAncestors(table, name)) table.SetState(name, checked[i]);
}

void ApplyMenuAction(ComponentTableAccess& table, std::string_view name, MenuAction action) {
  std::vector<std::string> names = table.Names();
  switch (action) {
    case MenuAction::InstallWithChildren:
      for (const std::string& n : names)
        if (IsDescendant(n, name) && !FixedWithAncestors(table, n)) table.SetState(n, true);
      [[fallthrough]];
    case MenuAction::InstallOnly:
      table.SetState(name, true);
      for (const std::string& a : Ancestors(name)) table.SetState(a, true);
      break;
    case MenuAction::Unavailable:
      for (const std::string& n : names)
        if (IsDescendant(n, name) && !FixedWithAncestors(table, n)) table.SetState(n, false);
      table.SetState(name, false);
      break;
    case MenuAction::DoNotInstallOnly:
      table.SetState(name, false);
      break;
  }
}

int64_t RequiredSpace(const ComponentTableAccess& table) {
  int64_t sum = 0;
  for (const std::string& name : table.Names())
    if (table.State(name) && !table.Deleted(name)) sum += table.Size(name);
  return sum - table.InstalledBaseline();
}

}  // namespace qel::wizard::binding
