// The exports of qel.lib. Every export catches everything: no exception crosses
// the DLL boundary; failures set the thread's last error number.
#define QEL_LIB_DECLARE_EXPORTS
#include "archive/dll/qel_lib_api.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/dll/ansi_text.h"
#include "archive/dll/error_numbers.h"
#include "archive/sevenzip/archive_reader.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/extractor.h"
#include "archive/sevenzip/utf.h"

namespace {

using namespace qel::archive;

thread_local uint32_t g_last_error = kQelErrorNone;

// A callback that keeps answering with passwords must not loop forever.
constexpr int kMaxPasswordRequests = 64;

struct ListHandle {
  std::vector<std::string> names;
  std::vector<QelEntryRecord> records;
};

// The given password first (when not empty), then whatever the callback hands out.
PasswordSource make_password_source(const char* password, QelPasswordCallback callback) {
  auto given = std::make_shared<std::optional<std::string>>();
  if (password && *password) *given = utf8_from_ansi(password);
  auto requests = std::make_shared<int>(0);
  return [given, requests, callback]() -> std::optional<std::string> {
    if (*given) {
      std::optional<std::string> out = std::move(*given);
      given->reset();
      return out;
    }
    if (!callback || ++*requests > kMaxPasswordRequests) return std::nullopt;
    std::vector<char> buffer(kQelPasswordBufferSize, '\0');
    if (callback(buffer.data()) != 1) return std::nullopt;
    buffer.back() = '\0';
    return utf8_from_ansi(buffer.data());
  };
}

// Names as the interface shows them: ANSI, '\' between folders.
std::string interface_name(const Entry& e) {
  std::string name = ansi_from_utf8(e.name);
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// Target-file names match entry names without regard to ASCII case or separator.
std::string match_key(std::string name) {
  std::replace(name.begin(), name.end(), '/', '\\');
  while (!name.empty() && name.back() == '\\') name.pop_back();
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

uint32_t interface_attributes(const Entry& e) {
  uint32_t attrs = e.attributes ? windows_attributes(*e.attributes) : 0;
  if (e.is_dir) attrs |= FILE_ATTRIBUTE_DIRECTORY;
  return attrs;
}

uint64_t file_time_of(const std::filesystem::path& path, uint64_t* size, uint32_t* attributes) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  *attributes = data.dwFileAttributes;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

int extract(const char* archive_path, const char* target_folder, const QelTargetFiles* files, int flat,
            const char* password, QelPasswordCallback password_callback, QelProgressCallback progress_callback,
            QelEntryCallback entry_callback, QelOverwriteCallback overwrite_callback) {
  if (!archive_path || !*archive_path) throw ArchiveNotFoundError("No archive given");
  if (!target_folder || !*target_folder) throw WriteError("No target folder given");
  std::unique_ptr<SevenZipArchive> archive;
  try {
    archive = SevenZipArchive::open(path_from_ansi(archive_path), make_password_source(password, password_callback));
  } catch (...) {
    g_last_error = error_number_for_current_exception(Stage::Opening);
    return 0;
  }

  ExtractOptions options;
  options.keep_paths = flat == 0;
  if (files) {
    std::set<std::string> wanted;
    for (uint32_t i = 0; i < files->count; ++i)
      if (files->names[i]) wanted.insert(match_key(files->names[i]));
    std::set<std::string> present;
    for (const auto& e : archive->entries()) present.insert(match_key(interface_name(e)));
    for (const auto& w : wanted)
      if (!present.count(w)) throw EntryNotFoundError("The archive has no entry " + w);
    options.select = [wanted](const Entry& e) { return wanted.count(match_key(interface_name(e))) != 0; };
  }
  if (progress_callback) {
    options.progress = [progress_callback](const std::string& name, uint64_t done, uint64_t total) {
      std::string ansi = ansi_from_utf8(name);
      std::replace(ansi.begin(), ansi.end(), '/', '\\');
      return progress_callback(ansi.c_str(), done, total) != 0;
    };
  }
  if (entry_callback) {
    options.entry_start = [entry_callback](const Entry& e) { return entry_callback(interface_name(e).c_str()) != 0; };
  }
  if (overwrite_callback) {
    options.overwrite = [overwrite_callback](const Entry& e, const std::filesystem::path& existing) {
      uint64_t size = 0;
      uint32_t attributes = 0;
      const uint64_t time = file_time_of(existing, &size, &attributes);
      const std::string existing_name = ansi_from_utf8(utf8_from_path(existing));
      return overwrite_callback(existing_name.c_str(), size, time, attributes, interface_name(e).c_str(), e.size,
                                e.mtime.value_or(0), interface_attributes(e), 0, 0) == kQelOverwriteYes;
    };
  }
  extract_archive(*archive, path_from_ansi(target_folder), options);
  return 1;
}

}  // namespace

extern "C" {

int QEL_STDCALL ExtractArchive(const char* archive_path, int, const char* target_folder, const QelTargetFiles* files,
                               int flat, const char* password, QelPasswordCallback password_callback,
                               QelProgressCallback progress_callback, QelEntryCallback entry_callback,
                               QelOverwriteCallback overwrite_callback) {
  g_last_error = kQelErrorNone;
  try {
    return extract(archive_path, target_folder, files, flat, password, password_callback, progress_callback,
                   entry_callback, overwrite_callback);
  } catch (...) {
    g_last_error = error_number_for_current_exception(Stage::Extracting);
    return 0;
  }
}

void* QEL_STDCALL OpenListArchive(const char* archive_path, int, QelPasswordCallback password_callback, int, int, int,
                                  const char* password, QelEntryRecord** entries, uint32_t* count) {
  g_last_error = kQelErrorNone;
  if (entries) *entries = nullptr;
  if (count) *count = 0;
  try {
    if (!archive_path || !*archive_path) throw ArchiveNotFoundError("No archive given");
    auto archive =
        SevenZipArchive::open(path_from_ansi(archive_path), make_password_source(password, password_callback));
    auto handle = std::make_unique<ListHandle>();
    const auto& list = archive->entries();
    handle->names.reserve(list.size());
    for (const auto& e : list) handle->names.push_back(interface_name(e));
    handle->records.resize(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      QelEntryRecord& r = handle->records[i];
      r = QelEntryRecord{};
      r.name = handle->names[i].c_str();
      r.size = list[i].size;
      r.packed_size = list[i].packed_size;
      r.mtime = list[i].mtime.value_or(0);
      r.attributes = interface_attributes(list[i]);
    }
    if (entries) *entries = handle->records.data();
    if (count) *count = static_cast<uint32_t>(handle->records.size());
    return handle.release();
  } catch (...) {
    g_last_error = error_number_for_current_exception(Stage::Opening);
    return nullptr;
  }
}

void QEL_STDCALL CloseListArchive(void* handle) { delete static_cast<ListHandle*>(handle); }

uint32_t QEL_STDCALL GetLastArchiveError(int) { return g_last_error; }

}  // extern "C"
