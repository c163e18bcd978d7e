// What the Windows Installer path collects while the script runs: which
// deferred statements ran, the package properties with their run-time values,
// the property journal kept in the engine cache, and the shortcut-rename and
// file-type lists that are written into the package.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/command_params.h"
#include "engine/payload.h"

namespace qel::native {

struct ShortcutRename {
  std::string property;      // "P" + header + "_1"
  std::string display_name;  // short and long name form, "Docume~1|Documentation"
  std::string description;
  bool operator==(const ShortcutRename&) const = default;
};

struct FileTypeEntry {
  std::string raw_class;        // parameter 1 as written
  std::string localized_class;  // parameter 1 translated
  std::string description;      // parameter 3 translated
  bool operator==(const FileTypeEntry&) const = default;
};

// Every CR LF replaced by "$NEWLINE$".
std::string EncodeNewlines(std::string_view text);

// The first six characters of name, trimmed, then "~1|" and the full name.
std::string ShortcutDisplayName(std::string_view name);

class InstallerPathLists {
 public:
  // "TRUE" at the statement's position (the list grows as needed).
  void Activate(size_t statement_index);
  const std::vector<std::string>& activation() const { return activation_; }
  bool IsActivated(size_t statement_index) const;

  // Appends to the property lists and the journal; CR LF in the value becomes
  // "$NEWLINE$". A property set twice occurs twice.
  void AddProperty(std::string_view name, std::string_view value);
  const std::vector<std::string>& property_names() const { return names_; }
  const std::vector<std::string>& property_values() const { return values_; }
  // Hands the property list to the package writer and starts a new one; the
  // journal keeps growing.
  std::vector<std::pair<std::string, std::string>> TakeProperties();

  // Alternating names and values for the whole run.
  const std::vector<std::string>& journal() const { return journal_; }
  // Maintenance: the journal saved in the engine cache (".par").
  void ReplaceJournal(std::vector<std::string> journal) { journal_ = std::move(journal); }

  void AddShortcutRename(ShortcutRename entry) { shortcut_renames_.push_back(std::move(entry)); }
  const std::vector<ShortcutRename>& shortcut_renames() const { return shortcut_renames_; }
  void AddFileType(FileTypeEntry entry) { file_types_.push_back(std::move(entry)); }
  const std::vector<FileTypeEntry>& file_types() const { return file_types_; }

  void Clear();

 private:
  std::vector<std::string> activation_;
  std::vector<std::string> names_;
  std::vector<std::string> values_;
  std::vector<std::string> journal_;
  std::vector<ShortcutRename> shortcut_renames_;
  std::vector<FileTypeEntry> file_types_;
};

InstallerPathLists& installer_lists();

// Start-up: every statement whose command header is in the payload's table
// gets its activation property "A"+header = "FALSE", in statement order.
// Statements without a header are skipped.
void ActivateDeferredStatements(const Payload& payload, InstallerPathLists& lists);

// The run-time parameter properties of a deferred statement under the Windows
// Installer engine: ("P"+header+"_"+k, value) in k order.
std::vector<std::pair<std::string, std::string>> InstallerParameterProperties(const commands::CommandParams& params,
                                                                              std::string_view header);

// The whole Windows Installer path of one deferred statement: activation,
// "A"+header = "TRUE", the parameter properties, and for the shortcut and
// advertised file-type statements their rename / file-type entries.
void RecordForInstaller(const commands::CommandParams& params, size_t statement_index, std::string_view header,
                        InstallerPathLists& lists);

}  // namespace qel::native
