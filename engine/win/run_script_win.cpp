// RunScript: the engine start-up, the statement loop and the end of the run.
#include "engine/win/run_script_win.h"

#include <windows.h>

#include <exception>
#include <string>

#include "engine/compiler.h"
#include "engine/executor.h"
#include "engine/process_state.h"
#include "engine/run_script.h"
#include "engine/startup_hooks.h"
#include "engine/startup_variables.h"
#include "engine/trace.h"
#include "engine/variables.h"
#include "engine/win/removable_media.h"
#include "engine/win/system_facts.h"
#include "engine/win/windows_host.h"

namespace qel::engine_win {

namespace {

StartupFacts gather_facts(const ProcessState& state, const std::string& root_folder, const std::string& package) {
  StartupFacts facts;
  facts.program_path = state.program_path;
  facts.stub_folder = state.stub_folder;
  facts.root_folder = root_folder;
  facts.temp_folder = state.temp_folder;
  facts.support_folder = state.support_folder;
  facts.package_path = package;
  facts.trace_path = trace_path();
  facts.command_tail = state.command_tail;
  facts.sfx_path = state.sfx_path;
  facts.gpo_path = state.gpo_path;
  registered_user(facts.user_name, facts.user_company);
  facts.date = short_date_text();
  facts.time = long_time_text();
  facts.silent = state.silent;
  facts.glass = glass_enabled();
  return facts;
}

// Steps 10 to 16 of the start-up; false when the language choice was cancelled.
bool initialize_variables(TVariableManager& vars, const ProcessState& state, const StartupFacts& facts) {
  const Payload& payload = state.payload;
  StartupHooks& hooks = startup_hooks();
  if (hooks.define_predefined_component) hooks.define_predefined_component();
  apply_builtin_variables(vars, facts, payload);
  remove_reboot_resume_values(reboot_resume_value_name(payload.product_code));
  if (hooks.activate_deferred_statements) hooks.activate_deferred_statements();
  std::string language;
  const bool chosen = run_language_choice(vars, payload, state.silent, language);
  if (!chosen && !state.silent) return false;
  vars.DeclareOrAssign("LANGUAGE", language, kContextInitialization);
  vars.SetCommandLineProperties(state.properties);
  vars.SetSilent(state.silent);
  inject_command_line_properties(vars, state.properties);
  return true;
}

void run_script_windows(const RunScriptArgs& args) {
  ProcessState& state = process_state();
  TVariableManager& vars = variables();
  const Payload& payload = state.payload;

  trace("    <Variables>");
  const std::string root_folder = with_trailing_backslash(state.stub_folder);
  trace("    </Variables>");

  trace("    <CompileScript>");
  const ScriptLists lists{&args.names, &args.keys, &args.flags, &args.parameter_lists};
  const CompileOutput compiled = compile_script(lists, vars);
  if (!compiled.ok()) ExitProcess(kCompileErrorExitCode);
  trace("    </CompileScript>");

  vars.Clear();
  define_thread_progress_variables(vars, tick_count());
  apply_pre_initialization(vars, "", payload.title, running_as_administrator());

  trace("    <BootStrap>");
  run_bootstrap(vars, payload);
  trace("    </BootStrap>");

  WindowsHost host(payload, state.program_path);
  Executor executor(lists, vars, host);
  executor.set_payload(&payload);
  executor.prepare();
  executor.action_states() = compiled.action_states;
  if (args.callback) {
    const StatementCallback callback = args.callback;
    executor.set_callback([callback](size_t index) {
      callback(index);
      return true;
    });
  }

  if (single_instance_requested(payload)) {
    const std::string marker = single_instance_marker_path(state.temp_folder, payload.revision_code);
    if (file_exists(marker)) return;
    HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    host.set_single_instance_marker(marker);
  }

  trace("    <oxle>");
  try {
    const StartupFacts facts = gather_facts(state, root_folder, args.msi_file);
    if (!initialize_variables(vars, state, facts)) {
      host.exit_script(executor);
      return;
    }
  } catch (const std::exception& e) {
    host.report_startup_exception(vars, e.what());
    host.exit_script(executor);
    return;
  }

  executor.set_exit_code(state.exit_code);
  const RunEnd end = executor.run();
  state.exit_code = executor.exit_code();
  if (end != RunEnd::Finished) return;
  const std::string exe_folder = vars.ReadVariable("EXEDIR");
  if (source_media_removed(exe_folder)) finish_after_media_removed(state.exit_code);
}

}  // namespace

void InstallWindowsRunScript() { set_default_run_script_handler(&run_script_windows); }

}  // namespace qel::engine_win
