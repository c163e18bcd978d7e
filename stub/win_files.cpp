#include "stub/win_files.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace qel::stub {

bool file_exists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string create_support_folder(const std::string& parent) {
  for (unsigned n = 1; n < 100000; ++n) {
    const std::string folder = parent + "qel" + std::to_string(n);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

namespace {

void delete_content(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      delete_content(path + "\\");
      RemoveDirectoryA(path.c_str());
    } else {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(h, &found));
  FindClose(h);
}

}  // namespace

void remove_support_folder(const std::string& folder) {
  if (folder.empty() || !folder_exists(folder)) return;
  std::string with_slash = folder;
  if (with_slash.back() != '\\') with_slash += '\\';
  for (int pass = 0; pass < 3; ++pass) delete_content(with_slash);
  RemoveDirectoryA(with_slash.substr(0, with_slash.size() - 1).c_str());
}

std::string read_file(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("Cannot open file " + path);
  LARGE_INTEGER size{};
  std::string bytes;
  bool ok = GetFileSizeEx(h, &size) != 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      ok = ReadFile(h, bytes.data() + done, want, &got, nullptr) && got > 0;
      done += got;
    }
  }
  CloseHandle(h);
  if (!ok) throw std::runtime_error("Cannot read file " + path);
  return bytes;
}

void write_file(const std::string& path, const std::string& bytes, uint64_t offset) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("Cannot create file " + path);
  bool ok = true;
  size_t done = offset < bytes.size() ? static_cast<size_t>(offset) : bytes.size();
  while (ok && done < bytes.size()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    ok = WriteFile(h, bytes.data() + done, want, &put, nullptr) && put > 0;
    done += put;
  }
  CloseHandle(h);
  if (!ok) throw std::runtime_error("Cannot write file " + path);
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string file_name_of(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string base_name_of(const std::string& path) {
  std::string name = file_name_of(path);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace qel::stub
