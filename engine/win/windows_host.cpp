#include "engine/win/windows_host.h"

#include <windows.h>

#include <vector>

#include "engine/ascii.h"
#include "engine/setup_caption.h"
#include "engine/startup_hooks.h"
#include "engine/startup_variables.h"
#include "engine/variables.h"
#include "engine/win/system_facts.h"
#include "lang/language_strings.h"

namespace qel::engine_win {

namespace {

// Creates the folder and its missing parents; created receives each folder made,
// outermost first.
bool create_folder_chain(const std::string& folder, std::vector<std::string>& created) {
  std::string path = folder;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty()) return false;
  if (folder_exists(path)) return true;
  const size_t cut = path.find_last_of('\\');
  if (cut != std::string::npos && cut > 0) {
    const std::string parent = path.substr(0, cut);
    const bool parent_is_drive = parent.size() == 2 && parent[1] == ':';
    if (!parent_is_drive && !create_folder_chain(parent, created)) return false;
  }
  if (!CreateDirectoryA(path.c_str(), nullptr)) return folder_exists(path);
  created.push_back(path);
  return true;
}

}  // namespace

uint64_t WindowsHost::tick_count() { return engine_win::tick_count(); }

void WindowsHost::pump_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void WindowsHost::before_statement(Executor& executor) {
  // DATE and TIME change with the clock's seconds; everything else here follows
  // variables, which have not changed when the store is quiet.
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t second = ((uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) / 10'000'000u;
  if (executor.store_quiet() && second == refreshed_second_) return;
  refreshed_second_ = second;
  TVariableManager& vars = executor.vars();
  apply_cache_override(vars);
  vars.DeclareOrAssign("DATE", short_date_text(), kContextInitialization);
  vars.DeclareOrAssign("TIME", long_time_text(), kContextInitialization);
  refresh_language(vars);
  refresh_cache_paths(vars);
}

void WindowsHost::apply_cache_override(TVariableManager& vars) {
  const std::string value = vars.ReadVariable("OVERRIDECACHE");
  if (value.empty() || value == last_override_) return;
  const std::string folder = with_trailing_backslash(value);
  std::vector<std::string> created;
  if (create_folder_chain(folder, created)) {
    vars.Assign("OVERRIDECACHE", folder, kContextCommandLine);
    run_bootstrap(vars, payload_);
    last_override_ = folder;
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryA(it->c_str());
  } else {
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryA(it->c_str());
    vars.Assign("OVERRIDECACHE", "", "Failed Cache Override");
    last_override_.clear();
  }
}

void WindowsHost::refresh_language(TVariableManager& vars) {
  std::string active = vars.ReadVariable("LANGUAGE");
  if (!active.empty() && active != last_language_) {
    last_language_ = active;
    const auto& load = startup_hooks().load_translations;
    bool loaded = true;
    try {
      if (load) loaded = load(active);
    } catch (...) {
      loaded = false;
    }
    if (!loaded) active.clear();
  }
  vars.DeclareOrAssign("LANGUAGE", active, kContextInitialization);
}

void WindowsHost::refresh_cache_paths(TVariableManager& vars) {
  const bool all_users = IsTrue(vars.ReadVariable("ALLUSERS"));
  if (payload_.build_mode == 3) {
    const std::string program = uninstall_program(vars.ReadVariable("TITLE"), all_users);
    vars.DeclareOrAssign("UNINSTALLLINK", program, kContextInitialization);
    vars.DeclareOrAssign("ENGINECACHE", folder_with_backslash(program), kContextInitialization);
    return;
  }
  std::string key = vars.ReadVariable("OVERRIDECACHE");
  key += all_users ? '1' : '0';
  if (key != cached_root_key_ || cached_root_.empty()) {
    const auto& hook = startup_hooks().cache_root;
    if (hook) {
      cached_root_ = hook(vars, all_users);
    } else {
      const std::string override_folder = vars.ReadVariable("OVERRIDECACHE");
      cached_root_ = override_folder.empty() ? shell_cache_root(all_users) : with_trailing_backslash(override_folder);
    }
    cached_root_key_ = key;
  }
  const std::string cache = cached_root_ + payload_.revision_code + "\\";
  vars.DeclareOrAssign("ENGINECACHE", cache, kContextInitialization);
  vars.DeclareOrAssign("UNINSTALLLINK", cache + file_name_of(program_path_), kContextInitialization);
}

bool WindowsHost::translate(std::string_view key, int slot, std::string& text) {
  const auto& hook = startup_hooks().translate;
  return hook && hook(key, slot, text);
}

void WindowsHost::show_report(bool silent, const std::string& message) {
  if (silent) return;
  MessageBoxA(nullptr, message.c_str(), setup_caption().c_str(), MB_ICONERROR | MB_OK);
}

void WindowsHost::report_exception(Executor& executor, size_t index, const std::string& text) {
  const std::string message = index == BlockMap::npos
                                  ? lang_string(20) + "\r\r" + text
                                  : exception_report_text(lang_string(20), executor.source_of(index), text);
  show_report(executor.silent(), message);
}

void WindowsHost::report_startup_exception(TVariableManager& vars, const std::string& text) {
  show_report(IsTrue(vars.ReadVariable("SILENT")), lang_string(20) + "\r\r" + text);
}

void WindowsHost::exit_script(Executor&) {
  if (!marker_.empty()) DeleteFileA(marker_.c_str());
  for (const auto& action : startup_hooks().exit_script_actions) {
    if (action) action();
  }
}

}  // namespace qel::engine_win
