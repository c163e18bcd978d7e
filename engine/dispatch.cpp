#include "engine/dispatch.h"

#include <algorithm>

#include "engine/expression.h"
#include "engine/mathematics.h"

namespace qel {

void CommandTable::register_command(std::string_view name, CommandHandler handler, std::string_view owner) {
  if (!handler) {
    remove(name);
    return;
  }
  auto it = entries_.find(name);
  if (it == entries_.end()) {
    entries_.emplace(std::string(name), Entry{std::move(handler), std::string(owner)});
  } else {
    it->second = Entry{std::move(handler), std::string(owner)};
  }
}

void CommandTable::remove(std::string_view name) {
  auto it = entries_.find(name);
  if (it != entries_.end()) entries_.erase(it);
}

const CommandTable::Entry* CommandTable::find(std::string_view name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> CommandTable::names() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& [name, entry] : entries_) out.push_back(name);
  std::sort(out.begin(), out.end());
  return out;
}

namespace {

// The engine's own computing statements; they live in the table like any command.
void add_engine_commands(CommandTable& table) {
  table.register_command(
      "Mathematics",
      [](Statement& s) {
        RunMathematics(s.vars(), s.parameter(1), s.parameter(2), s.parameter(3), s.parameter(4));
      },
      "engine");
  table.register_command(
      "Evaluate Expression",
      [](Statement& s) { RunEvaluateExpression(s.vars(), s.parameter(1), s.parameter(2)); }, "engine");
}

}  // namespace

CommandTable& command_table() {
  static CommandTable* table = [] {
    auto* t = new CommandTable;
    add_engine_commands(*t);
    return t;
  }();
  return *table;
}

void register_command(std::string_view name, CommandHandler handler, std::string_view owner) {
  command_table().register_command(name, std::move(handler), owner);
}

bool is_engine_control_name(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "If",       "Else If",    "Else",        "End",         "While",
      "Wend",     "Repeat",     "Until",       "Break",       "Continue",
      "GoTo Label", "Set Variable", "Wizard Loop", "Terminate Install", "Terminate with Exit Code",
  };
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

}  // namespace qel
