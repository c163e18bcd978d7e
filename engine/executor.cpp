#include "engine/executor.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "engine/ascii.h"
#include "engine/conditions.h"
#include "engine/setup_caption.h"
#include "engine/trace.h"
#include "engine/variables.h"

namespace qel {

namespace {

constexpr size_t npos = BlockMap::npos;
constexpr std::string_view kRememberToken = "$OXLE$OXLE$";
constexpr std::string_view kSetVariableContext = "Set Variable Action";
constexpr std::string_view kDisplayDialogContext = "Display Dialog Action";
constexpr std::string_view kCancelStateContext = "Cancel State";
// Statements examined by a loop scan between two message pumps.
constexpr size_t kScanPumpInterval = 313;

const ParameterLists& no_parameters() {
  static const ParameterLists empty;
  return empty;
}

PluginRunner& plugin_runner_storage() {
  static PluginRunner runner;
  return runner;
}

}  // namespace

void set_plugin_runner(PluginRunner runner) { plugin_runner_storage() = std::move(runner); }
const PluginRunner& plugin_runner() { return plugin_runner_storage(); }

DialogOutcome classify_dialog_outcome(std::string_view result) {
  if (EqualsNoCase(result, "NEXT")) return DialogOutcome::Next;
  if (EqualsNoCase(result, "BACK")) return DialogOutcome::Back;
  if (EqualsNoCase(result, "CANCEL")) return DialogOutcome::Cancel;
  return DialogOutcome::Other;
}

std::string exception_report_text(std::string_view heading, const SourceLine& source, std::string_view what) {
  std::string text(heading);
  text += "\r\rSource File: ";
  text += source.file;
  text += "\rLine Number: ";
  text += std::to_string(source.line);
  text += "\r\r";
  text += what;
  return text;
}

Executor::Executor(const ScriptLists& script, TVariableManager& vars, ExecutorHost& host, const CommandTable& table)
    : script_(script),
      vars_(vars),
      host_(host),
      table_(table),
      parameters_(script.parameters ? *script.parameters : no_parameters()) {}

void Executor::set_payload(const Payload* payload) {
  payload_ = payload;
  plugin_names_.clear();
  if (payload_) {
    for (const std::string& name : payload_->plugin_names) plugin_names_.insert(name);
  }
}

SourceLine Executor::source_of(size_t index) const {
  if (!payload_ || index >= payload_->source_lines.size()) return {};
  return source_line(*payload_, index);
}

void Executor::prepare() {
  static const std::unordered_map<std::string_view, Kind> kKinds = {
      {"If", Kind::If},
      {"Else If", Kind::ElseIf},
      {"Else", Kind::Else},
      {"End", Kind::End},
      {"While", Kind::While},
      {"Wend", Kind::Wend},
      {"Repeat", Kind::Repeat},
      {"Until", Kind::Until},
      {"Break", Kind::Break},
      {"Continue", Kind::Continue},
      {"GoTo Label", Kind::GoToLabel},
      {"Set Variable", Kind::SetVariable},
      {"Wizard Loop", Kind::WizardLoop},
      {"Display Dialog", Kind::DisplayDialog},
      {"Terminate Install", Kind::TerminateInstall},
      {"Terminate with Exit Code", Kind::TerminateWithExitCode},
  };
  const size_t n = script_.size();
  kinds_.assign(n, Kind::Other);
  parameter_blocks_.resize(n);
  for (size_t i = 0; i < n; ++i) parameter_blocks_[i] = parameters_.find(script_.key(i));
  inactive_.assign(n, 0);
  plugin_.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const std::string& name = script_.name(i);
    auto it = kKinds.find(name);
    if (it != kKinds.end()) kinds_[i] = it->second;
    inactive_[i] = script_.inactive(i) ? 1 : 0;
    plugin_[i] = plugin_names_.count(name) ? 1 : 0;
  }
  blocks_.build(script_);
  labels_ = build_label_table(script_);
  label_index_.clear();
  for (const LabelEntry& label : labels_) label_index_.emplace(label.name, label.index);
  if (action_states_.size() != n) action_states_.assign(n, "SKIP");
  reset_state();
}

void Executor::reset_state() {
  position_ = 0;
  caption_known_ = false;
  quiet_revision_ = kNoRevision;
  last_trace_path_ = trace_path();
  skip_to_else_ = skip_to_end_ = evaluate_else_if_ = false;
  wizard_active_ = false;
  wizard_direction_ = wizard_position_ = wizard_count_ = 0;
  left_wizard_ = false;
  loop_stack_.clear();
  stop_ = false;
  statements_run_ = 0;
}

void Executor::set_dialog_outcome(std::string_view result) {
  dialog_outcome_set_ = true;
  dialog_outcome_.assign(result);
}

RunEnd Executor::run() {
  if (kinds_.size() != script_.size()) prepare();
  const size_t n = script_.size();
  pump_mark_ = host_.tick_count();
  size_t current = npos;
  try {
    while (!stop_ && position_ < n) {
      const uint64_t now = host_.tick_count();
      if (now - pump_mark_ > kPumpIntervalMs) {
        host_.pump_messages();
        pump_mark_ = now;
      }
      // Refreshes copy variables into the engine; when nothing was written since
      // the last ones (by this thread or a worker) the copies are still current.
      store_quiet_ = vars_.Revision() == quiet_revision_;
      if (!store_quiet_) refresh_before_statement();
      host_.before_statement(*this);
      choose_next_statement();
      if (position_ == 0 || position_ > n) break;
      current = position_ - 1;
      if (script_.commented(current)) continue;
      if (vars_.Revision() != quiet_revision_)
        vars_.Assign("ABORT", BooleanText(IsTrue(vars_.Get("OXLE_IsCancelled"))), kCancelStateContext);
      quiet_revision_ = vars_.Revision();
      if (callback_ && !callback_(current)) {
        host_.exit_script(*this);
        return RunEnd::Callback;
      }
      execute(current);
    }
  } catch (const std::exception& e) {
    host_.report_exception(*this, current, e.what());
    host_.exit_script(*this);
    return RunEnd::Exception;
  } catch (...) {
    host_.report_exception(*this, current, "Unknown exception");
    host_.exit_script(*this);
    return RunEnd::Exception;
  }
  finish_normal_end();
  return RunEnd::Finished;
}

void Executor::finish_normal_end() {
  trace("    </oxle>");
  trace("    <ExitScript>");
  host_.exit_script(*this);
  trace("    </ExitScript>");
}

void Executor::refresh_before_statement() {
  vars_.TryGet("LOGGED", scratch_);
  if (scratch_ != last_trace_path_) {
    last_trace_path_ = scratch_;
    set_trace_path(scratch_);
  }
  vars_.TryGet("SILENT", scratch_);
  silent_ = IsTrue(scratch_);
  vars_.SetSilent(silent_);
  vars_.TryGet("OXLELOGO", scratch_);
  const bool logo_only = EqualsNoCase(scratch_, "TRUE");
  vars_.TryGet("TITLE", scratch_);
  if (scratch_ != caption_title_ || logo_only != caption_logo_only_ || !caption_known_) {
    caption_title_ = scratch_;
    caption_logo_only_ = logo_only;
    caption_known_ = true;
    set_caption_state(caption_title_, caption_logo_only_);
  }
}

void Executor::advance_to_active() {
  const size_t n = script_.size();
  if (position_ >= n) {
    position_ = n + 1;  // nothing follows
    return;
  }
  do {
    ++position_;
  } while (position_ < n && inactive(position_ - 1));
}

void Executor::choose_next_statement() {
  const size_t n = script_.size();
  if (skip_to_else_) {
    skip_to_else_ = false;
    const size_t stop = position_ == 0 ? npos : blocks_.next_branch[position_ - 1];
    if (stop == npos) {
      position_ = n + 1;
      return;
    }
    switch (kind_of(stop)) {
      case Kind::ElseIf:
        if (!skip_to_end_) {
          position_ = stop;  // fetched and evaluated next
          evaluate_else_if_ = true;
        } else {
          position_ = stop + 1;
        }
        break;
      case Kind::End:
        position_ = stop;  // the End runs next and closes the block
        break;
      default:  // Else: the statements after it run
        position_ = stop + 1;
        break;
    }
  }
  if (skip_to_end_) {
    skip_to_end_ = false;
    const size_t stop = position_ == 0 ? npos : blocks_.block_end[position_ - 1];
    if (stop == npos) {
      position_ = n + 1;
      return;
    }
    position_ = stop;
  } else if (wizard_active_) {
    navigate_wizard();
    return;
  }
  advance_to_active();
}

size_t Executor::next_active_end(size_t from) const {
  for (size_t k = from + 1; k < script_.size(); ++k) {
    if (!inactive(k) && kind_of(k) == Kind::End) return k;
  }
  return npos;
}

void Executor::leave_wizard_at_end(size_t end_index) {
  wizard_active_ = false;
  left_wizard_ = true;
  if (end_index == npos) {
    position_ = script_.size() + 1;
    return;
  }
  position_ = end_index;  // the End runs next
  advance_to_active();
}

void Executor::navigate_wizard() {
  wizard_position_ = std::clamp(wizard_position_ + wizard_direction_, 1, std::max(1, wizard_count_));
  const size_t current = position_ - 1;
  if (wizard_direction_ == 0) {
    leave_wizard_at_end(next_active_end(current));
    return;
  }
  const size_t n = script_.size();
  size_t k = current;
  for (;;) {
    if (wizard_direction_ > 0) {
      if (++k >= n) {
        leave_wizard_at_end(npos);
        return;
      }
    } else {
      if (k == 0) {
        leave_wizard_at_end(npos);
        return;
      }
      --k;
    }
    if (inactive(k)) continue;
    const Kind kind = kind_of(k);
    if (kind == Kind::DisplayDialog) {
      position_ = k + 1;
      return;
    }
    if (kind == Kind::End) {
      leave_wizard_at_end(k);
      return;
    }
    if (kind == Kind::WizardLoop) {
      leave_wizard_at_end(next_active_end(k));
      return;
    }
  }
}

void Executor::execute(size_t index) {
  ++statements_run_;
  const bool else_if_reached_by_skip = std::exchange(evaluate_else_if_, false);
  Statement statement(*this, index, script_.name(index), script_.key(index), parameters_, vars_, parameter_blocks_[index]);
  if (plugin_[index]) {
    if (const PluginRunner& runner = plugin_runner()) runner(statement);
    return;
  }
  dispatch(statement, kind_of(index), else_if_reached_by_skip);
}

void Executor::dispatch(Statement& statement, Kind kind, bool else_if_reached_by_skip) {
  const size_t index = statement.index();
  switch (kind) {
    case Kind::If:
    case Kind::While:
    case Kind::Until:
      on_condition(statement, kind);
      return;
    case Kind::ElseIf:
      // Reached by running off the end of a taken branch: the block is done.
      if (else_if_reached_by_skip)
        on_condition(statement, kind);
      else
        skip_to_end_ = true;
      return;
    case Kind::Else:
      skip_to_end_ = true;
      return;
    case Kind::End:
      left_wizard_ = false;
      return;
    case Kind::Wend:
      on_wend(index);
      return;
    case Kind::Repeat:
      loop_stack_.emplace_back("Repeat");
      return;
    case Kind::Break:
      on_break(index);
      return;
    case Kind::Continue:
      on_continue(index);
      return;
    case Kind::GoToLabel:
      on_goto(statement);
      return;
    case Kind::SetVariable:
      on_set_variable(statement);
      return;
    case Kind::WizardLoop:
      on_wizard_loop(index);
      return;
    case Kind::DisplayDialog:
      on_display_dialog(statement);
      return;
    case Kind::TerminateInstall:
      stop_ = true;
      return;
    case Kind::TerminateWithExitCode: {
      int32_t code = 0;
      if (!ParseInt32(vars_.Expand(statement.parameter(1)), code)) code = 0;
      exit_code_ = code;
      stop_ = true;
      return;
    }
    case Kind::Other:
      break;
  }
  if (const CommandTable::Entry* entry = table_.find(statement.name())) entry->handler(statement);
}

void Executor::on_condition(Statement& statement, Kind kind) {
  std::string p1 = statement.parameter(1);
  std::string p3 = statement.parameter(3);
  std::string translated;
  if (host_.translate(statement.key(), 1, translated)) p1 = translated;
  if (host_.translate(statement.key(), 2, translated)) p3 = translated;
  const bool holds = EvaluateCondition(vars_, p1, statement.parameter(2), p3, statement.parameter(4));
  const size_t index = statement.index();
  const size_t n = script_.size();
  switch (kind) {
    case Kind::If:
    case Kind::ElseIf:
      if (!holds) skip_to_else_ = true;
      return;
    case Kind::While:
      if (holds) {
        loop_stack_.emplace_back("While");
      } else {
        const size_t wend = find_loop_statement(index, Kind::Wend, +1);
        position_ = wend == npos ? n + 1 : wend + 1;
      }
      return;
    case Kind::Until: {
      if (!loop_stack_.empty()) loop_stack_.pop_back();
      if (!holds) {
        const size_t repeat = find_loop_statement(index, Kind::Repeat, -1);
        position_ = repeat == npos ? n + 1 : repeat;
      }
      return;
    }
    default:
      return;
  }
}

void Executor::on_wend(size_t index) {
  const size_t opener = find_loop_statement(index, Kind::While, -1);
  position_ = opener == npos ? script_.size() + 1 : opener;
  if (!loop_stack_.empty()) loop_stack_.pop_back();
}

void Executor::on_break(size_t index) {
  // Outside any running loop (the check only counts loop statements) nothing happens.
  if (loop_stack_.empty()) return;
  const Kind closer = loop_stack_.back() == "While" ? Kind::Wend : Kind::Until;
  const size_t target = find_loop_statement(index, closer, +1);
  loop_stack_.pop_back();
  position_ = target == npos ? script_.size() + 1 : target + 1;
}

void Executor::on_continue(size_t index) {
  if (loop_stack_.empty()) return;
  const Kind opener = loop_stack_.back() == "While" ? Kind::While : Kind::Repeat;
  const size_t target = find_loop_statement(index, opener, -1);
  position_ = target == npos ? script_.size() + 1 : target + 1;
}

size_t Executor::find_loop_statement(size_t from, Kind target, int direction) {
  // Answers from the block map where the lists are well nested.
  const Kind here = kind_of(from);
  const bool from_loop_statement = here == Kind::While || here == Kind::Repeat || here == Kind::Wend ||
                                   here == Kind::Until;
  if (from_loop_statement && !script_.commented(from)) {
    const size_t partner = blocks_.loop_partner[from];
    if (partner != npos && kind_of(partner) == target) return partner;
  } else {
    const size_t opener = blocks_.enclosing_loop[from];
    if (opener != npos) {
      if (direction < 0 && kind_of(opener) == target) return opener;
      if (direction > 0) {
        const size_t closer = blocks_.loop_partner[opener];
        if (closer != npos && kind_of(closer) == target) return closer;
      }
    }
  }
  // Otherwise scan, passing nested loops whole.
  const size_t n = script_.size();
  int depth = 0;
  size_t examined = 0;
  for (size_t k = from;;) {
    if (direction > 0) {
      if (++k >= n) return npos;
    } else {
      if (k == 0) return npos;
      --k;
    }
    if (++examined % kScanPumpInterval == 0) host_.pump_messages();
    if (script_.commented(k)) continue;
    const Kind kind = kind_of(k);
    if (depth == 0 && kind == target) return k;
    const bool opens = kind == Kind::While || kind == Kind::Repeat;
    const bool closes = kind == Kind::Wend || kind == Kind::Until;
    if (direction > 0 ? opens : closes) {
      ++depth;
    } else if ((direction > 0 ? closes : opens) && depth > 0) {
      --depth;
    }
  }
}

void Executor::on_goto(Statement& statement) {
  auto it = label_index_.find(ToUpperAscii(statement.parameter(1)));
  if (it == label_index_.end()) return;
  position_ = it->second;  // the Label is fetched next
  skip_to_else_ = skip_to_end_ = evaluate_else_if_ = false;
  wizard_active_ = false;
  left_wizard_ = false;
}

void Executor::on_set_variable(Statement& statement) {
  std::string raw = statement.parameter(2);
  std::string translated;
  if (host_.translate(statement.key(), 1, translated)) raw = std::move(translated);
  std::string value = vars_.Expand(raw);

  std::string target = statement.parameter(1);
  bool remember = false;
  if (size_t at = target.find(kRememberToken); at != std::string::npos) {
    remember = std::string_view(target).substr(at + kRememberToken.size()) == "TRUE";
    target.resize(at);
  }
  const std::string name(VariableNameOf(target));
  if (name.empty()) return;
  if (!vars_.Exists(name)) vars_.DeclareUpper(name, kSetVariableContext);
  if (EqualsNoCase(name, "NATIVE_LOGGING")) host_.native_logging_changing(value);
  vars_.Assign(name, value, kSetVariableContext);
  if (remember) {
    const bool known = std::any_of(remembered_.begin(), remembered_.end(),
                                   [&](const std::string& r) { return EqualsNoCase(r, name); });
    if (!known) remembered_.push_back(name);
  }
  if (EqualsNoCase(name, "ABORT")) {
    vars_.Assign("OXLE_IsCancelled", value, kContextAbortMirror);
  } else if (EqualsNoCase(name, "OXLE_TIMEOUT")) {
    int32_t seconds = 0;
    download_timeout_ = ParseInt32(value, seconds) ? seconds : 10;
  } else if (EqualsNoCase(name, "PROGRESS") || EqualsNoCase(name, "PROGRESSTEXT")) {
    host_.progress_changed();
  }
}

void Executor::on_wizard_loop(size_t index) {
  const size_t end = next_active_end(index);
  const size_t last = end == npos ? script_.size() : end;
  int count = 0;
  for (size_t k = index + 1; k < last; ++k) {
    if (!inactive(k) && script_.name(k) != "Comment") ++count;
  }
  wizard_active_ = true;
  wizard_direction_ = +1;
  wizard_position_ = 0;
  wizard_count_ = count;
}

void Executor::on_display_dialog(Statement& statement) {
  const std::string result_name(VariableNameOf(statement.parameter(2)));
  const CommandTable::Entry* entry = table_.find(statement.name());
  std::string outcome;
  if (silent_ || !entry) {
    // Unattended: every page is accepted as if the user pressed Next.
    outcome = "NEXT";
    if (!result_name.empty()) {
      vars_.DeclareUpper(result_name, kDisplayDialogContext);
      vars_.Assign(result_name, outcome, kDisplayDialogContext);
    }
  } else {
    dialog_outcome_set_ = false;
    entry->handler(statement);
    if (dialog_outcome_set_)
      outcome = dialog_outcome_;
    else if (!result_name.empty())
      outcome = vars_.Get(result_name);
  }
  if (!wizard_active_) return;
  switch (classify_dialog_outcome(outcome)) {
    case DialogOutcome::Next: wizard_direction_ = +1; break;
    case DialogOutcome::Back: wizard_direction_ = -1; break;
    case DialogOutcome::Cancel: wizard_direction_ = 0; break;
    case DialogOutcome::Other: break;
  }
}

}  // namespace qel
