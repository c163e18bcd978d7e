// "Find All Files" (TFindAllFilesThread) and "Delete Files Recursive".
#include <windows.h>

#include <string>
#include <vector>

#include "commands/actions/file_search.h"
#include "commands/actions/progress_report.h"
#include "commands/actions/win/action_commands.h"
#include "commands/actions/win/thread_worker.h"
#include "commands/bitness.h"
#include "engine/variables.h"

namespace qel::commands::actions {

namespace {

std::vector<FolderEntry> ListFolder(const std::string& wildcard_path) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(wildcard_path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return entries;
}

uint64_t Tick() { return GetTickCount64(); }

struct FindFields {
  std::string pattern;
  SearchOptions options;
  std::vector<std::string> found;
};

void FindBody(FindFields& f, TVariableManager& vars, ThreadWorker& worker) {
  void* redirection = RedirectionState::ForcedDisable();
  int position = 0;
  SearchEvents events;
  events.on_search_call = [&] {
    position = NextSearchPosition(position);
    DelegateUpdate(vars, kKeepProgressText, 0, 100, position, Tick());
  };
  events.on_file = [&](const std::string& path) { DelegateUpdate(vars, path, 0, 100, kKeepPosition, Tick()); };
  events.stop_requested = [&] { return worker.StopRequested(); };
  f.found = SearchFiles(ListFolder, f.pattern, f.options, events);
  RedirectionState::ForcedRevert(redirection);
}

}  // namespace

void FindAllFilesCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  FindFields fields;
  fields.pattern = p.path(1);
  fields.options.include_subfolders = p.flag(2);
  fields.options.list_folders = p.flag(3);
  const std::string variable = p.variable_name(4);
  TVariableManager& vars = p.vars();
  bool ended = false;
  WaitOutcome outcome;
  {
    ThreadWorker worker([&fields, &vars](ThreadWorker& w) { FindBody(fields, vars, w); });
    ActionFrame inner{p, frame.silent, [&ended] { ended = true; }};
    outcome = RunWorkerCommand(worker, WatchdogRule::kKillWhenSilent, inner, kCancelFindFiles);
  }
  // A killed search may have left its list half-written: nothing of it is used.
  if (outcome.killed) fields.found.clear();
  if (!variable.empty()) p.assign(variable, JoinFoundFiles(fields.found));
  if (ended && frame.end_script) frame.end_script();
}

void DeleteFilesRecursiveCommand(ActionFrame& frame) {
  RedirectionBracket bracket;
  const std::string pattern = frame.params.path(1);
  DeleteOperations ops;
  ops.set_normal_attributes = [](const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); };
  ops.delete_file = [](const std::string& path) { DeleteFileA(path.c_str()); };
  ops.remove_folder = [](const std::string& path) { RemoveDirectoryA(path.c_str()); };
  DeleteFilesRecursive(ListFolder, pattern, ops);
}

}  // namespace qel::commands::actions
