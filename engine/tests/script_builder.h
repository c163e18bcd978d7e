// Builds small scripts for tests: a compact list of statements becomes a Payload
// with generated keys, parameter blocks and source lines.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/compiler.h"
#include "engine/payload.h"

namespace qel::testing {

struct Stmt {
  std::string name;
  std::vector<std::string> params = {};
  bool commented = false;
};

inline Stmt Commented(Stmt s) {
  s.commented = true;
  return s;
}

// Shorthands for the statements the tests use most.
inline Stmt If(std::string var, std::string op, std::string value, std::string negate = "FALSE") {
  return {"If", {std::move(var), std::move(op), std::move(value), std::move(negate)}};
}
inline Stmt ElseIf(std::string var, std::string op, std::string value) {
  return {"Else If", {std::move(var), std::move(op), std::move(value), "FALSE"}};
}
inline Stmt While(std::string var, std::string op, std::string value) {
  return {"While", {std::move(var), std::move(op), std::move(value), "FALSE"}};
}
inline Stmt Until(std::string var, std::string op, std::string value) {
  return {"Until", {std::move(var), std::move(op), std::move(value), "FALSE"}};
}
inline Stmt Set(std::string var, std::string value) { return {"Set Variable", {std::move(var), std::move(value)}}; }
// Adds one to an integer variable.
inline Stmt Inc(const std::string& var) { return {"Mathematics", {"$" + var + "$", "1", "0", var}}; }
inline Stmt Bare(std::string name) { return {std::move(name)}; }

inline std::string KeyFor(size_t index) {
  char key[64];
  std::snprintf(key, sizeof key, "{00000000-0000-4000-8000-%012zX}", index);
  return key;
}

// A payload with its parameter lookup; not movable (the lookup points into it).
class TestScript {
 public:
  explicit TestScript(const std::vector<Stmt>& statements, std::vector<std::string> plugin_names = {}) {
    payload_.title = "Test Product";
    payload_.plugin_names = std::move(plugin_names);
    for (size_t i = 0; i < statements.size(); ++i) {
      const Stmt& s = statements[i];
      payload_.names.push_back(s.name);
      payload_.keys.push_back(KeyFor(i));
      payload_.flags.push_back(s.commented ? "C" : "");
      payload_.media_blocks.emplace_back();
      payload_.source_lines.push_back("C:\\Scripts\\Demo Setup.qel*" + std::to_string(i * 2));
      if (!s.params.empty()) {
        payload_.params.push_back(payload_.keys.back());
        for (const std::string& p : s.params) payload_.params.push_back(p);
      }
    }
    parameters_.add(&payload_.params);
    lists_ = script_lists(payload_, parameters_);
  }
  TestScript(const TestScript&) = delete;
  TestScript& operator=(const TestScript&) = delete;

  const Payload& payload() const { return payload_; }
  const ScriptLists& lists() const { return lists_; }
  const ParameterLists& parameters() const { return parameters_; }

 private:
  Payload payload_;
  ParameterLists parameters_;
  ScriptLists lists_;
};

}  // namespace qel::testing
