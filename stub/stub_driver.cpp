#include "stub/stub_driver.h"

#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "archive/client/archive_client.h"
#include "engine/cmdline.h"
#include "engine/payload.h"
#include "engine/process_state.h"
#include "engine/run_script.h"
#include "engine/trace.h"
#include "lang/language_names.h"
#include "lang/language_strings.h"
#include "stub/dialog_preloader.h"
#include "stub/pe_image.h"
#include "stub/start_windows.h"
#include "stub/win_files.h"

namespace qel {
namespace {

constexpr int kExitException = 11;
constexpr int kExitNoPayload = 13;
constexpr int kExitNoResources = 14;
constexpr int kExitExtractFailed = 15;

std::u16string ansi_to_utf16(std::string_view text) {
  std::u16string out;
  if (text.empty()) return out;
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return out;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  out.assign(wide.begin(), wide.end());
  return out;
}

void show_error(const ProcessState& state, const std::string& text, HWND owner = nullptr) {
  if (!state.silent) MessageBoxA(owner, text.c_str(), kStubCaption, MB_OK | MB_ICONERROR);
}

// The module image end as stored in its file, from the mapped headers.
uint64_t module_image_end(HMODULE module) {
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(base, &info, sizeof info)) return 0;
  const size_t readable = info.RegionSize - (base - static_cast<const unsigned char*>(info.BaseAddress));
  return pe_image_end(base, readable);
}

uint64_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The running module's path; the 8.3 form when the ANSI path cannot show a character.
std::string program_path() {
  char ansi[MAX_PATH * 4] = {};
  GetModuleFileNameA(nullptr, ansi, sizeof ansi);
  std::string path = ansi;
  if (path.find('?') == std::string::npos) return path;
  wchar_t wide[MAX_PATH * 4] = {};
  wchar_t shortened[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, wide, MAX_PATH * 4);
  if (!GetShortPathNameW(wide, shortened, MAX_PATH * 4)) return path;
  char converted[MAX_PATH * 4] = {};
  WideCharToMultiByte(CP_ACP, 0, shortened, -1, converted, sizeof converted, nullptr, nullptr);
  return converted;
}

void write_registry_hints(const std::string& program) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return;
#pragma GCC diagnostic pop
  HKEY key = nullptr;
  if (version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1)) {
    const std::string sub = "Applications\\" + stub::file_name_of(program);
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      RegSetValueExA(key, "IsHostApp", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
      RegCloseKey(key);
    }
  } else if (version.dwMajorVersion == 6 && version.dwMinorVersion == 0) {
    const char* sub = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, sub, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      const DWORD data = 32;
      RegSetValueExA(key, program.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
      RegCloseKey(key);
    }
  }
}

// The language file travels behind the image of qel.lib.
void load_language_file(const ProcessState& state) {
  const std::string library = state.stub_folder + "qel.lib";
  HMODULE module = LoadLibraryA(library.c_str());
  if (!module) return;
  const uint64_t image_end = module_image_end(module);
  const uint64_t size = file_size(library);
  if (image_end > 0 && size > image_end) {
    const std::string lang_file = state.temp_folder + "lang.loc";
    try {
      stub::write_file(lang_file, stub::read_file(library), image_end);
      load_language_strings(lang_file, user_language_name());
    } catch (const std::exception&) {
      // Without the file the strings stay empty.
    }
    DeleteFileA(lang_file.c_str());
  }
  FreeLibrary(module);
}

void copy_beside_package(const ProcessState& state, const char* extension) {
  const std::string name = state.stub_base_name + extension;
  const std::string target = state.support_folder + name;
  if (CopyFileA((state.stub_folder + name).c_str(), target.c_str(), FALSE))
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

enum class Outcome { kContinue, kEndNow };

// Steps from the payload check to the "Free" step. Throws on unexpected failures.
Outcome prepare_and_run(ProcessState& state, stub::StartWindows& windows) {
  trace("    <StubSize>");
  const uint64_t stub_size = module_image_end(GetModuleHandleA(nullptr));
  if (stub_size == 0) throw std::runtime_error("Cannot read the program's image header");
  const uint64_t size = file_size(state.program_path);
  if (size <= stub_size) {
    show_error(state, "For internal use only", windows.owner());
    state.exit_code = kExitNoPayload;
    return Outcome::kEndNow;
  }
  trace("    </StubSize>");
  // Never extract into, or hand the script, an empty support folder (the current
  // folder): a folder that cannot be created ends the run like any other failure.
  if (state.support_folder.empty())
    throw std::runtime_error("The support folder could not be created in " + state.temp_folder);

  trace("    <StubData>");
  const std::string payload_file = state.temp_folder + "qel.tmp";
  stub::write_file(payload_file, stub::read_file(state.program_path), stub_size);
  trace("    </StubData>");

  trace("    <GlobalLists>");
  state.payload = read_payload(stub::read_file(payload_file));
  state.parameter_lists.clear();
  state.parameter_lists.add(&state.payload.params);
  DeleteFileA(payload_file.c_str());
  trace("    </GlobalLists>");

  trace("    <ExtractArchive>");
  if (!stub::file_exists(state.resource_archive)) {
    show_error(state, lang_string(2), windows.owner());
    state.exit_code = kExitNoResources;
    return Outcome::kEndNow;
  }
  std::string error;
  if (!archive::Extract(state.resource_archive, "", state.support_folder, nullptr, nullptr, error,
                        /*overwrite=*/true, /*keep_paths=*/true)) {
    show_error(state, lang_string(3), windows.owner());
    state.exit_code = kExitExtractFailed;
    return Outcome::kEndNow;
  }
  trace("    </ExtractArchive>");
  windows.reload_logo();

  trace("    <ResourcePath>");
  copy_beside_package(state, ".msi");
  copy_beside_package(state, ".msp");
  trace("    </ResourcePath>");
  state.data_folder = state.stub_folder + "data\\";

  trace("    <Dialogs>");
  const std::vector<size_t> dialogs = enabled_display_dialogs(state.payload);
  windows.begin_dialogs(static_cast<int>(dialogs.size()));
  prepare_dialog_host(state.support_folder);
  for (size_t index : dialogs) {
    const std::string name = state.parameter_lists.parameter(state.payload.keys.at(index), 1);
    create_dialog_form(state.support_folder + name + ".dfm", std::to_string(index));
    windows.dialog_loaded();
  }
  trace("    </Dialogs>");
  windows.close();
  trace("  </SetupSplash>");

  trace("  <RunScript>");
  run_script(RunScriptArgs{state.payload.names, state.payload.keys, state.payload.flags,
                           state.support_folder + state.stub_base_name + ".msi", nullptr, state.parameter_lists,
                           state.payload.media_blocks});
  trace("  </RunScript>");

  trace("  <Free>");
  state.parameter_lists.clear();
  for (StringList* list : {&state.payload.names, &state.payload.keys, &state.payload.params, &state.payload.flags,
                           &state.payload.media_blocks, &state.payload.plugin_names})
    StringList().swap(*list);
  trace("  </Free>");
  return Outcome::kContinue;
}

}  // namespace

int run_stub() {
  set_trace_converter(&ansi_to_utf16);
  ProcessState& state = process_state();

  state.program_path = program_path();
  write_registry_hints(state.program_path);

  state.support_folder.clear();
  state.stub_folder = stub::folder_of(state.program_path);
  state.stub_base_name = stub::base_name_of(state.program_path);
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  state.temp_folder = temp;
  if (!state.temp_folder.empty() && state.temp_folder.back() != '\\') state.temp_folder += '\\';
  if (!stub::folder_exists(state.temp_folder)) CreateDirectoryA(state.temp_folder.c_str(), nullptr);

  load_language_file(state);
  state.resource_archive = state.stub_folder + state.stub_base_name + ".res";

  const CommandLine command_line = parse_command_line(GetCommandLineA());
  state.command_tail = command_line.tail;
  state.silent = command_line.silent;
  state.windows_suppressed = command_line.windows_suppressed;
  state.gpo_path = command_line.gpo_path;
  state.sfx_path = command_line.sfx_path;
  state.alternative_source = command_line.alternative_source;
  state.properties = command_line.properties;
  set_trace_path(command_line.trace_path);

  trace("<Oakhollow>");
  trace("    <SupportDir>");
  state.support_folder = stub::create_support_folder(state.temp_folder);
  trace("    </SupportDir>");
  trace("  <SetupSplash>");
  stub::StartWindows windows;
  if (!state.silent && !state.windows_suppressed) windows.open(state.stub_folder, state.support_folder);

  try {
    if (prepare_and_run(state, windows) == Outcome::kEndNow) {
      // The support folder stays behind empty: only the logo that the
      // initialization window wrote into it is taken back.
      if (windows.is_open()) DeleteFileA((state.support_folder + stub::kLogoFileName).c_str());
      return state.exit_code;
    }
  } catch (const std::exception& e) {
    state.exit_code = kExitException;
    show_error(state, lang_string(5) + e.what());
  } catch (...) {
    state.exit_code = kExitException;
    show_error(state, lang_string(5) + "Unknown error");
  }

  trace("  <CachedSupportDir>");
  stub::remove_support_folder(state.support_folder);
  trace("  </CachedSupportDir>");
  trace("</Oakhollow>");
  return state.exit_code;
}

}  // namespace qel
