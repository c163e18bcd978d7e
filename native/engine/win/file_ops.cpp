#include "native/engine/win/file_ops.h"

#include <vector>

#include "engine/variables.h"
#include "native/engine/action_rules.h"
#include "native/log/log_elements.h"
#include "native/log/log_set.h"
#include "native/spooler/native_run_state.h"

namespace qel::native::win {
namespace {

DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                            HANDLE, HANDLE, LPVOID data) {
  auto& ctx = *static_cast<WorkerContext*>(data);
  if (ctx.byte_progress || ctx.queued_run) {
    const uint64_t total = static_cast<uint64_t>(transferred.QuadPart);
    const uint64_t units = total >= ctx.copy_reported ? total - ctx.copy_reported : 0;
    ctx.copy_reported = total;
    if (!ctx.Step("$IGNORE$", units)) return PROGRESS_CANCEL;
  } else if (ctx.terminate.load()) {
    return PROGRESS_CANCEL;
  }
  return PROGRESS_CONTINUE;
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string FreeNumberedName(const std::string& base) {
  for (unsigned n = 0;; ++n) {
    std::string candidate = base + std::to_string(n);
    if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
}

}  // namespace

bool FileExistsA(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExistsA(const std::string& path) {
  std::string p = TrimTrailingSeparators(path);
  if (p.size() == 2 && p[1] == ':') p += '\\';
  DWORD a = GetFileAttributesA(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderTree(const std::string& folder) {
  std::vector<std::string> missing = MissingAncestors(folder, [](const std::string& p) { return FolderExistsA(p); });
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) CreateDirectoryA(it->c_str(), nullptr);
  return FolderExistsA(folder);
}

bool CreateFolderAction(WorkerContext& ctx, const std::string& folder) {
  ctx.TraceStart("Create Folder");
  if (!ctx.Step(folder, 1024)) return false;
  std::vector<std::string> missing = MissingAncestors(folder, [](const std::string& p) { return FolderExistsA(p); });
  const bool logged = ctx.Log(FolderElement(missing));
  for (;;) {
    DWORD error = 0;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
      if (!CreateDirectoryA(it->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) error = GetLastError();
    if (FolderExistsA(folder)) break;
    if (error == 0) error = ERROR_PATH_NOT_FOUND;
    ErrorDecision d = ctx.AskSystemError(error, folder);
    if (d.retry) continue;
    if (logged) ctx.Discard();
    if (d.abort) return false;
    ctx.TraceEnd("Create Folder");
    return true;  // ignored: the action completes without the folder
  }
  ctx.TraceChange(folder);
  ctx.TraceEnd("Create Folder");
  return true;
}

bool EnsureFolder(WorkerContext& ctx, const std::string& folder) {
  // Files of one group mostly share their folder: skip asking the system again.
  if (folder == ctx.known_folder) return true;
  if (FolderExistsA(folder)) {
    ctx.known_folder = folder;
    return true;
  }
  const bool was_nested = ctx.nested;
  ctx.nested = true;
  const bool ok = CreateFolderAction(ctx, folder) && FolderExistsA(folder);
  ctx.nested = was_nested;
  if (ok) ctx.known_folder = folder;
  return ok;
}

LockedFileResult ReleaseLockedFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    if (!FileExistsA(path)) return LockedFileResult::kDeleted;
  }
  const std::string aside = FreeNumberedName(path + ".");
  if (MoveFileA(path.c_str(), aside.c_str())) {
    ScheduleAtRestart(aside, "");
    return LockedFileResult::kMovedAside;
  }
  return LockedFileResult::kStillLocked;
}

Placement PrepareDestination(WorkerContext&, const std::string& destination, bool exists) {
  Placement p;
  p.copy_target = destination;
  if (!exists) return p;
  if (ReleaseLockedFile(destination) != LockedFileResult::kStillLocked) return p;
  const std::string cache = InstanceCacheFolder();
  CreateFolderTree(cache);
  p.copy_target = FreeNumberedName(cache + "move.");
  // An empty placeholder reserves the name; it is deleted just before the copy.
  HANDLE h = CreateFileA(p.copy_target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  DeleteFileA(p.copy_target.c_str());
  p.at_restart = true;
  return p;
}

void CompletePlacement(const Placement& placement, const std::string& destination) {
  if (!placement.at_restart) return;
  ScheduleAtRestart(placement.copy_target, destination);
  SetRestartRequired(true);
}

CopyOutcome CopyOneFile(WorkerContext& ctx, const std::string& source, const std::string& target, bool move,
                        const std::string& error_object, bool only_new) {
  for (;;) {
    const std::string backup = ctx.vars().ReadVariable("NATIVE_PROGRESS");
    ctx.vars().DeclareOrAssign("NATIVE_PROGRESS_BACKUP", backup, "Native Engine");
    ctx.copy_reported = 0;
    if (!ctx.Step(target, 0)) return CopyOutcome::kAborted;
    BOOL ok = move ? MoveFileWithProgressA(source.c_str(), target.c_str(), CopyProgress, &ctx,
                                           MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING)
                   : CopyFileExA(source.c_str(), target.c_str(), CopyProgress, &ctx, nullptr,
                                 only_new ? COPY_FILE_FAIL_IF_EXISTS : 0);
    DWORD error = ok ? 0 : GetLastError();
    if (!ok && only_new && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)) {
      ctx.vars().DeclareOrAssign("NATIVE_PROGRESS", ctx.vars().ReadVariable("NATIVE_PROGRESS_BACKUP"), "Native Engine");
      return CopyOutcome::kExists;
    }
    if (!ok) {
      ctx.vars().DeclareOrAssign("NATIVE_PROGRESS", ctx.vars().ReadVariable("NATIVE_PROGRESS_BACKUP"), "Native Engine");
      if (ctx.terminate.load()) return CopyOutcome::kAborted;
      const uint64_t units = (ctx.byte_progress || ctx.queued_run) ? FileSize(source) : 0;
      if (!ctx.Step(target, units)) return CopyOutcome::kAborted;
      ok = move ? MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING)
                : CopyFileA(source.c_str(), target.c_str(), FALSE);
      if (!ok) error = GetLastError();
    } else if (ctx.byte_progress || ctx.queued_run) {
      // Copies that report no progress (or not all of it) still count every byte.
      // The copy is done: a stop request is seen at the next step, not here.
      const uint64_t size = FileSize(source);
      if (size > ctx.copy_reported) ctx.Step("$IGNORE$", size - ctx.copy_reported);
      ctx.copy_reported = size;
    }
    if (ok) return CopyOutcome::kCopied;
    if (FileExistsA(target)) return CopyOutcome::kCopied;
    ErrorDecision d = ctx.AskSystemError(error ? error : ERROR_GEN_FAILURE, error_object);
    if (d.retry) continue;
    return d.abort ? CopyOutcome::kAborted : CopyOutcome::kSkipped;
  }
}

bool ScheduleAtRestart(const std::string& source, const std::string& destination) {
  return MoveFileExA(source.c_str(), destination.empty() ? nullptr : destination.c_str(),
                     MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string InstanceCacheFolder() {
  std::string folder = PrefixFolder(DefaultLogPrefix());
  if (folder.empty()) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    folder = temp;
  }
  return WithTrailingBackslash(folder);
}

bool RunAndWait(const std::string& command_line, const std::string& folder, DWORD& exit_code) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> cmd(command_line.begin(), command_line.end());
  cmd.push_back('\0');
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return false;
  WaitForSingleObject(pi.hProcess, INFINITE);
  GetExitCodeProcess(pi.hProcess, &exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

bool Is64BitImage(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  unsigned char header[4096];
  DWORD read = 0;
  bool is64 = false;
  if (ReadFile(h, header, sizeof header, &read, nullptr) && read >= 0x40 && header[0] == 'M' && header[1] == 'Z') {
    uint32_t pe = header[0x3C] | (header[0x3D] << 8) | (header[0x3E] << 16) | (uint32_t(header[0x3F]) << 24);
    if (pe + 26 <= read && header[pe] == 'P' && header[pe + 1] == 'E') {
      uint16_t magic = header[pe + 24] | (header[pe + 25] << 8);
      is64 = magic == 0x20B;
    }
  }
  CloseHandle(h);
  return is64;
}

}  // namespace qel::native::win
