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

namespace qel {

// Reads the 27 items from payload text. No validation: a short payload leaves the
// later items empty. Lines may end in CR LF or LF. Item 3 is unescaped: a line that
// is exactly "$WILD_DOLLAR$" or "$DOLLAR$" (any case) becomes "$".
Payload read_payload(std::string_view text);

// Writes the exact format (CR LF line ends). A parameter line that is exactly "$"
// is written as "$DOLLAR$". Throws std::invalid_argument for content that the
// format cannot carry: a line break inside a line, or a block line that is
// exactly "$" outside the parameter blocks.
std::string write_payload(const Payload& payload);

// The list of parameter lists: statement key -> its parameter lines. The stub
// passes one list (item 3); lookups search the lists in order.
class ParameterLists {
 public:
  ParameterLists() = default;
  explicit ParameterLists(const StringList* params) { add(params); }
  void add(const StringList* params);
  void clear();
  // Parameter n (from 1) of the statement with this key (any case); "" when no
  // list holds the key or n lies beyond the list.
  std::string parameter(std::string_view key, int n) const;
  bool has_key(std::string_view key) const;

  // Where a statement's parameter block starts, found once and read many times
  // (the executor resolves every statement before the run). lines is null when
  // no list holds the key.
  struct Block {
    const StringList* lines = nullptr;
    size_t position = 0;
  };
  Block find(std::string_view key) const;
  static std::string parameter(const Block& block, int n);

 private:
  struct Indexed {
    const StringList* lines;
    std::vector<std::pair<std::string, size_t>> index;  // upper-cased key -> line position, sorted
  };
  std::vector<Indexed> lists_;
};

struct SourceLine {
  std::string file;  // script file name without folder and extension
  int line = 0;      // 1-based
};

// The error-report position of a statement from item 25 ("path*line", 0-based).
SourceLine source_line(const Payload& payload, size_t statement_index);

}  // namespace qel
