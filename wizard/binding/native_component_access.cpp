#include "wizard/binding/native_component_access.h"

#include "engine/ascii.h"

namespace qel::wizard::binding {

bool NativeComponentAccess::State(std::string_view name) const {
  // The stored state itself: a deleted component's box still shows it.
  auto index = table_.IndexOf(name);
  return index && *index < table_.states.size() && EqualsNoCase(table_.states[*index], "TRUE");
}

std::string NativeComponentAccess::Description(std::string_view name) const {
  auto index = table_.IndexOf(name);
  return index && *index < table_.descriptions.size() ? table_.descriptions[*index] : std::string();
}

ComponentTableAccess& native_components() {
  static NativeComponentAccess access(native::component_table());
  return access;
}

}  // namespace qel::wizard::binding
