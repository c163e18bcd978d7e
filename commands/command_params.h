// What a command handler receives: its statement's parameters, read in the
// parameter kinds every command uses, and the way results are assigned.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qel {
class TVariableManager;
}

namespace qel::commands {

// Looks up the translated text of a statement's parameter: by statement key and
// translation slot (the ordinal among the statement's translated parameters,
// from 1). Returns false when no translation applies.
class ParameterTranslator {
 public:
  virtual ~ParameterTranslator() = default;
  virtual bool Translate(std::string_view key, int slot, std::string& text) const = 0;
};

// The process-wide translator; null (the default) means no language is active.
void SetParameterTranslator(const ParameterTranslator* translator);
const ParameterTranslator* CurrentParameterTranslator();

class CommandParams {
 public:
  // raw(n) returns parameter line n (from 1) as stored; "" beyond the block.
  using RawLookup = std::function<std::string(int n)>;

  CommandParams(TVariableManager& vars, std::string_view command, std::string_view key, RawLookup raw);

  TVariableManager& vars() const { return vars_; }
  const std::string& command() const { return command_; }
  const std::string& key() const { return key_; }

  // Every read is expanded afresh, so it sees assignments made before it.
  std::string raw(int n) const;
  std::string text(int n) const;
  std::string path(int n) const;
  std::string translated(int n, int slot) const;
  bool flag(int n) const;                 // of the text parameter
  int32_t number(int n) const;            // of the text parameter; throws ConversionError
  std::string variable_name(int n) const; // raw, "$" wrappers removed
  std::string plain_name(int n) const { return raw(n); }

  // "Get System Settings" -> "Get System Settings Action".
  std::string action_context() const;

  // Defines the upper-cased name empty when missing, then the guarded
  // assignment with the action context (or the given one). An empty name
  // assigns nothing.
  void declare(std::string_view name) const;
  void assign(std::string_view name, std::string_view value) const;
  void assign(std::string_view name, std::string_view value, std::string_view context) const;

 private:
  TVariableManager& vars_;
  std::string command_;
  std::string key_;
  RawLookup raw_;
};

}  // namespace qel::commands
