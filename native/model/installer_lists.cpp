#include "native/model/installer_lists.h"

#include "native/model/action_record.h"
#include "native/model/command_headers.h"
#include "native/model/record_builders.h"

namespace qel::native {
namespace {

using commands::CommandParams;
using Properties = std::vector<std::pair<std::string, std::string>>;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

void AddPaths(Properties& out, const std::string& prefix, const CommandParams& p, std::initializer_list<int> params) {
  int k = 1;
  for (int n : params) out.emplace_back(prefix + std::to_string(k++), p.path(n));
}

}  // namespace

std::string EncodeNewlines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "$NEWLINE$";
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string ShortcutDisplayName(std::string_view name) {
  std::string out(Trim(name.substr(0, 6)));
  out += "~1|";
  out += name;
  return out;
}

void InstallerPathLists::Activate(size_t statement_index) {
  if (activation_.size() <= statement_index) activation_.resize(statement_index + 1);
  activation_[statement_index] = "TRUE";
}

bool InstallerPathLists::IsActivated(size_t statement_index) const {
  return statement_index < activation_.size() && activation_[statement_index] == "TRUE";
}

void InstallerPathLists::AddProperty(std::string_view name, std::string_view value) {
  std::string encoded = EncodeNewlines(value);
  names_.emplace_back(name);
  values_.push_back(encoded);
  journal_.emplace_back(name);
  journal_.push_back(std::move(encoded));
}

std::vector<std::pair<std::string, std::string>> InstallerPathLists::TakeProperties() {
  std::vector<std::pair<std::string, std::string>> out;
  out.reserve(names_.size());
  for (size_t i = 0; i < names_.size(); ++i) out.emplace_back(std::move(names_[i]), std::move(values_[i]));
  names_.clear();
  values_.clear();
  return out;
}

void InstallerPathLists::Clear() { *this = InstallerPathLists(); }

InstallerPathLists& installer_lists() {
  static InstallerPathLists lists;
  return lists;
}

void ActivateDeferredStatements(const Payload& payload, InstallerPathLists& lists) {
  CommandHeaders headers(payload.command_headers);
  for (size_t i = 0; i < payload.statement_count(); ++i)
    if (std::optional<std::string> h = headers.Find(i)) lists.AddProperty("A" + *h, "FALSE");
}

Properties InstallerParameterProperties(const CommandParams& p, std::string_view header) {
  Properties out;
  std::string prefix = "P";
  prefix.append(header).append("_");
  switch (ActionKindOf(p.command())) {
    case ActionKind::kWriteRegistry:
      for (int k = 1; k <= 3; ++k)
        if (p.raw(k + 2).find('$') != std::string::npos) out.emplace_back(prefix + std::to_string(k), p.text(k + 2));
      break;
    case ActionKind::kInstallFiles:
    case ActionKind::kInstallAssembly: AddPaths(out, prefix, p, {3}); break;
    case ActionKind::kInstallService: AddPaths(out, prefix, p, {2}); break;
    case ActionKind::kInstallOdbcDriver: AddPaths(out, prefix, p, {4}); break;
    case ActionKind::kControlService: AddPaths(out, prefix, p, {1, 2}); break;
    case ActionKind::kCreateFolder: AddPaths(out, prefix, p, {1}); break;
    case ActionKind::kCreateFileType:
      out.emplace_back(prefix + "1", LocalizedPath(p, 1, 1));
      out.emplace_back(prefix + "2", p.path(2));
      out.emplace_back(prefix + "3", LocalizedPath(p, 3, 2));
      out.emplace_back(prefix + "4", p.path(4));
      out.emplace_back(prefix + "5", p.path(5));
      break;
    case ActionKind::kCreateShortcut: AddPaths(out, prefix, p, {3, 1, 5, 6}); break;
    case ActionKind::kCopyMoveLocalFiles: AddPaths(out, prefix, p, {1, 3}); break;
    case ActionKind::kDeleteFiles: AddPaths(out, prefix, p, {1}); break;
    case ActionKind::kEditIniFile: AddPaths(out, prefix, p, {1, 4, 5, 6}); break;
    case ActionKind::kSetEnvironment: AddPaths(out, prefix, p, {2}); break;
    default: break;
  }
  return out;
}

void RecordForInstaller(const CommandParams& p, size_t statement_index, std::string_view header,
                        InstallerPathLists& lists) {
  lists.Activate(statement_index);
  const std::string h(header);
  lists.AddProperty("A" + h, "TRUE");
  for (auto& [name, value] : InstallerParameterProperties(p, header)) lists.AddProperty(name, value);
  const ActionKind kind = ActionKindOf(p.command());
  if (kind == ActionKind::kCreateShortcut || kind == ActionKind::kAdvertisedShortcut) {
    lists.AddShortcutRename({"P" + h + "_1", ShortcutDisplayName(p.translated(2, 1)), p.translated(4, 2)});
  } else if (kind == ActionKind::kAdvertisedFileType) {
    lists.AddFileType({p.raw(1), p.translated(1, 1), p.translated(3, 2)});
  }
}

}  // namespace qel::native
