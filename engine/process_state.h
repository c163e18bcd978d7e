// The process-wide values that the stub computes before it calls RunScript, shared
// with the engine. Folders end with a backslash. The trace log path lives in
// engine/trace.h.
#pragma once

#include <string>

#include "engine/payload.h"

namespace qel {

struct ProcessState {
  std::string program_path;        // EXEFILE (short form when the ANSI path holds "?")
  std::string stub_folder;         // folder of program_path
  std::string stub_base_name;      // file name of program_path without extension
  std::string temp_folder;         // TEMPDIR
  std::string support_folder;      // SUPPORTDIR; empty until created
  std::string resource_archive;    // stub folder + base name + ".res"
  std::string data_folder;         // stub folder + "data\"
  std::string command_tail;        // CMDLINE
  bool silent = false;             // switch s or qn
  bool windows_suppressed = false; // silent, update or updatesetup
  std::string gpo_path;            // /g= (lower-cased)
  std::string sfx_path;            // /m= (lower-cased)
  std::string alternative_source;  // /p= or -p= (lower-cased)
  StringList properties;           // pairs: upper-cased name, value
  int exit_code = 0;

  Payload payload;                 // the global lists; freed in the stub's "Free" step
  ParameterLists parameter_lists;  // one element: payload.params
};

ProcessState& process_state();

}  // namespace qel
