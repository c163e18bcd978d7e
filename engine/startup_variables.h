// The variables that the engine start-up defines before the first statement,
// computed from what the Windows side measured. Portable, so the order and the
// values are tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/payload.h"

namespace qel {

class TVariableManager;

// What the start-up reads from the system and the command line.
struct StartupFacts {
  std::string program_path;    // EXEFILE
  std::string stub_folder;     // EXEDIR (trailing backslash added when missing)
  std::string root_folder;     // ROOTDIR
  std::string temp_folder;     // TEMPDIR
  std::string support_folder;  // SUPPORTDIR
  std::string package_path;    // MSIFILE
  std::string trace_path;      // LOGGED
  std::string command_tail;    // CMDLINE
  std::string sfx_path;        // /m= (outer package path)
  std::string gpo_path;        // /g= (group-policy source)
  std::string user_name;       // registered owner
  std::string user_company;    // registered organization
  std::string iis_host = "localhost";
  std::string date;            // system short date format
  std::string time;            // system long time format
  bool silent = false;
  bool glass = false;
};

using VariablePairs = std::vector<std::pair<std::string, std::string>>;

// "C:\a\b.exe" -> "C:\a\"; "" for "" and for a path without a folder.
std::string folder_with_backslash(std::string_view path);
// "C:\a\b.exe" -> "b.exe".
std::string file_name_of(std::string_view path);
std::string with_trailing_backslash(std::string_view folder);

// The reference that SETUPPATH holds: "$GPOPATH$", "$SFXPATH$" or "$EXEDIR$".
std::string setup_path_reference(std::string_view gpo_folder, std::string_view sfx_folder);

// The built-in variables in start-up order, except NATIVE_ENGINE and
// OVERRIDECACHE, which are defined only when they do not exist yet
// (apply_builtin_variables does that).
VariablePairs builtin_variables(const StartupFacts& facts, const Payload& payload);

// Declares every built-in with the context "Initialization".
void apply_builtin_variables(TVariableManager& vars, const StartupFacts& facts, const Payload& payload);

// The worker progress variables (OXLE_thProgress ...), ticks in decimal.
void define_thread_progress_variables(TVariableManager& vars, uint64_t tick_count);

// TARGETDIR, STARTMENU and ALLUSERS before the bootstrap (context "Pre-Initialization").
void apply_pre_initialization(TVariableManager& vars, std::string_view default_target, std::string_view title,
                              bool administrator);

// The command-line properties (pairs: upper-cased NAME, value), in order, with the
// context that passes the silent-mode protection.
void inject_command_line_properties(TVariableManager& vars, const StringList& properties);

// The value name of the reboot-resume entry: the eight characters of the product
// code after its opening brace ("" when the code is shorter).
std::string reboot_resume_value_name(std::string_view product_code);

// TEMPDIR + revision code + ".qel".
std::string single_instance_marker_path(std::string_view temp_folder, std::string_view revision_code);

// "#SINGLEINSTANCE#" of the compiler variables reads "TRUE" (any case).
bool single_instance_requested(const Payload& payload);

}  // namespace qel
