// Turns a parsed script into the payload and the lists of files that go into
// the setup folder: everything the author does not write by hand (statement
// keys, command headers, the native file table, component sizes, the native
// progress total, the source-line map) is computed here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/payload.h"
#include "tools/qelbuild/diagnostics.h"
#include "tools/qelbuild/script_document.h"

namespace qel::build {

// One file copied into "data\".
struct DataFile {
  std::filesystem::path source;
  std::string data_path;  // relative to the data folder, "\" between folders
  uint64_t size = 0;
};

// One file of the resource archive.
struct ResourceFile {
  std::filesystem::path source;
  std::string archive_name;  // "/" between folders
};

struct SetupPlan {
  Payload payload;  // revision_code still empty unless the script pins it
  std::vector<DataFile> data_files;          // sorted by data_path
  std::vector<ResourceFile> resource_files;  // sorted by archive_name
  std::vector<Diagnostic> warnings;
};

// Statements whose actions the native engine records; each gets a command header.
bool is_deferred_statement(std::string_view name);
// Deferred statements that carry files in the native file table.
bool carries_files(std::string_view name);
// The fixed progress weight of a deferred action (0 when its files count instead).
uint64_t action_weight(std::string_view name);

// base_dir: the folder that relative sources are taken from (the script's folder).
// Throws BuildFailed for missing sources and content the payload cannot carry.
SetupPlan plan_setup(const ScriptDocument& script, const std::filesystem::path& base_dir);

}  // namespace qel::build
