// The command table: statement names (compared exactly, with case) mapped to the
// handlers that run them. Command families register their handlers here; the
// executor looks each statement up by its name. Names without a handler do nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/payload.h"

namespace qel {

class TVariableManager;
class Executor;

// What a handler receives: the current statement and the means to read its
// parameters and to talk back to the executor.
class Statement {
 public:
  Statement(Executor& executor, size_t index, std::string_view name, std::string_view key,
            const ParameterLists& parameters, TVariableManager& vars)
      : executor_(executor), index_(index), name_(name), key_(key), parameters_(parameters), vars_(vars),
        block_(parameters.find(key)) {}
  // With the block already resolved (the executor's hot path).
  Statement(Executor& executor, size_t index, std::string_view name, std::string_view key,
            const ParameterLists& parameters, TVariableManager& vars, ParameterLists::Block block)
      : executor_(executor), index_(index), name_(name), key_(key), parameters_(parameters), vars_(vars),
        block_(block) {}

  size_t index() const { return index_; }     // 0-based statement index
  std::string_view name() const { return name_; }
  std::string_view key() const { return key_; }
  // Parameter n (from 1) as stored in the payload; "" beyond the block.
  std::string parameter(int n) const { return ParameterLists::parameter(block_, n); }
  const ParameterLists& parameter_lists() const { return parameters_; }
  TVariableManager& vars() const { return vars_; }
  Executor& executor() const { return executor_; }

  // "Install Files" -> "Install Files Action": the context of result assignments.
  std::string action_context() const { return std::string(name_) + " Action"; }

 private:
  Executor& executor_;
  size_t index_;
  std::string_view name_;
  std::string_view key_;
  const ParameterLists& parameters_;
  TVariableManager& vars_;
  ParameterLists::Block block_;
};

// A handler may throw: the executor then ends the script with the exception report.
using CommandHandler = std::function<void(Statement& statement)>;

class CommandTable {
 public:
  struct Entry {
    CommandHandler handler;
    std::string owner;  // which family implements it ("engine", "wizard", ...); informative
  };

  // Registering a name again replaces its handler. An empty handler removes the name.
  void register_command(std::string_view name, CommandHandler handler, std::string_view owner = {});
  void remove(std::string_view name);
  // The entry for this exact name, or nullptr.
  const Entry* find(std::string_view name) const;
  bool contains(std::string_view name) const { return find(name) != nullptr; }
  size_t size() const { return entries_.size(); }
  std::vector<std::string> names() const;  // sorted
  void clear() { entries_.clear(); }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, Entry, Hash, std::equal_to<>> entries_;
};

// The process-wide table that the executor of the setup run uses. It starts with
// the engine's computing statements ("Mathematics", "Evaluate Expression"). The
// control-flow names (is_engine_control_name) are run by the executor itself;
// registering them here has no effect.
CommandTable& command_table();

// Shorthand for command_table().register_command(...).
void register_command(std::string_view name, CommandHandler handler, std::string_view owner = {});

// The names the executor handles itself before the table is consulted.
bool is_engine_control_name(std::string_view name);

}  // namespace qel
