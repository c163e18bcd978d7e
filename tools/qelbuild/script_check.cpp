#include "tools/qelbuild/script_check.h"

#include "engine/compiler.h"
#include "engine/variables.h"

namespace qel::build {

std::vector<Diagnostic> check_script(const ScriptDocument& script, const Payload& payload) {
  ParameterLists parameters(&payload.params);
  TVariableManager vars;
  const CompileOutput out = compile_script(script_lists(payload, parameters), vars);
  std::vector<Diagnostic> diagnostics;
  for (const CompileError& e : out.errors()) {
    // A block count that does not balance has no single statement to blame:
    // it is reported where the script ends.
    int line = script.line_count;
    if (e.code >= 0 && static_cast<size_t>(e.code) < script.statements.size())
      line = script.statements[static_cast<size_t>(e.code)].line;
    diagnostics.push_back({script.file, line, e.message});
  }
  return diagnostics;
}

}  // namespace qel::build
