// Assembles setups from the real qelstub.exe and qel.lib in throw-away folders and
// runs them as a user would, answering the message boxes they show (Windows; runs
// under Wine).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/payload.h"

namespace qel::interactive {

// A build-host path ("/a/b") as Wine shows it ("Z:\a\b").
std::string host_path(const char* unix_path);

std::string read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);
bool folder_exists(const std::string& path);
bool file_exists(const std::string& path);
// Names in the folder, without "." and "..".
std::vector<std::string> folder_entries(const std::string& folder);
// Creates the folder and its parents.
void make_folders(const std::string& path);
// Removes the folder with everything in it (read-only files too).
void remove_tree(const std::string& path);

// A fresh folder per test case: its "temp" is the child's TMP/TEMP, its
// "Setup Folder" (a name with a space) holds the setup.
struct SetupFolder {
  explicit SetupFolder(const std::string& case_name);
  std::string root;        // ends with "\"
  std::string temp;        // ends with "\"
  std::string setup;       // ends with "\"
  std::string base_name = "Demo Setup";
  std::string exe() const { return setup + base_name + ".exe"; }
  std::string resource_archive() const { return setup + base_name + ".res"; }

  // qelstub.exe with the payload appended (no payload when the text is empty),
  // beside it qel.lib.
  void install_stub(const std::string& payload_text) const;
  void install_resources(const std::string& archive_bytes) const;
};

// An empty script with the identity values that start-up reads.
Payload empty_script_payload();

// The files built with the tests.
std::string stub_exe();
std::string archive_library();
std::string good_resource_archive();
std::string lang_loc_file();

struct MessageBoxSeen {
  std::string caption;
  std::string text;
};

struct RunResult {
  DWORD exit_code = 0;
  bool finished = false;                 // false: killed after the time limit
  std::vector<MessageBoxSeen> boxes;     // every message box, answered with OK
  std::vector<std::string> other_windows;// classes of other visible top-level windows
};

// Waits until this process can create a window (a freshly booted Wine prefix
// refuses the first ones); false when it never could.
bool wait_for_desktop(DWORD time_limit_ms = 20000);

// Runs the exact command line with TMP and TEMP set to temp_folder and waits for
// the process, answering each message box it shows.
RunResult run_setup(const std::string& command_line, const std::string& temp_folder, DWORD time_limit_ms = 60000);

}  // namespace qel::interactive
