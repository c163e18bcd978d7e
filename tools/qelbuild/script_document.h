// A setup script as the author wrote it: the product header, the support files
// and the statements with their parameters and installed files.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qel::build {

// A "+ SOURCE [=> FOLDER]" line: a file, or a folder whose whole tree is taken.
struct FileSource {
  std::string source;       // as written, relative to the script's folder
  std::string destination;  // sub-folder under the statement's target ("" = the target itself)
  int line = 0;             // 1-based
};

struct ScriptStatement {
  std::string name;
  std::vector<std::string> parameters;
  bool has_parameter_block = false;  // false: no "|" line at all
  bool commented = false;            // flag "C"
  int line = 0;                      // 1-based line of the name
  std::vector<FileSource> files;     // "Install Files" and the other file-carrying statements
};

struct ScriptHeader {
  std::string title;
  std::string product_code;
  std::string revision_code;  // empty: derived from the built content
  std::string version;
  std::string company;
  std::string contact;
  std::string help_link;
  std::string update_link;
  std::string comments;
  std::string default_language = "English";
  bool ask_language = false;
  int build_mode = 1;
  int code_page = 1252;
  std::string stub_name = "setup.exe";
  std::string splash_bitmap;  // source of setup.bmp, relative to the script
  std::string package;        // source of the Windows Installer package (".msi")
  std::string patch;          // source of the patch (".msp")
  int line = 0;               // line of "[Setup]"
};

struct ScriptDocument {
  std::string file;  // the script path as given (diagnostics)
  ScriptHeader header;
  std::vector<std::pair<std::string, std::string>> compiler_variables;
  std::vector<std::string> plugin_commands;
  std::vector<FileSource> resources;  // destination = name inside the archive
  std::vector<ScriptStatement> statements;
  int line_count = 0;
};

}  // namespace qel::build
