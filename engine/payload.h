// The setup payload: the compiled script and its tables, appended to the stub.
// Plain 8-bit text, CR LF line ends, 27 items in a fixed order (blocks closed by
// a line that is exactly "$", single lines, and decimal numbers).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

using StringList = std::vector<std::string>;

struct Payload {
  StringList names;              // 1  statement names, one per statement
  StringList keys;               // 2  statement keys ("{GUID}"), one per statement
  StringList params;             // 3  parameter blocks: key line then its parameter lines (unescaped)
  StringList flags;              // 4  "" or "C", one per statement
  std::string product_code;      // 5
  std::string title;             // 6
  StringList plugin_names;       // 7  commands run by plug-in libraries
  std::string company;           // 8
  std::string contact;           // 9
  std::string help_link;         // 10
  std::string update_link;       // 11
  std::string comments;          // 12
  std::string version;           // 13
  StringList media_passwords;    // 14 pairs: block name, scrambled password
  StringList media_blocks;       // 15 one per statement
  int build_mode = 1;            // 16 1, 2 or 3
  StringList component_sizes;    // 17 pairs: NAME, decimal size
  std::string revision_code;     // 18
  StringList media_relocations;  // 19 triples
  bool ask_language = false;     // 20 line equals "TRUE" (case-sensitive)
  std::string default_language;  // 21
  StringList command_headers;    // 22 pairs: 8 hex digits, statement index
  StringList compiler_variables; // 23 pairs: name, value
  int code_page = 1252;          // 24
  StringList source_lines;       // 25 "path*line", one per statement
  int64_t native_progress_total = 0; // 26
  StringList native_files;       // 27 pairs, groups opened by (header id, "NEWHEADER")

  size_t statement_count() const { return names.size(); }
};

}  // namespace qel
