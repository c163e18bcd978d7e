#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "engine/comma_text.h"
#include "native/engine/action_rules.h"
#include "native/engine/win/file_ops.h"
#include "native/engine/win/registry_actions.h"
#include "native/engine/win/system_actions.h"
#include "native/log/log_elements.h"

namespace qel::native::win {
namespace {

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  return out;
}

// Saves the link; an error text on failure ("" on success).
std::string SaveShortcut(const CreateShortcutFields& f, const std::string& path) {
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  std::string error;
  IShellLinkA* link = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link));
  if (SUCCEEDED(hr)) {
    link->SetPath(f.target.c_str());
    link->SetWorkingDirectory(WithTrailingBackslash(f.working).c_str());
    link->SetArguments(f.arguments.c_str());
    link->SetDescription(f.description.c_str());
    link->SetShowCmd(ShowCommand(f.show_command));
    if (!f.icon_file.empty()) link->SetIconLocation(f.icon_file.c_str(), IconIndex(f.icon_index));
    IPersistFile* file = nullptr;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
      hr = file->Save(Wide(path).c_str(), TRUE);
      file->Release();
    }
    link->Release();
  }
  if (FAILED(hr)) error = SystemErrorText(static_cast<DWORD>(hr));
  if (com) CoUninitialize();
  return error;
}

}  // namespace

bool RunCreateShortcut(WorkerContext& ctx, const ActionRecord& record) {
  const CreateShortcutFields f = CreateShortcutFields::From(record);
  const std::string folder = WithTrailingBackslash(f.folder);
  if (!EnsureFolder(ctx, folder)) return false;
  const std::string path = folder + f.name + ".lnk";
  if (!ctx.Step(path, 10240)) return false;
  const bool logged = ctx.Log(SingleItemElement(ForwardChange::kCreateFile, path));
  for (;;) {
    std::string error = SaveShortcut(f, path);
    if (error.empty()) break;
    ErrorDecision d = ctx.AskError(error + "\r\r" + path, -1);
    if (d.retry) continue;
    if (logged) ctx.Discard();
    return !d.abort;
  }
  ctx.TraceChange(path);
  return true;
}

bool RunCreateFileType(WorkerContext& ctx, const ActionRecord& record) {
  const CreateFileTypeFields f = CreateFileTypeFields::From(record);
  const std::string label = f.class_key + ": " + f.description + "/" + f.program;
  if (!ctx.Step(label, 5120)) return false;
  auto write = [&](const std::string& key, const std::string& data) {
    RegistryWrite w;
    w.root = kRootClassesRoot;
    w.key = key;
    w.data = data;
    return WriteRegistryStep(ctx, w);
  };
  if (!write(f.class_key, f.description)) return false;
  if (!f.icon_file.empty() &&
      !write(f.class_key + "\\DefaultIcon", f.icon_index.empty() ? f.icon_file : f.icon_file + "," + f.icon_index))
    return false;
  for (const std::string& extension : SplitCommaText(f.extensions))
    if (!extension.empty() && !write(extension, f.class_key)) return false;
  for (const std::string& verb_text : SplitCommaText(f.verbs)) {
    std::vector<std::string> verb = SplitCommaText(verb_text);
    verb.resize(5);
    if (verb[0].empty()) continue;
    const std::string shell = f.class_key + "\\Shell\\" + verb[0];
    if (!write(shell + "\\Command", "\"" + f.program + "\" " + verb[1])) return false;
    if (!verb[2].empty()) {
      if (!write(shell + "\\ddeexec", verb[2]) || !write(shell + "\\ddeexec\\application", verb[3]) ||
          !write(shell + "\\ddeexec\\topic", verb[4]))
        return false;
    }
  }
  ctx.TraceChange(label);
  return true;
}

}  // namespace qel::native::win
