#include "engine/startup_variables.h"

#include "engine/ascii.h"
#include "engine/variables.h"

namespace qel {

std::string folder_with_backslash(std::string_view path) {
  const size_t cut = path.find_last_of("\\/:");
  if (cut == std::string_view::npos) return {};
  std::string folder(path.substr(0, cut + 1));
  if (folder.back() == '/') folder.back() = '\\';
  if (folder.back() == ':') folder += '\\';
  return folder;
}

std::string file_name_of(std::string_view path) {
  const size_t cut = path.find_last_of("\\/:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string with_trailing_backslash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\') out += '\\';
  return out;
}

std::string setup_path_reference(std::string_view gpo_folder, std::string_view sfx_folder) {
  if (!gpo_folder.empty()) return "$GPOPATH$";
  if (!sfx_folder.empty()) return "$SFXPATH$";
  return "$EXEDIR$";
}

VariablePairs builtin_variables(const StartupFacts& f, const Payload& p) {
  const std::string sfx_folder = f.sfx_path.empty() ? std::string() : folder_with_backslash(f.sfx_path);
  const std::string gpo_folder = f.gpo_path.empty() ? std::string() : folder_with_backslash(f.gpo_path);
  return {
      {"OXLE_TIMEOUT", "10"},
      {"OXLE_COMPRESS_INSTALLER_CACHE", "TRUE"},
      {"OXLE_DISABLE_ROLLBACK", "FALSE"},
      {"OXLE_DISABLE_VISTA_RESTART_MANAGER", "FALSE"},
      {"NATIVE_LOGGING", ""},
      {"NATIVE_ROLLBACK", "TRUE"},
      {"NATIVE_ERROR", "PROMPT"},
      {"NATIVE_OVERWRITE", "PROMPT"},
      {"NATIVE_OVERWRITE_OLDER", "FALSE"},
      {"NATIVE_PROGRESS", "0"},
      {"DELAYUNTIL_APPLYCHANGES", "FALSE"},
      {"IISHOST", f.iis_host},
      {"OXLELOGO", ""},
      {"SELECTED", "0"},
      {"WINDOWHANDLE", "0"},
      {"EXEFILE", f.program_path},
      {"EXEDIR", with_trailing_backslash(f.stub_folder)},
      {"PROGRESSTEXT", ""},
      {"PROGRESSMODE", ""},
      {"CUSTOM_TASKBAR_PROGRESS_ENABLED", "FALSE"},
      {"CUSTOM_TASKBAR_PROGRESS_PERCENT", "0"},
      {"CUSTOM_TASKBAR_PROGRESS_MAX", "100"},
      {"ABORT", "FALSE"},
      {"PROGRESS", "0"},
      {"LASTERROR", ""},
      {"LICENSE", "FALSE"},
      {"USERNAME", f.user_name},
      {"USERCOMPANY", f.user_company},
      {"COPYWEBLOCK", ""},
      {"REBOOTCOMPUTER", "FALSE"},
      {"RUNAPP", "TRUE"},
      {"WIZARD", "NEXT"},
      {"VERSION", p.version},
      {"SILENT", f.silent ? "TRUE" : "FALSE"},
      {"LOGGED", f.trace_path},
      {"CMDLINE", f.command_tail},
      {"REBOOTNOW", "OK"},
      {"SFXPATH", sfx_folder},
      {"SFXFILE", f.sfx_path.empty() ? std::string() : file_name_of(f.sfx_path)},
      {"GPOPATH", gpo_folder},
      {"SETUPPATH", setup_path_reference(gpo_folder, sfx_folder)},
      {"COMPLETE", "TRUE"},
      {"NEWLINE", "\r\n"},
      {"MINIMUM", "FALSE"},
      {"PERSONALIZED", "FALSE"},
      {"MODIFY", "TRUE"},
      {"GLASS", f.glass ? "TRUE" : "FALSE"},
      {"REPAIR", "FALSE"},
      {"REMOVE", "FALSE"},
      {"ROOTDIR", f.root_folder},
      {"TITLE", p.title},
      {"COMPANY", p.company},
      {"ADVERTISE", "FALSE"},
      {"DATE", f.date},
      {"TIME", f.time},
      {"TEMPDIR", f.temp_folder},
      {"ABORTONERROR", "TRUE"},
      {"ABORTEDONERROR", "FALSE"},
      {"SAVEDATA", "FALSE"},
      {"SUPPORTDIR", f.support_folder},
      {"MSIFILE", f.package_path},
  };
}

void apply_builtin_variables(TVariableManager& vars, const StartupFacts& facts, const Payload& payload) {
  const VariablePairs pairs = builtin_variables(facts, payload);
  for (const auto& [name, value] : pairs) {
    // Two names keep a value that the bootstrap or an earlier run step gave them.
    if (name == "NATIVE_LOGGING" && !vars.Exists("NATIVE_ENGINE"))
      vars.DeclareOrAssign("NATIVE_ENGINE", "FALSE", kContextInitialization);
    if (name == "OXLELOGO" && !vars.Exists("OVERRIDECACHE"))
      vars.DeclareOrAssign("OVERRIDECACHE", "", kContextInitialization);
    vars.DeclareOrAssign(name, value, kContextInitialization);
  }
}

void define_thread_progress_variables(TVariableManager& vars, uint64_t tick_count) {
  const std::string ticks = std::to_string(tick_count);
  const std::pair<const char*, std::string> pairs[] = {
      {"OXLE_thProgress", "0"},         {"OXLE_thMax", "100"},          {"OXLE_thMin", "0"},
      {"OXLE_thProgressText", ""},      {"OXLE_thFinished", "FALSE"},   {"OXLE_thCancelled", "FALSE"},
      {"OXLE_IsCancelled", "FALSE"},    {"OXLE_LastDelegateTick", ticks}, {"OXLE_LastActiveTick", ticks},
  };
  for (const auto& [name, value] : pairs) vars.Define(name, value);
}

void apply_pre_initialization(TVariableManager& vars, std::string_view default_target, std::string_view title,
                              bool administrator) {
  vars.DeclareOrAssign("TARGETDIR", default_target, kContextPreInitialization);
  vars.DeclareOrAssign("STARTMENU", title, kContextPreInitialization);
  vars.DeclareOrAssign("ALLUSERS", administrator ? "TRUE" : "FALSE", kContextPreInitialization);
}

void inject_command_line_properties(TVariableManager& vars, const StringList& properties) {
  for (size_t i = 0; i < properties.size(); i += 2) {
    const std::string name = ToUpperAscii(properties[i]);
    const std::string& value = i + 1 < properties.size() ? properties[i + 1] : std::string();
    if (vars.Exists(name))
      vars.Assign(name, value, kContextCommandLine);
    else
      vars.DeclareOrAssign(name, value, kContextCommandLine);
  }
}

std::string reboot_resume_value_name(std::string_view product_code) {
  if (product_code.size() < 9) return {};
  return std::string(product_code.substr(1, 8));
}

std::string single_instance_marker_path(std::string_view temp_folder, std::string_view revision_code) {
  return std::string(temp_folder) + std::string(revision_code) + ".qel";
}

bool single_instance_requested(const Payload& payload) {
  return EqualsNoCase(ExpandCompilerVariables("#SINGLEINSTANCE#", payload.compiler_variables), "TRUE");
}

}  // namespace qel
