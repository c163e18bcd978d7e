// The variable store: every piece of script state is a named 8-bit string.
// Names are compared without regard to ASCII case. One recursive mutex guards
// every operation; it is the lock that the main thread and all workers share.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qel {

// Assignment contexts used by the engine itself. Commands pass their own name
// followed by " Action" (see ActionContext).
inline constexpr std::string_view kContextCompilation = "Compilation";
inline constexpr std::string_view kContextPreInitialization = "Pre-Initialization";
inline constexpr std::string_view kContextInitialization = "Initialization";
inline constexpr std::string_view kContextAbortMirror = "Set Variable Tricke";
inline constexpr std::string_view kContextShowDesign = "ShowDesign";
// The only context that passes the silent-mode protection of command-line properties.
inline constexpr std::string_view kContextCommandLine = "Inject Override Command Line";

// "Set Variable" -> "Set Variable Action".
std::string ActionContext(std::string_view command_name);

// A value reads as true when it is "TRUE" in any case, or exactly "-1".
bool IsTrue(std::string_view text);
// "TRUE" or "FALSE".
std::string_view BooleanText(bool flag);

// "$NAME$" -> "NAME": the text starts with "$" and its only other "$" is the last
// character. Anything else (including "$$" and "$A$B$") gives "".
std::string_view ReferenceName(std::string_view text);
// ReferenceName(text), or the text itself when that is empty: how result-variable
// and variable-name parameters are read.
std::string_view VariableNameOf(std::string_view text);

// Replaces every "\\" by "\" (left to right); when the text began with "\\" one
// backslash is put back in front, so that UNC paths keep their leading "\\".
std::string NormalizeBackslashes(std::string_view text);

// "#NAME#" tokens of the payload's compiler variables (pairs: name, value).
// Every pair in order replaces every "#NAME#" (any case) by its value; while the
// result still holds "#" and changed, it is expanded again (bounded, see .cpp).
// Unknown tokens stay as written, so callers can tell an absent variable.
std::string ExpandCompilerVariables(std::string_view text, const std::vector<std::string>& pairs);

class TVariableManager {
 public:
  // Bounds of one expansion. A value that refers to itself, directly inside
  // longer text ("a$X$") or through other variables (A="$B$", B="$A$"), would
  // otherwise be rescanned without end. When either bound is reached the
  // expansion stops and the rest of the text is appended unexpanded.
  static constexpr size_t kMaxSubstitutions = 1'000'000;
  static constexpr size_t kMaxExpandedLength = 32u << 20;  // bytes, output plus pending text

  TVariableManager() = default;
  TVariableManager(const TVariableManager&) = delete;
  TVariableManager& operator=(const TVariableManager&) = delete;

  // --- store operations (each one atomic) ---
  // Create or overwrite; an empty name is never stored. A variable keeps the
  // spelling of the name it was created with (ExportPairs shows that spelling).
  void Define(std::string_view name, std::string_view value);
  void Set(std::string_view name, std::string_view value);     // same effect as Define
  bool Exists(std::string_view name) const;
  std::string Get(std::string_view name) const;  // "" when not stored
  // Copies the value into out (reusing its capacity); false (out cleared) when absent.
  bool TryGet(std::string_view name, std::string& out) const;
  void Clear();
  size_t Count() const;
  // Clears the list, then appends name, value, name, value ... in map order; returns the pair count.
  size_t ExportPairs(std::vector<std::string>& list) const;
  // Clears all variables, then defines each (name, value) pair of the comma text.
  // A trailing name without a value is defined with an empty value.
  void ReplaceAll(std::string_view comma_text);

  // --- substitution ---
  // "$NAME$" of an existing variable becomes its value, and the inserted value
  // is scanned again; tokens naming no variable and lone "$" stay as written.
  std::string Expand(std::string_view text) const;
  // As Expand, but every inserted value is wrapped in double quotes.
  std::string ExpandQuoted(std::string_view text) const;
  // Allocation-free variants for hot paths: the result replaces out's content
  // (text must not point into out).
  void ExpandTo(std::string_view text, std::string& out) const;
  void ExpandQuotedTo(std::string_view text, std::string& out) const;
  // Expand, then NormalizeBackslashes: the normalized expansion for paths.
  std::string ExpandNormalized(std::string_view text) const;
  // A path parameter: expanded once as a text parameter, then normalized
  // expansion (expanded again, backslashes normalized).
  std::string ExpandPathParameter(std::string_view raw) const;

  // --- assignment helpers (each one atomic) ---
  std::string ReadVariable(std::string_view name) const;  // Get when it exists, else ""
  // A value equal to "$NAME$" (any case) becomes "". Existing: Assign; else Define.
  void DeclareOrAssign(std::string_view name, std::string_view value, std::string_view context);
  // Subject to the silent-mode protection; creates through DeclareOrAssign;
  // a value equal to "$NAME$" (any case) stores "".
  // Returns false when the protection dropped the assignment.
  bool Assign(std::string_view name, std::string_view value, std::string_view context);
  // Defines the upper-cased name with an empty value when no variable of that
  // name exists (how commands prepare their result variable).
  void DeclareUpper(std::string_view name, std::string_view context);

  // --- silent-mode protection of command-line properties ---
  void SetSilent(bool silent);
  bool Silent() const;
  // Entries: NAME, value, NAME, value ... as parsed from the command line.
  void SetCommandLineProperties(std::vector<std::string> properties);
  // Whether an assignment of this name with this context would be dropped now.
  bool IsProtected(std::string_view name, std::string_view context) const;

  // Counts every change to the store (any name, any thread). Two equal readings
  // mean nothing was written in between, so cached copies of values are current.
  uint64_t Revision() const { return revision_.load(std::memory_order_acquire); }
  // For read-modify-write sequences that must not interleave with workers.
  std::recursive_mutex& Mutex() const { return mutex_; }

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const noexcept;
  };
  struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
  };
  using Map = std::unordered_map<std::string, std::string, NameHash, NameEqual>;

  void SetLocked(std::string_view name, std::string_view value);
  void ExpandLocked(std::string_view text, bool quoted, std::string& out) const;
  void RescanLocked(std::string_view rest, const std::string& first_value, bool quoted, std::string& out) const;
  bool IsProtectedLocked(std::string_view name, std::string_view context) const;
  void DeclareOrAssignLocked(std::string_view name, std::string_view value, std::string_view context);
  bool AssignLocked(std::string_view name, std::string_view value, std::string_view context);

  void Touch() { revision_.fetch_add(1, std::memory_order_acq_rel); }
  mutable std::recursive_mutex mutex_;
  Map map_;
  std::atomic<uint64_t> revision_{0};
  bool silent_ = false;
  std::vector<std::string> command_line_;
  mutable std::string pending_;  // expansion scratch, guarded by mutex_
  mutable std::string name_scratch_;
};

// The process-wide store.
TVariableManager& variables();

}  // namespace qel
