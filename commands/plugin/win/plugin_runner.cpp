#include "commands/plugin/win/plugin_runner.h"

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "commands/actions/action_hooks.h"
#include "commands/actions/action_values.h"
#include "commands/actions/win/action_frame.h"
#include "commands/bitness.h"
#include "commands/platform_hooks.h"
#include "commands/plugin/plugin_location.h"
#include "commands/plugin/variable_exchange.h"
#include "commands/plugin/win/script_thread.h"
#include "commands/win/os_info.h"
#include "engine/executor.h"
#include "engine/process_state.h"
#include "engine/setup_caption.h"
#include "engine/variables.h"

namespace qel::commands::plugin {

namespace {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ErrorBox(bool silent, const std::string& text) {
  if (!silent) actions::EngineMessageBox(text, setup_caption(), MB_ICONHAND, false);
}

// The library's path; nullopt when the statement must stop here.
std::optional<std::string> LocateLibrary(Statement& statement, bool silent) {
  TVariableManager& vars = statement.vars();
  const ProcessState& state = process_state();
  const Payload& payload = state.payload;
  const std::string stored = statement.parameter(2);
  const std::string entry =
      statement.index() < payload.media_blocks.size() ? payload.media_blocks[statement.index()] : std::string();
  if (entry.empty()) return SupportFolderLibrary(state.support_folder, stored);

  if (payload.build_mode == 2) {
    if (!IsTrue(vars.ReadVariable("ABORTEDONERROR"))) {
      const auto& ensure = actions::action_hooks().ensure_web_block;
      const std::string error = ensure ? ensure(entry) : std::string();
      if (!error.empty()) {
        ErrorBox(silent, error);
        if (IsTrue(vars.ReadVariable("ABORTONERROR"))) {
          if (const auto& rollback = actions::action_hooks().rollback) rollback();
          statement.executor().stop();
          return std::nullopt;
        }
        vars.Assign("ABORTEDONERROR", "TRUE", "Weblock Abort");
      }
    }
    return DataFolderLibrary(state.data_folder, entry, stored);
  }

  SourceSearch search;
  search.file_exists = FileExists;
  if (!silent && actions::action_hooks().browse_folder) {
    search.ask_folder = [] {
      const auto& taskbar = actions::action_hooks().taskbar_request;
      if (taskbar) taskbar(true, false);
      std::string folder = actions::action_hooks().browse_folder(std::string(kLocateSourcesPrompt));
      if (taskbar) taskbar(false, false);
      return folder;
    };
  }
  std::string folder = LocateSourceFolder(state.data_folder, payload.product_code, search);
  if (folder.empty()) {
    if (IsTrue(vars.ReadVariable("ABORTONERROR"))) throw std::runtime_error(std::string(kSourcesNotFound));
    folder = state.data_folder;
  }
  return DataFolderLibrary(folder, entry, stored);
}

bool UsesRedirectionBracket(const std::string& library) {
  return !(actions::IsMsiExecLibrary(library) && VersionAtLeast(CurrentOsInfo(), 6, 1));
}

}  // namespace

void RunPluginStatement(Statement& statement) {
  TVariableManager& vars = statement.vars();
  Executor& executor = statement.executor();
  const bool silent = executor.silent();
  const std::optional<std::string> library = LocateLibrary(statement, silent);
  if (!library) return;

  ScriptThreadFields fields;
  fields.library = *library;
  fields.exchange_text = BuildExchangeText(vars);
  fields.parameters = statement.parameter(1);
  if (!FileExists(fields.library)) {
    ErrorBox(silent, MissingLibraryMessage());
    return;
  }
  fields.owner = actions::OwnerWindow();

  CommandParams params(vars, statement.name(), statement.key(), [&statement](int n) { return statement.parameter(n); });
  bool ended = false;
  actions::ActionFrame frame{params, silent, [&ended] { ended = true; }};
  {
    std::optional<RedirectionBracket> redirection;
    std::optional<RegistryViewScope> view;
    if (UsesRedirectionBracket(fields.library)) {
      redirection.emplace();
      view.emplace();
    }
    actions::ThreadWorker worker([&fields, &vars](actions::ThreadWorker& w) { RunScriptThread(fields, vars, w); });
    const WaitOutcome outcome =
        actions::RunWorkerCommand(worker, WatchdogRule::kKillWhenSilent, frame, kCancelPlugIn);
    // What a killed plug-in left behind is not trusted.
    if (outcome.killed) fields.result.clear();
  }
  if (ended) {
    executor.stop();
    return;
  }
  if (fields.result.empty()) {
    if (IsTrue(vars.ReadVariable("ABORTONERROR"))) throw std::runtime_error(std::string(kGeneralSetupFailure));
    return;
  }
  ApplyExchangeText(vars, fields.result);
}

void InstallPluginRunner() { set_plugin_runner(RunPluginStatement); }

}  // namespace qel::commands::plugin
