#include "native/model/action_record.h"

#include <array>
#include <utility>

#include "engine/comma_text.h"

namespace qel::native {
namespace {

struct NamedKind {
  std::string_view name;
  ActionKind kind;
};

constexpr std::array<NamedKind, 16> kNamedKinds{{
    {kInstallFiles, ActionKind::kInstallFiles},
    {kInstallAssembly, ActionKind::kInstallAssembly},
    {kInstallService, ActionKind::kInstallService},
    {kControlService, ActionKind::kControlService},
    {kInstallOdbcDriver, ActionKind::kInstallOdbcDriver},
    {kCreateOdbcDsn, ActionKind::kCreateOdbcDsn},
    {kWriteRegistry, ActionKind::kWriteRegistry},
    {kCreateFileType, ActionKind::kCreateFileType},
    {kAdvertisedFileType, ActionKind::kAdvertisedFileType},
    {kCreateFolder, ActionKind::kCreateFolder},
    {kCreateShortcut, ActionKind::kCreateShortcut},
    {kAdvertisedShortcut, ActionKind::kAdvertisedShortcut},
    {kCopyMoveLocalFiles, ActionKind::kCopyMoveLocalFiles},
    {kDeleteFiles, ActionKind::kDeleteFiles},
    {kEditIniFile, ActionKind::kEditIniFile},
    {kSetEnvironment, ActionKind::kSetEnvironment},
}};

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

// Reads fields 0..n-1 of a record into the members, in order.
template <typename... Members>
void ReadFields(const ActionRecord& r, Members&... members) {
  size_t i = 0;
  ((members = r.field(i++)), ...);
}

template <typename... Members>
ActionRecord WriteFields(const Members&... members) {
  ActionRecord r;
  (r.fields.push_back(members), ...);
  return r;
}

}  // namespace

ActionKind ActionKindOf(std::string_view name) {
  for (const NamedKind& entry : kNamedKinds)
    if (entry.name == name) return entry.kind;
  return ActionKind::kNone;
}

std::string_view ActionName(ActionKind kind) {
  for (const NamedKind& entry : kNamedKinds)
    if (entry.kind == kind) return entry.name;
  return {};
}

const std::vector<ActionKind>& DeferredActionKinds() {
  static const std::vector<ActionKind> kinds = [] {
    std::vector<ActionKind> out;
    for (const NamedKind& entry : kNamedKinds) out.push_back(entry.kind);
    return out;
  }();
  return kinds;
}

bool UsesCommandHeader(ActionKind kind) {
  return kind == ActionKind::kInstallFiles || kind == ActionKind::kInstallAssembly ||
         kind == ActionKind::kInstallService || kind == ActionKind::kInstallOdbcDriver;
}

const std::string& ActionRecord::field(size_t i) const { return i < fields.size() ? fields[i] : EmptyText(); }

std::string ActionRecord::ToText() const { return fields.empty() ? std::string() : JoinCommaText(fields); }

ActionRecord ActionRecord::FromText(std::string_view text) { return ActionRecord{SplitCommaText(text)}; }

WriteRegistryFields WriteRegistryFields::From(const ActionRecord& r) {
  WriteRegistryFields f;
  ReadFields(r, f.keep, f.root, f.key, f.value_name, f.data, f.kind);
  return f;
}
ActionRecord WriteRegistryFields::ToRecord() const { return WriteFields(keep, root, key, value_name, data, kind); }

InstallFilesFields InstallFilesFields::From(const ActionRecord& r) {
  InstallFilesFields f;
  ReadFields(r, f.header, f.folder, f.read_only, f.hidden, f.system, f.required, f.self_register, f.shared,
             f.permanent, f.only_if_absent);
  return f;
}
ActionRecord InstallFilesFields::ToRecord() const {
  return WriteFields(header, folder, read_only, hidden, system, required, self_register, shared, permanent,
                     only_if_absent);
}

InstallAssemblyFields InstallAssemblyFields::From(const ActionRecord& r) {
  InstallAssemblyFields f;
  ReadFields(r, f.header, f.folder, f.gac);
  return f;
}
ActionRecord InstallAssemblyFields::ToRecord() const { return WriteFields(header, folder, gac); }

InstallServiceFields InstallServiceFields::From(const ActionRecord& r) {
  InstallServiceFields f;
  ReadFields(r, f.header, f.service_name, f.display_name, f.description, f.parameter9, f.dependencies, f.folder,
             f.process_kind, f.interactive, f.start_type, f.error_control, f.account, f.password, f.arguments);
  return f;
}
ActionRecord InstallServiceFields::ToRecord() const {
  return WriteFields(header, service_name, display_name, description, parameter9, dependencies, folder,
                     process_kind, interactive, start_type, error_control, account, password, arguments);
}

ControlServiceFields ControlServiceFields::From(const ActionRecord& r) {
  ControlServiceFields f;
  ReadFields(r, f.service_name, f.start_argument, f.operation, f.wait);
  return f;
}
ActionRecord ControlServiceFields::ToRecord() const {
  return WriteFields(service_name, start_argument, operation, wait);
}

InstallOdbcDriverFields InstallOdbcDriverFields::From(const ActionRecord& r) {
  InstallOdbcDriverFields f;
  ReadFields(r, f.header, f.driver_name, f.folder, f.attributes);
  return f;
}
ActionRecord InstallOdbcDriverFields::ToRecord() const { return WriteFields(header, driver_name, folder, attributes); }

CreateOdbcDsnFields CreateOdbcDsnFields::From(const ActionRecord& r) {
  CreateOdbcDsnFields f;
  ReadFields(r, f.dsn, f.driver_name, f.system_dsn, f.attributes);
  return f;
}
ActionRecord CreateOdbcDsnFields::ToRecord() const { return WriteFields(dsn, driver_name, system_dsn, attributes); }

CreateFolderFields CreateFolderFields::From(const ActionRecord& r) {
  CreateFolderFields f;
  ReadFields(r, f.folder);
  return f;
}
ActionRecord CreateFolderFields::ToRecord() const { return WriteFields(folder); }

CreateShortcutFields CreateShortcutFields::From(const ActionRecord& r) {
  CreateShortcutFields f;
  ReadFields(r, f.name, f.description, f.folder, f.target, f.arguments, f.working, f.icon_file, f.icon_index,
             f.show_command);
  return f;
}
ActionRecord CreateShortcutFields::ToRecord() const {
  return WriteFields(name, description, folder, target, arguments, working, icon_file, icon_index, show_command);
}

CreateFileTypeFields CreateFileTypeFields::From(const ActionRecord& r) {
  CreateFileTypeFields f;
  ReadFields(r, f.class_key, f.program, f.description, f.icon_file, f.icon_index, f.extensions, f.verbs);
  return f;
}
ActionRecord CreateFileTypeFields::ToRecord() const {
  return WriteFields(class_key, program, description, icon_file, icon_index, extensions, verbs);
}

CopyMoveLocalFilesFields CopyMoveLocalFilesFields::From(const ActionRecord& r) {
  CopyMoveLocalFilesFields f;
  ReadFields(r, f.source, f.mask, f.target, f.copy, f.subfolders, f.new_name);
  return f;
}
ActionRecord CopyMoveLocalFilesFields::ToRecord() const {
  return WriteFields(source, mask, target, copy, subfolders, new_name);
}

DeleteFilesFields DeleteFilesFields::From(const ActionRecord& r) {
  DeleteFilesFields f;
  ReadFields(r, f.folder, f.mask);
  return f;
}
ActionRecord DeleteFilesFields::ToRecord() const { return WriteFields(folder, mask); }

EditIniFileFields EditIniFileFields::From(const ActionRecord& r) {
  EditIniFileFields f;
  ReadFields(r, f.file, f.section, f.key, f.value, f.operation);
  return f;
}
ActionRecord EditIniFileFields::ToRecord() const { return WriteFields(file, section, key, value, operation); }

SetEnvironmentFields SetEnvironmentFields::From(const ActionRecord& r) {
  SetEnvironmentFields f;
  ReadFields(r, f.name, f.value, f.mode, f.combination, f.logged, f.system_wide);
  return f;
}
ActionRecord SetEnvironmentFields::ToRecord() const {
  return WriteFields(name, value, mode, combination, logged, system_wide);
}

}  // namespace qel::native
