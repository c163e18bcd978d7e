// The script check that runs once before the first statement: block nesting,
// loop scope of Break/Continue, labels, result variables and the contents of
// Wizard Loops. It also prepares run-time state: the label list, the per-statement
// action states and the block structure the executor jumps with.
//
// Portable: the setup builder runs the same check at build time with its own
// variable store and reports the errors itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/payload.h"

namespace qel {

class TVariableManager;

inline constexpr int32_t kCompileSuccess = -1;
// The result code of an unbalanced block count (no single statement to blame).
inline constexpr int32_t kCompileUnbalanced = 2147483644;  // 0x7FFFFFFC
inline constexpr std::string_view kCompileSuccessMessage = "Script compiled successfully";
// The process exit code when the check fails in the setup run.
inline constexpr int kCompileErrorExitCode = 314;

struct CompileError {
  int32_t code = kCompileSuccess;  // statement index, or kCompileUnbalanced
  std::string message;
};

// The statement lists the check reads. flags may be null (then the block check
// and everything that skips commented statements sees every statement as active).
struct ScriptLists {
  const StringList* names = nullptr;
  const StringList* keys = nullptr;
  const StringList* flags = nullptr;
  const ParameterLists* parameters = nullptr;

  size_t size() const { return names ? names->size() : 0; }
  const std::string& name(size_t i) const { return (*names)[i]; }
  std::string_view key(size_t i) const;
  bool commented(size_t i) const;  // flag "C"
  // Commented, or named "Ignore": never executed and never counted by block scans.
  bool inactive(size_t i) const { return commented(i) || name(i) == "Ignore"; }
  std::string parameter(size_t i, int n) const;
};

ScriptLists script_lists(const Payload& payload, const ParameterLists& parameters);

// Where control goes from each statement, precomputed from the lists so that
// jumps do not rescan the script. npos: no such statement (the scan would run
// past the end of the script).
struct BlockMap {
  static constexpr size_t npos = static_cast<size_t>(-1);

  // For a statement i: where a skip-to-else scan started at i stops (the next
  // active "Else", "Else If" or "End" of the block that holds i + 1), and where
  // a skip-to-end scan stops (that block's "End").
  std::vector<size_t> next_branch;
  std::vector<size_t> block_end;
  // For each "While"/"Repeat": its "Wend"/"Until"; for each "Wend"/"Until": its
  // opener; npos elsewhere.
  std::vector<size_t> loop_partner;
  // The innermost loop opener ("While" or "Repeat") enclosing statement i, npos at top level.
  std::vector<size_t> enclosing_loop;

  void build(const ScriptLists& script);
  void clear();
  bool empty() const { return next_branch.empty(); }
};

struct LabelEntry {
  std::string name;  // upper-cased parameter 1
  size_t index = 0;
};

struct CompileOutput {
  CompileError result;                 // code kCompileSuccess when the script passed
  std::vector<std::string> labels;     // upper-cased label names, in script order
  std::vector<std::string> action_states;  // "SKIP" or "FALSE" per statement checked so far

  bool ok() const { return result.code == kCompileSuccess; }
  // The builder's view: empty on success, else the one error that stopped the check.
  std::vector<CompileError> errors() const;
};

// The whole check. Empties vars, declares the built-in names and the script's
// result variables in it (context "Compilation"), and stops at the first error.
CompileOutput compile_script(const ScriptLists& script, TVariableManager& vars);

// The label table the executor jumps with: every "Label" (commented ones too),
// upper-cased parameter 1 and index. A later duplicate does not replace the first.
std::vector<LabelEntry> build_label_table(const ScriptLists& script);

// The compiler's rule for a file name: the part after the last "\" or ":" holds
// none of / * ? " < > |.
bool is_legal_file_name(std::string_view name);

}  // namespace qel
