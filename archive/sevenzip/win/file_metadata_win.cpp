#include <windows.h>

#include "archive/sevenzip/file_metadata.h"

namespace qel::archive {

namespace {
// The attribute bits an extracted file or folder may carry.
constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
}

void apply_file_metadata(const std::filesystem::path& path, std::optional<uint32_t> attributes,
                         std::optional<FileTime> mtime, bool is_dir) {
  const std::wstring name = path.wstring();
  if (mtime) {
    HANDLE h = CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, is_dir ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      FILETIME ft;
      ft.dwLowDateTime = static_cast<DWORD>(*mtime);
      ft.dwHighDateTime = static_cast<DWORD>(*mtime >> 32);
      SetFileTime(h, nullptr, nullptr, &ft);
      CloseHandle(h);
    }
  }
  if (attributes) {
    DWORD value = *attributes & kSettable;
    if (is_dir) value |= FILE_ATTRIBUTE_DIRECTORY;
    if (value == 0) value = FILE_ATTRIBUTE_NORMAL;
    SetFileAttributesW(name.c_str(), value);
  }
}

void clear_readonly(const std::filesystem::path& path) {
  const std::wstring name = path.wstring();
  const DWORD attrs = GetFileAttributesW(name.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(name.c_str(), attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

}  // namespace qel::archive
