#include "native/engine/win/file_actions.h"

#include <objbase.h>

#include <atomic>

#include "engine/process_state.h"
#include "engine/variables.h"
#include "commands/bitness.h"
#include "native/engine/win/file_ops.h"
#include "native/engine/win/registry_actions.h"
#include "native/log/log_elements.h"

namespace qel::native::win {
namespace {

std::atomic<const FileSource*> g_override{nullptr};

constexpr const char* kSharedDlls = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

std::string SystemFolder() {
  char buffer[MAX_PATH + 1] = {};
  GetSystemDirectoryA(buffer, MAX_PATH);
  return WithTrailingBackslash(buffer);
}

// Registers at the next logon a file that is only placed at restart.
void RegisterAtNextLogon(WorkerContext& ctx, const std::string& file) {
  GUID guid{};
  CoCreateGuid(&guid);
  char name[16];
  snprintf(name, sizeof name, "%08lX", static_cast<unsigned long>(guid.Data1));
  std::string command = IsExeName(file) ? "\"" + file + "\" /regserver"
                                        : SystemFolder() + "regsvr32.exe \"" + file + "\" /s";
  HKEY root = IsTrue(ctx.vars().ReadVariable("ALLUSERS")) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\", 0, nullptr, 0,
                      KEY_WRITE | ctx.RegistryView(), nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
  }
}

void SelfRegister(WorkerContext& ctx, const std::string& file, bool at_restart) {
  if (!ctx.Step("regsvr32 " + file, 0)) return;
  if (at_restart) {
    RegisterAtNextLogon(ctx, file);
    return;
  }
  DWORD code = 0;
  if (IsExeName(file)) {
    RunAndWait("\"" + file + "\" /regserver", "", code);
    return;
  }
  const std::string saved = commands::BitnessMode();
  commands::SetBitnessMode(Is64BitImage(file) ? commands::kModeX64 : commands::kModeWin32);
  RunAndWait(SystemFolder() + "regsvr32.exe \"" + file + "\" /s", "", code);
  commands::SetBitnessMode(saved);
}

// The shared-DLL count of a destination; false when aborted.
bool CountShare(WorkerContext& ctx, const std::string& destination, bool existed) {
  const REGSAM view = ctx.RegistryView();
  DWORD stored = 0;
  const DWORD count = GetDword(HKEY_LOCAL_MACHINE, kSharedDlls, destination, stored, view) ? stored + 1
                      : existed                                                          ? 2
                                                                                         : 1;
  const std::string path = std::string("HKEY_LOCAL_MACHINE\\") + kSharedDlls + "\\" + destination;
  for (;;) {
    LONG rc = SetDword(HKEY_LOCAL_MACHINE, kSharedDlls, destination, count, view);
    if (rc == ERROR_SUCCESS) return true;
    ErrorDecision d = ctx.AskSystemError(static_cast<DWORD>(rc), path);
    if (d.retry) continue;
    return !d.abort;
  }
}

bool SetAttributes(WorkerContext& ctx, const std::string& file, DWORD attributes) {
  for (;;) {
    if (SetFileAttributesA(file.c_str(), attributes)) return true;
    ErrorDecision d = ctx.AskSystemError(GetLastError(), file);
    if (d.retry) continue;
    return !d.abort;
  }
}

struct InstallOptions {
  bool read_only = false, hidden = false, system = false, required = false, self_register = false, shared = false,
       permanent = false, only_if_absent = false;
};

enum class FileResult { kDone, kSkipped, kStop };

// One file of Install Files (and the plain copies of the other actions).
FileResult InstallOneFile(WorkerContext& ctx, const std::string& source, const std::string& folder,
                          const InstallOptions& o) {
  const std::string destination = folder + FileNameOf(source);
  if (!ctx.Step(destination, 0)) return FileResult::kStop;
  // A missing folder means a missing destination, so creating it first changes
  // no decision below.
  if (!EnsureFolder(ctx, folder)) return FileResult::kStop;
  const bool log_file = !o.permanent && !o.shared;

  // The common case first: the destination does not exist and the copy creates it.
  bool logged = log_file && ctx.Log(SingleItemElement(ForwardChange::kCreateFile, destination));
  CopyOutcome copied = CopyOneFile(ctx, source, destination, false, destination, true);
  const bool exists = copied == CopyOutcome::kExists;
  Placement placement;
  placement.copy_target = destination;
  if (exists) {
    if (logged) ctx.Discard();
    if (o.only_if_absent) return FileResult::kSkipped;
    const OverwriteOutcome ow = ctx.AskOverwrite(source, destination);
    if (ow.cancel) return FileResult::kStop;
    if (!ow.replace) return o.required ? FileResult::kStop : FileResult::kSkipped;
    placement = PrepareDestination(ctx, destination, true);
    logged = log_file && ctx.Log(SingleItemElement(ForwardChange::kCreateFile, destination));
    copied = CopyOneFile(ctx, source, placement.copy_target, false, destination);
  }
  if (copied != CopyOutcome::kCopied) {
    if (logged) ctx.Discard();
    if (copied == CopyOutcome::kAborted || o.required) return FileResult::kStop;
    return FileResult::kSkipped;
  }
  CompletePlacement(placement, destination);

  if (o.self_register) {
    SelfRegister(ctx, destination, placement.at_restart);
    if (!o.permanent && !o.shared) ctx.Log(SingleItemElement(ForwardChange::kRegisterFile, destination));
    ctx.TraceSubStep("regsvr32 " + destination);
  }
  if (o.shared) {
    if (!CountShare(ctx, destination, exists)) return FileResult::kStop;
    if (!o.permanent)
      ctx.Log(SingleItemElement(
          o.self_register ? ForwardChange::kShareSelfRegisteringFile : ForwardChange::kShareFile, destination));
    ctx.TraceSubStep("share " + destination);
    if (!ctx.Step(std::string("HKEY_LOCAL_MACHINE\\") + kSharedDlls + "\\" + destination, 0)) return FileResult::kStop;
  }
  if (o.read_only || o.hidden || o.system) {
    DWORD a = (o.read_only ? FILE_ATTRIBUTE_READONLY : 0) | (o.hidden ? FILE_ATTRIBUTE_HIDDEN : 0) |
              (o.system ? FILE_ATTRIBUTE_SYSTEM : 0);
    if (!SetAttributes(ctx, placement.copy_target, a)) return FileResult::kStop;
    ctx.TraceSubStep("attributes " + destination);
  }
  ctx.TraceChange(destination);
  return FileResult::kDone;
}

std::string DestinationFolder(const std::string& base, const FileTableEntry& entry, bool use_subfolder) {
  std::string folder = WithTrailingBackslash(base);
  if (use_subfolder && !entry.second.empty()) folder = WithTrailingBackslash(folder + entry.second);
  return folder;
}

// Finds files matching a mask (optionally in subfolders); relative folders
// ("" or "sub\") paired with file names.
void FindFiles(const std::string& root, const std::string& relative, const std::string& mask, bool subfolders,
               std::vector<std::pair<std::string, std::string>>& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((root + relative + mask).c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.emplace_back(relative, fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  if (!subfolders) return;
  h = FindFirstFileA((root + relative + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      FindFiles(root, relative + name + "\\", mask, true, out);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

}  // namespace

FileSource ProcessFileSource() {
  if (const FileSource* o = g_override.load()) return *o;
  return {WithTrailingBackslash(process_state().data_folder), &process_state().payload.native_files};
}

void SetFileSourceOverride(const FileSource* source) { g_override = source; }

bool RunInstallFiles(WorkerContext& ctx, const ActionRecord& record) {
  const InstallFilesFields f = InstallFilesFields::From(record);
  InstallOptions o;
  o.read_only = IsTrue(f.read_only);
  o.hidden = IsTrue(f.hidden);
  o.system = IsTrue(f.system);
  o.required = IsTrue(f.required);
  o.self_register = IsTrue(f.self_register);
  o.shared = IsTrue(f.shared);
  o.permanent = IsTrue(f.permanent);
  o.only_if_absent = IsTrue(f.only_if_absent);
  const FileSource src = ProcessFileSource();
  for (const FileTableEntry& entry : FileGroup(*src.table, f.header)) {
    if (InstallOneFile(ctx, src.data_folder + entry.source, DestinationFolder(f.folder, entry, true), o) ==
        FileResult::kStop)
      return false;
  }
  return true;
}

bool CopyGroupPlain(WorkerContext& ctx, const std::vector<FileTableEntry>& group, const std::string& folder,
                    bool use_subfolder, std::vector<std::string>& copied, std::vector<bool>* copied_flags) {
  const FileSource src = ProcessFileSource();
  InstallOptions o;
  for (const FileTableEntry& entry : group) {
    const std::string target_folder = DestinationFolder(folder, entry, use_subfolder);
    FileResult r = InstallOneFile(ctx, src.data_folder + entry.source, target_folder, o);
    if (r == FileResult::kStop) return false;
    if (r == FileResult::kDone) copied.push_back(target_folder + FileNameOf(entry.source));
    if (copied_flags) copied_flags->push_back(r == FileResult::kDone);
  }
  return true;
}

bool RunInstallAssembly(WorkerContext& ctx, const ActionRecord& record) {
  const InstallAssemblyFields f = InstallAssemblyFields::From(record);
  const FileSource src = ProcessFileSource();
  std::vector<FileTableEntry> group = FileGroup(*src.table, f.header);
  if (!IsTrue(f.gac)) {
    std::vector<std::string> copied;
    return CopyGroupPlain(ctx, group, f.folder, false, copied);
  }
  // The global assembly cache needs the .NET assembly cache interface, which this
  // build does not bind: the files are reported and skipped (failures of a cache
  // install are not reported).
  for (const FileTableEntry& entry : group) {
    const std::string file = src.data_folder + entry.source;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    uint64_t size = 0;
    if (GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
      size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (!ctx.Step("GAC: " + FileNameOf(entry.source), size)) return false;
  }
  return true;
}

bool RunCreateFolder(WorkerContext& ctx, const ActionRecord& record) {
  return CreateFolderAction(ctx, CreateFolderFields::From(record).folder);
}

bool RunDeleteFiles(WorkerContext& ctx, const ActionRecord& record) {
  const DeleteFilesFields f = DeleteFilesFields::From(record);
  const std::string folder = WithTrailingBackslash(f.folder);
  if (!ctx.Step(folder + f.mask, 102400)) return false;
  std::vector<std::pair<std::string, std::string>> found;
  FindFiles(folder, "", f.mask, false, found);
  for (auto it = found.rbegin(); it != found.rend(); ++it) {
    const std::string path = folder + it->second;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  ctx.TraceChange(folder + f.mask);
  return true;
}

bool RunCopyMoveLocalFiles(WorkerContext& ctx, const ActionRecord& record) {
  const CopyMoveLocalFilesFields f = CopyMoveLocalFilesFields::From(record);
  const std::string source_folder = WithTrailingBackslash(f.source);
  const std::string target_folder = WithTrailingBackslash(f.target);
  const bool copy = IsTrue(f.copy);
  std::string new_name = f.new_name;
  if (HasWildcard(f.mask) || HasWildcard(new_name)) new_name.clear();
  const std::string pattern = source_folder + f.mask + " -> " + target_folder;
  if (!ctx.queued_run && !ctx.Step(pattern, 1048576)) return false;

  std::vector<std::pair<std::string, std::string>> found;
  FindFiles(source_folder, "", f.mask, IsTrue(f.subfolders), found);
  for (const auto& [relative, name] : found) {
    const std::string source = source_folder + relative + name;
    const std::string folder = target_folder + relative;
    const std::string destination = folder + (new_name.empty() ? name : FileNameOf(new_name));
    const OverwriteOutcome ow = ctx.AskOverwrite(source, destination);
    if (ow.cancel) return false;
    if (!ow.replace) continue;
    if (!EnsureFolder(ctx, folder)) return false;
    const Placement placement = PrepareDestination(ctx, destination, FileExistsA(destination));
    const bool logged = ctx.Log(SingleItemElement(ForwardChange::kCreateFile, destination));
    const CopyOutcome r =
        CopyOneFile(ctx, source, placement.copy_target, !copy, source + "\r->\r" + destination);
    if (r != CopyOutcome::kCopied) {
      if (logged) ctx.Discard();
      if (r == CopyOutcome::kAborted) return false;
      continue;
    }
    CompletePlacement(placement, destination);
  }
  ctx.TraceChange(pattern);
  return true;
}

}  // namespace qel::native::win
