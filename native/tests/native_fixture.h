// Statements given as parameter lines, a translator with fixed texts, and a
// payload holding the statement's key and command header.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "commands/command_params.h"
#include "engine/process_state.h"
#include "engine/variables.h"

namespace qel::native::testing {

inline constexpr const char* kKey = "{NATIVE-TEST-KEY}";

inline commands::CommandParams Params(TVariableManager& vars, const std::string& command,
                                      std::vector<std::string> lines, const std::string& key = kKey) {
  return commands::CommandParams(vars, command, key, [lines = std::move(lines)](int n) {
    return n >= 1 && static_cast<size_t>(n) <= lines.size() ? lines[n - 1] : std::string();
  });
}

// Translations by slot for one key.
class SlotTranslator : public commands::ParameterTranslator {
 public:
  explicit SlotTranslator(std::map<int, std::string> texts) : texts_(std::move(texts)) {}
  bool Translate(std::string_view key, int slot, std::string& text) const override {
    if (key != kKey) return false;
    auto it = texts_.find(slot);
    if (it == texts_.end()) return false;
    text = it->second;
    return true;
  }

 private:
  std::map<int, std::string> texts_;
};

class TranslatorScope {
 public:
  explicit TranslatorScope(const commands::ParameterTranslator* t) { commands::SetParameterTranslator(t); }
  ~TranslatorScope() { commands::SetParameterTranslator(nullptr); }
};

// The process payload with the test statement at index 2 (statement number 3),
// with or without a command header.
inline void UsePayload(bool with_header, const std::string& header = "0A1B2C3D") {
  Payload& p = process_state().payload;
  p = Payload();
  p.names = {"Set Variable", "Set Variable", "Install Files"};
  p.keys = {"{K0}", "{K1}", kKey};
  if (with_header) p.command_headers = {header, "2"};
}

}  // namespace qel::native::testing
