// The statement loop: runs the compiled script one statement at a time, resolves
// If/Else/loops/labels/Wizard Loops, keeps the engine variables in step before each
// statement and dispatches every other statement by its exact name through the
// command table. Portable: the Windows side comes in through ExecutorHost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/compiler.h"
#include "engine/dispatch.h"

namespace qel {

class TVariableManager;
class Executor;

// What the executor needs from the platform. Every member has a harmless default,
// so tests override only what they observe.
class ExecutorHost {
 public:
  virtual ~ExecutorHost() = default;

  // Milliseconds of a monotonic clock (the system tick count).
  virtual uint64_t tick_count() { return 0; }
  // Lets pending window messages run (every 314 ms, and during long scans).
  virtual void pump_messages() {}
  // The refreshes before each statement beyond the portable ones: caption, cache
  // override, DATE/TIME, language, engine cache paths, progress display.
  virtual void before_statement(Executor&) {}
  // The translated text of a statement's parameter (translation slot from 1);
  // false when no language is active or there is no translation.
  virtual bool translate(std::string_view /*key*/, int /*slot*/, std::string& /*text*/) { return false; }
  // Set Variable side effects owned by other parts of the engine.
  virtual void native_logging_changing(std::string_view /*new_value*/) {}
  virtual void progress_changed() {}
  // The exception report (message box unless silent). index is the statement
  // that raised, or npos when none had started.
  virtual void report_exception(Executor&, size_t /*index*/, const std::string& /*text*/) {}
  // End-of-script clean-up: single-instance marker, open text file, dialogs, tray.
  virtual void exit_script(Executor&) {}
};

// Runs the statements of plug-in commands (payload item 7). Until the plug-in
// runner is installed such statements do nothing.
using PluginRunner = std::function<void(Statement&)>;
void set_plugin_runner(PluginRunner runner);
const PluginRunner& plugin_runner();

// Reads the result of a "Display Dialog" as wizard navigation sees it.
enum class DialogOutcome { Next, Back, Cancel, Other };
DialogOutcome classify_dialog_outcome(std::string_view result);

// How the statement loop ended.
enum class RunEnd {
  Finished,    // ran out of statements, or a terminating command
  Callback,    // the statement callback returned false
  Exception,   // a statement raised
};

class Executor {
 public:
  // Called before each statement with its 0-based index; false ends the run.
  using StatementCallback = std::function<bool(size_t index)>;

  Executor(const ScriptLists& script, TVariableManager& vars, ExecutorHost& host,
           const CommandTable& table = command_table());

  // --- set-up (start-up) ---
  // The payload's plug-in command names (item 7) and source-line map (item 25).
  void set_payload(const Payload* payload);
  void set_callback(StatementCallback callback) { callback_ = std::move(callback); }
  // Builds the block map and the label table from the lists, and clears the
  // execution state (position 0, no flags, empty loop stack).
  void prepare();
  void reset_state();

  // --- running ---
  // The statement loop and the end-of-run work (trace tags, ExitScript).
  RunEnd run();

  // --- for handlers ---
  void stop() { stop_ = true; }                  // leave the loop after this statement
  bool stopping() const { return stop_; }
  void set_exit_code(int code) { exit_code_ = code; }
  int exit_code() const { return exit_code_; }
  // "Display Dialog" handlers report the page's result (NEXT, BACK, CANCEL or a
  // named result). Without a report the frame reads the result variable.
  void set_dialog_outcome(std::string_view result);
  // The silent flag as last refreshed from SILENT (before every statement).
  bool silent() const { return silent_; }
  // True while the host's before_statement runs when no variable has changed
  // since the previous statement's refreshes: values copied then are current.
  bool store_quiet() const { return store_quiet_; }
  std::vector<std::string>& action_states() { return action_states_; }
  const std::vector<std::string>& action_states() const { return action_states_; }

  // --- state, for the Windows side and tests ---
  const ScriptLists& script() const { return script_; }
  TVariableManager& vars() const { return vars_; }
  size_t position() const { return position_; }
  const std::vector<std::string>& loop_stack() const { return loop_stack_; }
  const std::vector<LabelEntry>& labels() const { return labels_; }
  const std::vector<std::string>& remembered_variables() const { return remembered_; }
  int download_timeout() const { return download_timeout_; }
  size_t statements_run() const { return statements_run_; }
  // Where statement index lies in the author's script ("" and 0 without item 25).
  SourceLine source_of(size_t index) const;

  static constexpr uint64_t kPumpIntervalMs = 314;

 private:
  enum class Kind : uint8_t {
    Other, If, ElseIf, Else, End, While, Wend, Repeat, Until, Break, Continue,
    GoToLabel, SetVariable, WizardLoop, DisplayDialog, TerminateInstall, TerminateWithExitCode,
  };

  Kind kind_of(size_t index) const { return kinds_[index]; }
  bool inactive(size_t index) const { return inactive_[index] != 0; }

  void refresh_before_statement();
  void choose_next_statement();
  void advance_to_active();
  void navigate_wizard();
  void leave_wizard_at_end(size_t end_index);
  void execute(size_t index);
  void dispatch(Statement& statement, Kind kind, bool else_if_reached_by_skip);

  void on_condition(Statement& statement, Kind kind);
  void on_block_closer(Kind kind);
  void on_wend(size_t index);
  void on_break(size_t index);
  void on_continue(size_t index);
  void on_goto(Statement& statement);
  void on_set_variable(Statement& statement);
  void on_wizard_loop(size_t index);
  void on_display_dialog(Statement& statement);

  // The loop statement matching from index in the given direction (+1 / -1),
  // passing nested loops whole; npos when none.
  size_t find_loop_statement(size_t from, Kind target, int direction);
  size_t next_active_end(size_t from) const;  // first active "End" after from, no nesting

  void finish_normal_end();

  const ScriptLists& script_;
  TVariableManager& vars_;
  ExecutorHost& host_;
  const CommandTable& table_;
  const Payload* payload_ = nullptr;
  std::unordered_set<std::string_view> plugin_names_;
  StatementCallback callback_;

  std::vector<Kind> kinds_;
  std::vector<uint8_t> inactive_;
  std::vector<uint8_t> plugin_;
  BlockMap blocks_;
  std::vector<LabelEntry> labels_;
  std::unordered_map<std::string, size_t> label_index_;  // first statement of each label name
  std::vector<std::string> action_states_;

  // Execution state.
  size_t position_ = 0;          // statements consumed; the current one is position_ - 1
  bool skip_to_else_ = false;
  bool skip_to_end_ = false;
  bool evaluate_else_if_ = false;  // the next "Else If" was reached by a skip and is evaluated
  bool wizard_active_ = false;
  int wizard_direction_ = 0;
  int wizard_position_ = 0;
  int wizard_count_ = 0;
  bool left_wizard_ = false;
  std::vector<std::string> loop_stack_;
  const ParameterLists& parameters_;
  std::vector<ParameterLists::Block> parameter_blocks_;  // each statement's parameter block
  uint64_t pump_mark_ = 0;
  bool stop_ = false;
  bool silent_ = false;
  int exit_code_ = 0;
  bool dialog_outcome_set_ = false;
  std::string dialog_outcome_;
  std::vector<std::string> remembered_;
  int download_timeout_ = 10;
  size_t statements_run_ = 0;
  std::string scratch_;
  // What was last handed to the trace writer and the caption, so that unchanged
  // values are not copied again before every statement.
  std::string last_trace_path_;
  std::string caption_title_;
  bool caption_logo_only_ = false;
  bool caption_known_ = false;
  // The store's revision after the last refreshes; kNoRevision forces them.
  static constexpr uint64_t kNoRevision = ~uint64_t{0};
  uint64_t quiet_revision_ = kNoRevision;
  bool store_quiet_ = false;
};

// The text of the exception report: the heading (language string 20), two CRs,
// "Source File: " + file, CR, "Line Number: " + line, two CRs, the exception text.
std::string exception_report_text(std::string_view heading, const SourceLine& source, std::string_view what);

}  // namespace qel
