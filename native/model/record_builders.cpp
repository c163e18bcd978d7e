#include "native/model/record_builders.h"

#include "commands/platform_hooks.h"
#include "engine/variables.h"
#include "native/model/action_spool.h"

namespace qel::native {
namespace {

using commands::CommandParams;

std::string WriteRegistryKind(const CommandParams& p) {
  if (p.flag(6)) return "STRING";
  if (p.flag(7)) return "INTEGER";
  return p.text(7);
}

ActionRecord WriteRegistry(const CommandParams& p) {
  WriteRegistryFields f;
  f.keep = p.raw(1) == "10" ? "TRUE" : "FALSE";
  f.root = ResolveRootCode(p.raw(2), IsTrue(p.vars().ReadVariable("ALLUSERS")));
  f.key = p.text(3);
  f.value_name = p.text(4);
  f.data = p.text(5);
  f.kind = WriteRegistryKind(p);
  return f.ToRecord();
}

ActionRecord InstallFiles(const CommandParams& p, std::string_view header) {
  InstallFilesFields f;
  f.header = header;
  f.folder = p.path(3);
  f.read_only = p.raw(4);
  f.hidden = p.raw(5);
  f.system = p.raw(6);
  f.required = p.raw(7);
  f.self_register = p.raw(9);
  f.shared = p.raw(10);
  f.permanent = p.raw(11);
  f.only_if_absent = p.raw(12);
  return f.ToRecord();
}

ActionRecord InstallAssembly(const CommandParams& p, std::string_view header) {
  InstallAssemblyFields f;
  f.header = header;
  f.folder = p.path(3);
  f.gac = p.raw(2);
  return f.ToRecord();
}

ActionRecord InstallService(const CommandParams& p, std::string_view header) {
  InstallServiceFields f;
  f.header = header;
  f.service_name = p.translated(4, 1);
  f.display_name = p.translated(5, 2);
  f.description = p.translated(6, 3);
  f.parameter9 = p.translated(9, 4);
  f.dependencies = p.translated(10, 5);
  f.folder = p.path(2);
  f.process_kind = p.raw(7);
  f.interactive = p.raw(8);
  f.start_type = p.raw(11);
  f.error_control = p.raw(12);
  f.account = p.text(13);
  f.password = p.text(14);
  f.arguments = p.text(15);
  return f.ToRecord();
}

ActionRecord ControlService(const CommandParams& p) {
  ControlServiceFields f;
  f.service_name = p.translated(1, 1);
  f.start_argument = p.path(2);
  f.operation = p.raw(3);
  f.wait = p.raw(4);
  return f.ToRecord();
}

ActionRecord InstallOdbcDriver(const CommandParams& p, std::string_view header) {
  InstallOdbcDriverFields f;
  f.header = header;
  f.driver_name = p.text(1);
  f.folder = p.path(4);
  f.attributes = p.vars().Expand(BracketsToDollars(p.raw(6)));
  return f.ToRecord();
}

ActionRecord CreateOdbcDsn(const CommandParams& p) {
  CreateOdbcDsnFields f;
  f.dsn = p.text(1);
  f.driver_name = p.text(2);
  f.system_dsn = p.raw(3);
  f.attributes = p.vars().Expand(BracketsToDollars(p.raw(4)));
  return f.ToRecord();
}

ActionRecord CreateFolder(const CommandParams& p) { return CreateFolderFields{p.path(1)}.ToRecord(); }

ActionRecord CreateShortcut(const CommandParams& p) {
  CreateShortcutFields f;
  f.name = p.translated(2, 1);
  f.description = p.translated(4, 2);
  f.folder = p.path(3);
  f.target = p.path(1);
  f.arguments = p.path(5);
  f.working = p.path(6);
  commands::PlatformHooks().before_path_parameter();
  f.icon_file = p.vars().ExpandPathParameter(LeftOfBar(p.raw(7)));
  f.icon_index = LeftOfBar(p.raw(8));
  f.show_command = LeftOfBar(p.raw(9));
  return f.ToRecord();
}

ActionRecord CreateFileType(const CommandParams& p) {
  CreateFileTypeFields f;
  f.class_key = LocalizedPath(p, 1, 1);
  f.program = p.path(2);
  f.description = LocalizedPath(p, 3, 2);
  f.icon_file = p.path(4);
  f.icon_index = p.path(5);
  f.extensions = p.raw(6);
  f.verbs = p.raw(7);
  return f.ToRecord();
}

ActionRecord CopyMoveLocalFiles(const CommandParams& p) {
  CopyMoveLocalFilesFields f;
  f.source = p.path(1);
  f.mask = p.text(2);
  f.target = p.path(3);
  f.copy = p.raw(5);
  const std::string option = p.raw(6);
  std::string_view subfolders = RightOfBar(option);
  f.subfolders = subfolders.empty() ? std::string("FALSE") : std::string(subfolders);
  f.new_name = p.path(4);
  return f.ToRecord();
}

ActionRecord DeleteFiles(const CommandParams& p) { return DeleteFilesFields{p.path(1), p.text(2)}.ToRecord(); }

ActionRecord EditIniFile(const CommandParams& p) {
  EditIniFileFields f;
  std::string folder = p.path(1);
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  f.file = folder + p.text(2);
  f.section = p.text(4);
  f.key = p.text(5);
  f.value = p.text(6);
  f.operation = p.text(3);
  return f.ToRecord();
}

ActionRecord SetEnvironment(const CommandParams& p) {
  SetEnvironmentFields f;
  f.name = p.text(1);
  f.value = p.text(2);
  f.mode = p.raw(3);
  f.combination = p.raw(4);
  f.logged = p.raw(5);
  f.system_wide = p.raw(6);
  return f.ToRecord();
}

}  // namespace

std::string ResolveRootCode(std::string_view code, bool all_users) {
  if (code == "4") return all_users ? "2" : "1";
  return std::string(code);
}

std::string_view LeftOfBar(std::string_view text) { return text.substr(0, text.find('|')); }

std::string_view RightOfBar(std::string_view text) {
  size_t bar = text.find('|');
  return bar == std::string_view::npos ? std::string_view() : text.substr(bar + 1);
}

std::string BracketsToDollars(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '[' || c == ']') c = '$';
  return out;
}

std::string LocalizedPath(const commands::CommandParams& params, int n, int slot) {
  std::string line = params.raw(n);
  if (const commands::ParameterTranslator* translator = commands::CurrentParameterTranslator()) {
    std::string translation;
    if (translator->Translate(params.key(), slot, translation)) line = std::move(translation);
  }
  commands::PlatformHooks().before_path_parameter();
  return params.vars().ExpandPathParameter(line);
}

ActionRecord BuildActionRecord(const commands::CommandParams& params, std::string_view header) {
  switch (ActionKindOf(params.command())) {
    case ActionKind::kWriteRegistry: return WriteRegistry(params);
    case ActionKind::kInstallFiles: return InstallFiles(params, header);
    case ActionKind::kInstallAssembly: return InstallAssembly(params, header);
    case ActionKind::kInstallService: return InstallService(params, header);
    case ActionKind::kControlService: return ControlService(params);
    case ActionKind::kInstallOdbcDriver: return InstallOdbcDriver(params, header);
    case ActionKind::kCreateOdbcDsn: return CreateOdbcDsn(params);
    case ActionKind::kCreateFolder: return CreateFolder(params);
    case ActionKind::kCreateShortcut: return CreateShortcut(params);
    case ActionKind::kCreateFileType: return CreateFileType(params);
    case ActionKind::kCopyMoveLocalFiles: return CopyMoveLocalFiles(params);
    case ActionKind::kDeleteFiles: return DeleteFiles(params);
    case ActionKind::kEditIniFile: return EditIniFile(params);
    case ActionKind::kSetEnvironment: return SetEnvironment(params);
    case ActionKind::kAdvertisedShortcut:
    case ActionKind::kAdvertisedFileType:
    case ActionKind::kNone: break;
  }
  return {};
}

int64_t QueueWeight(ActionKind kind, const ActionRecord& record, FolderLister& lister) {
  if (kind != ActionKind::kCopyMoveLocalFiles) return FixedActionWeight(kind);
  CopyMoveLocalFilesFields f = CopyMoveLocalFilesFields::From(record);
  return MatchedFilesSize(lister, f.source, f.mask, IsTrue(f.subfolders));
}

}  // namespace qel::native
