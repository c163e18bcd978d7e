#include "native/prompts/win/file_facts.h"

#include <windows.h>

#include <vector>

namespace qel::native::win {

bool WindowsFileFacts::Exists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

FileFacts WindowsFileFacts::Facts(const std::string& path) {
  FileFacts facts;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size > 0) {
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (GetFileVersionInfoA(path.c_str(), 0, size, block.data()) &&
        VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &len) && info && len >= sizeof *info) {
      facts.version = {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
                       LOWORD(info->dwFileVersionLS)};
    }
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    facts.has_time = true;
    facts.modified = (int64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &st)) {
      char date[128] = {}, time[128] = {};
      GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
      GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &st, nullptr, time, sizeof time);
      facts.date_text = std::string(date) + " " + time;
    }
  }
  return facts;
}

}  // namespace qel::native::win
