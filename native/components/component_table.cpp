#include "native/components/component_table.h"

#include <algorithm>
#include <charconv>

#include "commands/ansi_case.h"
#include "engine/variables.h"

namespace qel::native {
namespace {

void RemoveName(std::vector<std::string>& list, std::string_view name) {
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const std::string& entry) { return SameComponentName(entry, name); }),
             list.end());
}

void AddNameOnce(std::vector<std::string>& list, std::string_view name) {
  if (!ListHasName(list, name)) list.emplace_back(name);
}

}  // namespace

bool SameComponentName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (commands::AnsiUpper(a[i]) != commands::AnsiUpper(b[i])) return false;
  return true;
}

bool ListHasName(const std::vector<std::string>& list, std::string_view name) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& e) { return SameComponentName(e, name); });
}

std::optional<int64_t> ParseSize(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;
  int64_t value = 0;
  auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return value;
}

std::optional<size_t> ComponentTable::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < names.size(); ++i)
    if (SameComponentName(names[i], name)) return i;
  return std::nullopt;
}

std::optional<size_t> ComponentTable::SizePairIndex(std::string_view name) const {
  for (size_t i = 0; i + 1 < sizes.size(); i += 2)
    if (SameComponentName(sizes[i], name)) return i;
  return std::nullopt;
}

std::vector<ComponentInfo> ComponentTable::List() const {
  std::vector<ComponentInfo> out;
  out.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    ComponentInfo c;
    c.name = names[i];
    size_t slash = c.name.rfind('\\');
    c.parent = slash == std::string::npos ? std::string() : c.name.substr(0, slash);
    c.leaf = slash == std::string::npos ? c.name : c.name.substr(slash + 1);
    c.description = i < descriptions.size() ? descriptions[i] : std::string();
    c.size = Size(c.name);
    c.selected = i < states.size() && IsTrue(states[i]);
    c.deleted = ListHasName(deleted, c.name);
    c.visible = !ListHasName(hidden, c.name) && !SameComponentName(c.name, kPredefinedComponent);
    c.fixed = ListHasName(fixed, c.name);
    out.push_back(std::move(c));
  }
  return out;
}

std::optional<ComponentInfo> ComponentTable::Find(std::string_view name) const {
  std::optional<size_t> index = IndexOf(name);
  if (!index) return std::nullopt;
  return List()[*index];
}

bool ComponentTable::IsSelected(std::string_view name) const {
  std::optional<size_t> index = IndexOf(name);
  return index && !IsDeleted(name) && *index < states.size() && IsTrue(states[*index]);
}

bool ComponentTable::IsDeleted(std::string_view name) const { return ListHasName(deleted, name); }
bool ComponentTable::IsHidden(std::string_view name) const { return ListHasName(hidden, name); }
bool ComponentTable::IsFixed(std::string_view name) const { return ListHasName(fixed, name); }

int64_t ComponentTable::Size(std::string_view name) const {
  std::optional<size_t> pair = SizePairIndex(name);
  if (!pair) return 0;
  return ParseSize(sizes[*pair + 1]).value_or(0);
}

int64_t ComponentTable::RequiredSpace() const {
  int64_t total = 0;
  for (size_t i = 0; i < names.size(); ++i)
    if (i < states.size() && IsTrue(states[i]) && !IsDeleted(names[i])) total += Size(names[i]);
  return total - installed_baseline_;
}

void ComponentTable::Define(std::string_view name, bool state, std::string_view description) {
  if (std::optional<size_t> index = IndexOf(name)) {
    RemoveName(deleted, name);
    if (descriptions.size() < names.size()) descriptions.resize(names.size());
    if (states.size() < names.size()) states.resize(names.size());
    descriptions[*index] = description;
    if (!SizePairIndex(name)) PutSizePair(name, "0");
    if (states[*index].empty()) states[*index] = BooleanText(state);
    return;
  }
  // Keep the parallel lists aligned before appending (a loaded file may be short).
  descriptions.resize(names.size());
  states.resize(names.size());
  names.emplace_back(name);
  descriptions.emplace_back(description);
  states.emplace_back(BooleanText(state));
  if (!SizePairIndex(name)) PutSizePair(name, "0");
}

void ComponentTable::Delete(std::string_view name) {
  if (Exists(name)) AddNameOnce(deleted, name);
}

void ComponentTable::SetState(std::string_view name, bool state) {
  std::optional<size_t> index = IndexOf(name);
  if (!index) return;
  if (states.size() < names.size()) states.resize(names.size());
  states[*index] = BooleanText(state);
}

void ComponentTable::SetVisible(std::string_view name, bool visible) {
  if (visible)
    RemoveName(hidden, name);
  else if (Exists(name))
    AddNameOnce(hidden, name);
}

void ComponentTable::SetChoosable(std::string_view name, bool choosable) {
  if (choosable)
    RemoveName(fixed, name);
  else if (Exists(name))
    AddNameOnce(fixed, name);
}

bool ComponentTable::SetSize(std::string_view name, std::string_view size_text) {
  std::optional<int64_t> size = ParseSize(size_text);
  if (!size || !Exists(name)) return false;
  PutSizePair(name, std::to_string(*size));
  return true;
}

void ComponentTable::PutSizePair(std::string_view name, std::string_view size_text) {
  if (std::optional<size_t> pair = SizePairIndex(name)) {
    sizes[*pair + 1] = size_text;
    return;
  }
  if (sizes.size() % 2) sizes.pop_back();  // a dangling name without size
  sizes.emplace_back(name);
  sizes.emplace_back(size_text);
}

void ComponentTable::AddSavedVariable(std::string_view name) {
  for (const std::string& v : saved_variables_)
    if (commands::AnsiUpperText(v) == commands::AnsiUpperText(name)) return;
  saved_variables_.emplace_back(name);
}

void ComponentTable::Clear() { *this = ComponentTable(); }

ComponentTable& component_table() {
  static ComponentTable table;
  return table;
}

}  // namespace qel::native
