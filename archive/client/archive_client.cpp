#include "archive/client/archive_client.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>

#include "archive/dll/qel_lib_api.h"

// Imported from qel.lib at load time.
extern "C" {
int QEL_STDCALL ExtractArchive(const char*, int, const char*, const QelTargetFiles*, int, const char*,
                               QelPasswordCallback, QelProgressCallback, QelEntryCallback, QelOverwriteCallback);
void* QEL_STDCALL OpenListArchive(const char*, int, QelPasswordCallback, int, int, int, const char*,
                                  QelEntryRecord**, uint32_t*);
void QEL_STDCALL CloseListArchive(void*);
uint32_t QEL_STDCALL GetLastArchiveError(int);
}

namespace qel::archive {
namespace {

// The library's callbacks carry no context: the current call's callbacks sit in a
// per-thread slot for the duration of the library call.
struct CallContext {
  const std::function<std::optional<std::string>()>* password = nullptr;
  const ExtractCallbacks* callbacks = nullptr;
};
thread_local CallContext* g_context = nullptr;

class ContextScope {
 public:
  explicit ContextScope(CallContext& c) : saved_(g_context) { g_context = &c; }
  ~ContextScope() { g_context = saved_; }

 private:
  CallContext* saved_;
};

int QEL_STDCALL password_trampoline(char* buffer) {
  if (!g_context || !g_context->password || !*g_context->password) return 0;
  try {
    const std::optional<std::string> pw = (*g_context->password)();
    if (!pw) return 0;
    const size_t n = std::min<size_t>(pw->size(), kQelPasswordBufferSize - 1);
    std::memcpy(buffer, pw->data(), n);
    buffer[n] = '\0';
    return 1;
  } catch (...) {
    return 0;
  }
}

int QEL_STDCALL progress_trampoline(const char* name, uint64_t done, uint64_t total) {
  try {
    return g_context->callbacks->progress(name ? name : "", done, total) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int QEL_STDCALL entry_trampoline(const char* name) {
  try {
    return g_context->callbacks->entry_start(name ? name : "") ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int QEL_STDCALL overwrite_trampoline(const char* existing, uint64_t, uint64_t, uint32_t, const char* entry, uint64_t,
                                     uint64_t, uint32_t, uint32_t, uint32_t) {
  try {
    return g_context->callbacks->overwrite(existing ? existing : "", entry ? entry : "") ? kQelOverwriteYes
                                                                                        : kQelOverwriteNo;
  } catch (...) {
    return kQelOverwriteNo;
  }
}

int QEL_STDCALL default_continue(const char*) { return 1; }
int QEL_STDCALL default_progress(const char*, uint64_t, uint64_t) { return 1; }
int QEL_STDCALL overwrite_yes(const char*, uint64_t, uint64_t, uint32_t, const char*, uint64_t, uint64_t, uint32_t,
                              uint32_t, uint32_t) {
  return kQelOverwriteYes;
}
int QEL_STDCALL overwrite_no(const char*, uint64_t, uint64_t, uint32_t, const char*, uint64_t, uint64_t, uint32_t,
                             uint32_t, uint32_t) {
  return kQelOverwriteNo;
}

std::string local_time_text(uint64_t filetime) {
  if (filetime == 0) return {};
  FILETIME utc{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
  FILETIME local{};
  SYSTEMTIME st{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond);
  return text;
}

// The target-file record: a 32-bit count, then the name pointers at their natural alignment.
class TargetFileRecord {
 public:
  explicit TargetFileRecord(const std::vector<std::string>& names)
      : storage_((offsetof(QelTargetFiles, names) + std::max<size_t>(names.size(), 1) * sizeof(const char*) +
                  sizeof(void*) - 1) /
                 sizeof(void*)) {
    auto* record = reinterpret_cast<QelTargetFiles*>(storage_.data());
    record->count = static_cast<uint32_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) record->names[i] = names[i].c_str();
  }
  const QelTargetFiles* get() const { return reinterpret_cast<const QelTargetFiles*>(storage_.data()); }

 private:
  std::vector<void*> storage_;
};

}  // namespace

std::string list_error_text(uint32_t error_number) {
  switch (error_number) {
    case kQelErrorArchiveNotFound:
      return "The archive file was not found";
    case kQelErrorIllegalPath:
      return "Illegal path used in a wildcard expression";
    case kQelErrorCannotOpen:
      return "The archive cannot be opened: unsupported archive or incorrect password";
    default:
      return "General failure opening archive";
  }
}

bool List(const std::string& archive, const std::string& password, std::string& error,
          const std::function<std::optional<std::string>()>* password_callback, ArchiveListing* listing) {
  try {
    CallContext context;
    context.password = password_callback;
    ContextScope scope(context);
    QelEntryRecord* records = nullptr;
    uint32_t count = 0;
    void* handle = OpenListArchive(archive.c_str(), 0, password_callback ? password_trampoline : nullptr, 0, 0, 0,
                                   password.c_str(), &records, &count);
    if (!handle) {
      error = list_error_text(GetLastArchiveError(0));
      return false;
    }
    if (listing) {
      for (uint32_t i = 0; i < count; ++i) {
        const QelEntryRecord& r = records[i];
        listing->names.emplace_back(r.name ? r.name : "");
        listing->attributes.push_back(r.attributes);
        listing->sizes.push_back(std::to_string(r.size));
        listing->packed_sizes.push_back(std::to_string(r.packed_size));
        listing->times.push_back(local_time_text(r.mtime));
      }
    }
    CloseListArchive(handle);
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

bool Extract(const std::string& archive, const std::string& password, const std::string& target_folder,
             const ExtractCallbacks* callbacks, const std::vector<std::string>* entries, std::string& error,
             bool overwrite, bool keep_paths) {
  try {
    // The default password callback hands out the given password once.
    bool handed_out = false;
    const std::function<std::optional<std::string>()> default_password = [&]() -> std::optional<std::string> {
      if (handed_out) return std::nullopt;
      handed_out = true;
      return password;
    };
    const auto* password_callback =
        callbacks && callbacks->password ? &callbacks->password : &default_password;

    std::vector<std::string> names;
    if (entries) {
      names = *entries;
    } else {
      ArchiveListing listing;
      if (!List(archive, password, error, password_callback, &listing)) return false;
      names = std::move(listing.names);
      handed_out = false;
    }

    CallContext context;
    context.password = password_callback;
    context.callbacks = callbacks;
    ContextScope scope(context);
    const TargetFileRecord record(names);
    const bool custom_progress = callbacks && callbacks->progress;
    const bool custom_entry = callbacks && callbacks->entry_start;
    const bool custom_overwrite = callbacks && callbacks->overwrite;
    const int ok = ExtractArchive(archive.c_str(), 1, target_folder.c_str(), record.get(), keep_paths ? 0 : 1,
                                  password.c_str(), password_trampoline,
                                  custom_progress ? progress_trampoline : default_progress,
                                  custom_entry ? entry_trampoline : default_continue,
                                  custom_overwrite ? overwrite_trampoline : (overwrite ? overwrite_yes : overwrite_no));
    if (!ok) {
      error = "#" + std::to_string(GetLastArchiveError(0));
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

}  // namespace qel::archive
