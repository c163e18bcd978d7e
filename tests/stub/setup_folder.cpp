#include "tests/stub/setup_folder.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qel::e2e {
namespace fs = std::filesystem;

std::string fresh_folder(const std::string& given) {
  std::string path = given;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::error_code ec;
  fs::remove_all(path, ec);
  fs::create_directories(path);
  return path.back() == '\\' ? path : path + "\\";
}

std::string assemble_setup(const std::string& folder, const std::string& stub_exe, const std::string& payload,
                           const std::string& resource_archive, const std::string& name) {
  const std::string exe = folder + name + ".exe";
  fs::copy_file(stub_exe, exe, fs::copy_options::overwrite_existing);
  if (!payload.empty()) std::ofstream(exe, std::ios::binary | std::ios::app) << payload;
  fs::copy_file(QEL_LIB_FILE, folder + "qel.lib", fs::copy_options::overwrite_existing);
  if (!resource_archive.empty())
    fs::copy_file(resource_archive, folder + name + ".res", fs::copy_options::overwrite_existing);
  return exe;
}

Run run_program(const std::string& command_line, const std::string& temp_folder,
                const std::vector<std::pair<std::string, std::string>>& environment) {
  SetEnvironmentVariableA("TMP", temp_folder.c_str());
  SetEnvironmentVariableA("TEMP", temp_folder.c_str());
  for (const auto& [name, value] : environment) SetEnvironmentVariableA(name.c_str(), value.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string mutable_line = command_line;
  const auto start = std::chrono::steady_clock::now();
  const BOOL created =
      CreateProcessA(nullptr, mutable_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  for (const auto& [name, value] : environment) SetEnvironmentVariableA(name.c_str(), nullptr);
  if (!created) throw std::runtime_error("CreateProcessA failed: " + command_line);
  Run run;
  if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 9999);
    run.exit_code = 9999;
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.exit_code = code;
  }
  run.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> read_utf16_lines(const std::string& path, bool* has_bom) {
  const std::string bytes = read_text(path);
  if (has_bom) *has_bom = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (unit == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line.push_back(unit < 256 ? static_cast<char>(unit) : '?');
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
  return names;
}

}  // namespace qel::e2e
