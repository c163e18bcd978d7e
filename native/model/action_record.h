// The recorded form of a deferred installation statement: an action kind, named
// after its statement, and an action record, an ordered list of text fields kept
// as comma text. The native worker reads the fields back by position; the typed
// views below name the positions. Field texts are stored as the record builder
// produced them: flags keep their text and are read with IsTrue by the worker.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qel::native {

enum class ActionKind {
  kNone,  // a name that is no deferred statement (also "DELAYEDINSTALL" etc.)
  kWriteRegistry,
  kInstallFiles,
  kInstallAssembly,
  kInstallService,
  kControlService,
  kInstallOdbcDriver,
  kCreateOdbcDsn,
  kCreateFolder,
  kCreateShortcut,
  kAdvertisedShortcut,
  kCreateFileType,
  kAdvertisedFileType,
  kCopyMoveLocalFiles,
  kDeleteFiles,
  kEditIniFile,
  kSetEnvironment,
};

// Statement names, exactly as the script spells them.
inline constexpr std::string_view kWriteRegistry = "Write Registry";
inline constexpr std::string_view kInstallFiles = "Install Files";
inline constexpr std::string_view kInstallAssembly = "Install Assembly";
inline constexpr std::string_view kInstallService = "Install Service";
inline constexpr std::string_view kControlService = "Control Service";
inline constexpr std::string_view kInstallOdbcDriver = "Install ODBC Driver";
inline constexpr std::string_view kCreateOdbcDsn = "Create ODBC DSN";
inline constexpr std::string_view kCreateFolder = "Create Folder";
inline constexpr std::string_view kCreateShortcut = "Create Shortcut";
inline constexpr std::string_view kAdvertisedShortcut = "Advertised Shortcut";
inline constexpr std::string_view kCreateFileType = "Create File Type";
inline constexpr std::string_view kAdvertisedFileType = "Advertised File Type";
inline constexpr std::string_view kCopyMoveLocalFiles = "Copy/Move Local Files";
inline constexpr std::string_view kDeleteFiles = "Delete Files";
inline constexpr std::string_view kEditIniFile = "Edit INI File";
inline constexpr std::string_view kSetEnvironment = "Set Environment";

// The special run names of the Native Spooler.
inline constexpr std::string_view kRunDelayedInstall = "DELAYEDINSTALL";
inline constexpr std::string_view kRunRollback = "ROLLBACK";
inline constexpr std::string_view kRunUninstall = "UNINSTALL";
inline constexpr std::string_view kRunPin = "PIN";
inline constexpr std::string_view kRunUnpin = "UNPIN";

// Exact (case-sensitive) match of a statement name; kNone otherwise.
ActionKind ActionKindOf(std::string_view name);
// The statement name of a kind; "" for kNone.
std::string_view ActionName(ActionKind kind);
// The sixteen deferred statements in catalogue order.
const std::vector<ActionKind>& DeferredActionKinds();

// "Install Files", "Install Assembly", "Install Service", "Install ODBC Driver":
// the statements that carry a command header (and a file-table group) under the
// native engine and whose bytes are weighed while they run.
bool UsesCommandHeader(ActionKind kind);

// One action record: fields numbered from 0.
struct ActionRecord {
  std::vector<std::string> fields;

  // Field i, or "" beyond the list.
  const std::string& field(size_t i) const;
  // Comma text: entries with blanks, commas, quotes or control characters in
  // double quotes, inner quotes doubled.
  std::string ToText() const;
  static ActionRecord FromText(std::string_view text);

  bool operator==(const ActionRecord&) const = default;
};

// ---- typed views of the records, one per action with fields ----
// Each From() reads a record by position (missing fields read ""); each
// ToRecord() writes all fields in order. From(x.ToRecord()) == x.

struct WriteRegistryFields {
  std::string keep;        // 0 "TRUE": the value is not logged for removal
  std::string root;        // 1 "0".."3" (root "4" resolved at record time)
  std::string key;         // 2
  std::string value_name;  // 3
  std::string data;        // 4
  std::string kind;        // 5 "STRING", "INTEGER", "EXPANDSTRING", "APPEND", "PREPEND", "BINARY"
  static WriteRegistryFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const WriteRegistryFields&) const = default;
};

struct InstallFilesFields {
  std::string header;          // 0 command header (8 hex digits)
  std::string folder;          // 1 destination folder
  std::string read_only;       // 2
  std::string hidden;          // 3
  std::string system;          // 4
  std::string required;        // 5 a file that is not copied ends the action
  std::string self_register;   // 6
  std::string shared;          // 7
  std::string permanent;       // 8 never logged for removal
  std::string only_if_absent;  // 9
  static InstallFilesFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const InstallFilesFields&) const = default;
};

struct InstallAssemblyFields {
  std::string header;  // 0
  std::string folder;  // 1
  std::string gac;     // 2 install into the global assembly cache
  static InstallAssemblyFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const InstallAssemblyFields&) const = default;
};

struct InstallServiceFields {
  std::string header;          // 0
  std::string service_name;    // 1
  std::string display_name;    // 2
  std::string description;     // 3
  std::string parameter9;      // 4 statement parameter 9 (localized), passed through
  std::string dependencies;    // 5
  std::string folder;          // 6
  std::string process_kind;    // 7 "0" own process, else shared
  std::string interactive;     // 8
  std::string start_type;      // 9
  std::string error_control;   // 10
  std::string account;         // 11
  std::string password;        // 12
  std::string arguments;       // 13 extra command-line arguments
  static InstallServiceFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const InstallServiceFields&) const = default;
};

struct ControlServiceFields {
  std::string service_name;    // 0
  std::string start_argument;  // 1
  std::string operation;       // 2
  std::string wait;            // 3
  static ControlServiceFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const ControlServiceFields&) const = default;
};

struct InstallOdbcDriverFields {
  std::string header;       // 0
  std::string driver_name;  // 1
  std::string folder;       // 2
  std::string attributes;   // 3
  static InstallOdbcDriverFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const InstallOdbcDriverFields&) const = default;
};

struct CreateOdbcDsnFields {
  std::string dsn;          // 0
  std::string driver_name;  // 1
  std::string system_dsn;   // 2
  std::string attributes;   // 3
  static CreateOdbcDsnFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const CreateOdbcDsnFields&) const = default;
};

struct CreateFolderFields {
  std::string folder;  // 0
  static CreateFolderFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const CreateFolderFields&) const = default;
};

struct CreateShortcutFields {
  std::string name;          // 0
  std::string description;   // 1
  std::string folder;        // 2
  std::string target;        // 3
  std::string arguments;     // 4
  std::string working;       // 5 working folder
  std::string icon_file;     // 6
  std::string icon_index;    // 7
  std::string show_command;  // 8 "0", "1", "2"
  static CreateShortcutFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const CreateShortcutFields&) const = default;
};

struct CreateFileTypeFields {
  std::string class_key;    // 0
  std::string program;      // 1
  std::string description;  // 2
  std::string icon_file;    // 3
  std::string icon_index;   // 4
  std::string extensions;   // 5
  std::string verbs;        // 6
  static CreateFileTypeFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const CreateFileTypeFields&) const = default;
};

struct CopyMoveLocalFilesFields {
  std::string source;      // 0 source folder
  std::string mask;        // 1
  std::string target;      // 2 destination folder
  std::string copy;        // 3 true copies, false moves
  std::string subfolders;  // 4 "FALSE" when the option was empty
  std::string new_name;    // 5
  static CopyMoveLocalFilesFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const CopyMoveLocalFilesFields&) const = default;
};

struct DeleteFilesFields {
  std::string folder;  // 0
  std::string mask;    // 1
  static DeleteFilesFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const DeleteFilesFields&) const = default;
};

struct EditIniFileFields {
  std::string file;       // 0 full path of the INI file
  std::string section;    // 1
  std::string key;        // 2
  std::string value;      // 3
  std::string operation;  // 4
  static EditIniFileFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const EditIniFileFields&) const = default;
};

struct SetEnvironmentFields {
  std::string name;         // 0
  std::string value;        // 1
  std::string mode;         // 2
  std::string combination;  // 3
  std::string logged;       // 4 logged for removal
  std::string system_wide;  // 5
  static SetEnvironmentFields From(const ActionRecord& r);
  ActionRecord ToRecord() const;
  bool operator==(const SetEnvironmentFields&) const = default;
};

}  // namespace qel::native
