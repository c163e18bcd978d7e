#include "tests/stub_interactive/setup_fixture.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace qel::interactive {
namespace {

bool iequals(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// The parent's environment with TMP and TEMP replaced: a double-NUL-terminated block.
std::string environment_with_temp(const std::string& temp_folder) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* p = strings; p && *p; p += std::strlen(p) + 1) {
    const std::string entry = p;
    const std::string name = entry.substr(0, entry.find('='));
    if (iequals(name, "TMP") || iequals(name, "TEMP")) continue;
    block.append(entry).push_back('\0');
  }
  if (strings) FreeEnvironmentStringsA(strings);
  for (const char* name : {"TMP=", "TEMP="}) block.append(name).append(temp_folder).push_back('\0');
  block.push_back('\0');
  return block;
}

struct WindowScan {
  DWORD process_id;
  std::vector<HWND> boxes;
  std::vector<std::string> others;
};

BOOL CALLBACK scan_window(HWND window, LPARAM param) {
  auto* scan = reinterpret_cast<WindowScan*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != scan->process_id || !IsWindowVisible(window)) return TRUE;
  char cls[256] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") == 0)
    scan->boxes.push_back(window);
  else
    scan->others.push_back(cls);
  return TRUE;
}

PROCESS_INFORMATION start(const std::string& command_line, const std::string& temp_folder) {
  std::string environment = environment_with_temp(temp_folder);
  std::string line = command_line;  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, environment.data(), nullptr, &startup,
                      &process))
    throw std::runtime_error("CreateProcessA failed (" + std::to_string(GetLastError()) + "): " + command_line);
  return process;
}

}  // namespace

std::string host_path(const char* unix_path) {
  std::string out = "Z:";
  for (const char* p = unix_path; *p; ++p) out.push_back(*p == '/' ? '\\' : *p);
  return out;
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool folder_exists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool file_exists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> out;
  std::string pattern = folder;
  if (pattern.back() != '\\') pattern += '\\';
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((pattern + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") out.push_back(name);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  std::sort(out.begin(), out.end());
  return out;
}

void make_folders(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
  if (!folder_exists(path)) throw std::runtime_error("cannot create " + path);
}

void remove_tree(const std::string& path) {
  if (!folder_exists(path)) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  const std::string folder = path.back() == '\\' ? path : path + "\\";
  for (const std::string& name : folder_entries(folder)) remove_tree(folder + name);
  RemoveDirectoryA(folder.c_str());
}

SetupFolder::SetupFolder(const std::string& case_name) {
  root = host_path(QEL_E2E_WORK) + "\\" + case_name + "\\";
  remove_tree(root);
  temp = root + "temp\\";
  setup = root + "Setup Folder\\";
  make_folders(temp);
  make_folders(setup);
}

void SetupFolder::install_stub(const std::string& payload_text) const {
  write_bytes(exe(), read_bytes(stub_exe()) + payload_text);
  write_bytes(setup + "qel.lib", read_bytes(archive_library()));
}

void SetupFolder::install_resources(const std::string& archive_bytes) const {
  write_bytes(resource_archive(), archive_bytes);
}

Payload empty_script_payload() {
  Payload p;
  p.product_code = "{6F1C3A52-1D2B-4C8E-9A11-2B7D0E5F4A01}";
  p.title = "Demo Product";
  p.company = "Fernmoor";
  p.version = "1.0.0";
  p.revision_code = "{0B9E4D27-6C3A-4F15-8E22-91A4C7D3E602}";
  p.default_language = "English";
  p.component_sizes = {"OXLE-PREDEF-COMPONENT", "0"};
  return p;
}

std::string stub_exe() { return host_path(QEL_E2E_STUB); }
std::string archive_library() { return host_path(QEL_E2E_LIB); }
std::string good_resource_archive() { return host_path(QEL_E2E_RES); }
std::string lang_loc_file() { return host_path(QEL_E2E_LANG_LOC); }

bool wait_for_desktop(DWORD time_limit_ms) {
  const ULONGLONG deadline = GetTickCount64() + time_limit_ms;
  do {
    if (HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {
      DestroyWindow(probe);
      return true;
    }
    Sleep(100);
  } while (GetTickCount64() < deadline);
  return false;
}

RunResult run_setup(const std::string& command_line, const std::string& temp_folder, DWORD time_limit_ms) {
  RunResult result;
  PROCESS_INFORMATION process = start(command_line, temp_folder);
  std::set<HWND> answered;
  std::set<std::string> others;
  const ULONGLONG deadline = GetTickCount64() + time_limit_ms;
  while (WaitForSingleObject(process.hProcess, 30) == WAIT_TIMEOUT) {
    WindowScan scan{process.dwProcessId, {}, {}};
    EnumWindows(&scan_window, reinterpret_cast<LPARAM>(&scan));
    others.insert(scan.others.begin(), scan.others.end());
    for (HWND box : scan.boxes) {
      if (!answered.insert(box).second) continue;
      char caption[512] = {};
      char text[4096] = {};
      GetWindowTextA(box, caption, sizeof caption);
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      result.boxes.push_back({caption, text});
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    if (GetTickCount64() > deadline) {
      TerminateProcess(process.hProcess, 0xDEAD);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  result.finished = GetTickCount64() <= deadline;
  GetExitCodeProcess(process.hProcess, &result.exit_code);
  result.other_windows.assign(others.begin(), others.end());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace qel::interactive
