#include "commands/command_params.h"

#include <atomic>

#include "commands/parameter_kinds.h"
#include "commands/platform_hooks.h"
#include "engine/variables.h"

namespace qel::commands {

namespace {
std::atomic<const ParameterTranslator*> g_translator{nullptr};
}

void SetParameterTranslator(const ParameterTranslator* translator) { g_translator = translator; }
const ParameterTranslator* CurrentParameterTranslator() { return g_translator; }

CommandParams::CommandParams(TVariableManager& vars, std::string_view command, std::string_view key,
                             RawLookup raw)
    : vars_(vars), command_(command), key_(key), raw_(std::move(raw)) {}

std::string CommandParams::raw(int n) const { return raw_ ? raw_(n) : std::string(); }

std::string CommandParams::text(int n) const { return vars_.Expand(raw(n)); }

std::string CommandParams::path(int n) const {
  PlatformHooks().before_path_parameter();
  return vars_.ExpandPathParameter(raw(n));
}

std::string CommandParams::translated(int n, int slot) const {
  std::string line = raw(n);
  if (const ParameterTranslator* translator = g_translator.load()) {
    std::string translation;
    if (translator->Translate(key_, slot, translation)) line = std::move(translation);
  }
  return vars_.Expand(line);
}

bool CommandParams::flag(int n) const { return FlagValue(text(n)); }

int32_t CommandParams::number(int n) const { return NumberValue(text(n)); }

std::string CommandParams::variable_name(int n) const { return VariableNameValue(raw(n)); }

std::string CommandParams::action_context() const { return ActionContext(command_); }

void CommandParams::declare(std::string_view name) const {
  if (!name.empty()) vars_.DeclareUpper(name, action_context());
}

void CommandParams::assign(std::string_view name, std::string_view value) const {
  assign(name, value, action_context());
}

void CommandParams::assign(std::string_view name, std::string_view value, std::string_view context) const {
  if (name.empty()) return;
  vars_.DeclareUpper(name, context);
  vars_.Assign(name, value, context);
}

}  // namespace qel::commands
