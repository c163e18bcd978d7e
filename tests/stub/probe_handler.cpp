// A RunScript handler for the end-to-end tests: it writes what the stub handed over
// (process values, statement lists, pre-loaded dialogs, support folder files with
// their read-only bit) to
// the file named by QEL_PROBE_FILE, and throws when QEL_PROBE_THROW is set.
#include <windows.h>

#include <fstream>
#include <stdexcept>

#include "engine/process_state.h"
#include "engine/run_script.h"
#include "engine/trace.h"
#include "stub/dialog_preloader.h"

namespace {

std::string env(const char* name) {
  char buffer[32768] = {};
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

void probe(const qel::RunScriptArgs& args) {
  const qel::ProcessState& s = qel::process_state();
  std::ofstream out(env("QEL_PROBE_FILE"), std::ios::binary);
  out << "tail=" << s.command_tail << "\n"
      << "silent=" << s.silent << "\n"
      << "suppressed=" << s.windows_suppressed << "\n"
      << "trace=" << qel::trace_path() << "\n"
      << "gpo=" << s.gpo_path << "\n"
      << "sfx=" << s.sfx_path << "\n"
      << "alt=" << s.alternative_source << "\n"
      << "support=" << s.support_folder << "\n"
      << "data=" << s.data_folder << "\n"
      << "msi=" << args.msi_file << "\n"
      << "statements=" << args.names.size() << "\n"
      << "media0=" << (args.media_blocks.empty() ? "" : args.media_blocks[0]) << "\n";
  for (size_t i = 0; i + 1 < s.properties.size(); i += 2) out << "property=" << s.properties[i] << "|" << s.properties[i + 1] << "\n";
  for (const auto& [dfm, key] : qel::preloaded_dialogs()) out << "dialog=" << dfm << "|" << key << "\n";
  if (!args.keys.empty()) out << "param1=" << args.parameter_lists.parameter(args.keys[0], 1) << "\n";
  for (const char* name : {"welcome.dfm", "setup.msi", "setup.msp"}) {
    const DWORD a = GetFileAttributesA((s.support_folder + name).c_str());
    out << "file=" << name << "|"
        << (a == INVALID_FILE_ATTRIBUTES ? "missing" : std::to_string(a & FILE_ATTRIBUTE_READONLY)) << "\n";
  }
  out.close();
  if (!env("QEL_PROBE_THROW").empty()) throw std::runtime_error("probe failure");
}

const bool registered = (qel::set_run_script_handler(&probe), true);

}  // namespace
