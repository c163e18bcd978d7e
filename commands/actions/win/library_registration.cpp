// "Register Library": type libraries, ".EXE" servers and DLL servers.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>

#include "commands/actions/action_values.h"
#include "commands/actions/win/action_commands.h"
#include "commands/bitness.h"

namespace qel::commands::actions {

namespace {

using UnRegisterTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
  return wide;
}

bool TypeLibrary(const std::string& file, bool do_register) {
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  const std::wstring path = Wide(file);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library)) || !library) return false;
  bool ok = false;
  if (do_register) {
    BSTR help_file = nullptr;
    std::wstring help_folder;
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, &help_file)) && help_file) {
      help_folder = help_file;
      const size_t slash = help_folder.rfind(L'\\');
      help_folder = slash == std::wstring::npos ? std::wstring() : help_folder.substr(0, slash);
      SysFreeString(help_file);
    }
    ok = SUCCEEDED(RegisterTypeLib(library, const_cast<wchar_t*>(path.c_str()),
                                   help_folder.empty() ? nullptr : const_cast<wchar_t*>(help_folder.c_str())));
  } else {
    TLIBATTR* attr = nullptr;
    auto unregister = reinterpret_cast<UnRegisterTypeLibFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryA("OLEAUT32.DLL"), "UnRegisterTypeLib")));
    if (unregister && SUCCEEDED(library->GetLibAttr(&attr)) && attr) {
      ok = SUCCEEDED(unregister(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind));
      library->ReleaseTLibAttr(attr);
    }
  }
  library->Release();
  return ok;
}

bool ExeServer(const std::string& file, bool do_register) {
  std::string line = file + (do_register ? " /regserver" : " /unregserver");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool DllServer(const std::string& file, bool do_register) {
  HMODULE module = LoadLibraryA(file.c_str());
  if (!module) return false;
  using EntryFn = HRESULT(WINAPI*)();
  auto entry = reinterpret_cast<EntryFn>(reinterpret_cast<void (*)()>(
      GetProcAddress(module, do_register ? "DllRegisterServer" : "DllUnregisterServer")));
  bool ok = false;
  if (entry && entry() == S_OK) {
    try {
      entry();
    } catch (...) {
    }
    ok = true;
  }
  FreeLibrary(module);
  return ok;
}

}  // namespace

void RegisterLibraryCommand(ActionFrame& frame) {
  const CommandParams& p = frame.params;
  RedirectionBracket bracket;
  RegistryViewScope view;
  const std::string file = p.path(1);
  const bool do_register = p.flag(2);
  const std::string variable = p.plain_name(3);
  bool ok = false;
  {
    const HRESULT ole = OleInitialize(nullptr);
    CurrentFolderScope folder;
    const std::string file_folder = FolderWithBackslash(file);
    if (!file_folder.empty()) SetCurrentDirectoryA(file_folder.c_str());
    try {
      if (HasExtension(file, ".TLB"))
        ok = TypeLibrary(file, do_register);
      else if (HasExtension(file, ".EXE"))
        ok = ExeServer(file, do_register);
      else
        ok = DllServer(file, do_register);
    } catch (...) {
      ok = false;
    }
    if (SUCCEEDED(ole)) OleUninitialize();
  }
  if (!variable.empty()) p.assign(variable, ok ? "TRUE" : "FALSE");
}

}  // namespace qel::commands::actions
