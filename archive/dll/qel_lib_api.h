// Exports of the archive library qel.lib, its records and callbacks. Shared by the
// DLL, its callers (the archive client) and the tests that load it.
//
// Record layouts (both builds):
//   target-file record: uint32 count at offset 0, then count pointers to
//     zero-terminated ANSI entry names, naturally aligned: from offset 4 in the
//     32-bit build, from offset 8 in the 64-bit build.
//   entry record, 48 bytes, contiguous:
//     0  pointer to the zero-terminated ANSI name (4 bytes + 4 padding in the
//        32-bit build, 8 bytes in the 64-bit build)
//     8  uint64 unpacked size
//     16 uint64 packed size: the folder's packed size on the first entry of each
//        folder, 0 on the others
//     24 reserved, 0
//     32 FILETIME, modification time (UTC), 0 when the archive gives none
//     40 uint32 Windows file attributes
//     44 reserved, 0
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#define QEL_STDCALL __stdcall
#else
#define QEL_STDCALL
#endif

extern "C" {

// Error numbers of GetLastArchiveError.
enum : uint32_t {
  kQelErrorNone = 0,
  kQelErrorGeneral = 1000,          // anything not listed below
  kQelErrorArchiveNotFound = 1001,
  kQelErrorIllegalPath = 1002,      // an entry name that would leave the target folder
  kQelErrorCannotOpen = 1003,       // unsupported archive or method, wrong or missing password
  kQelErrorWriteFailed = 1004,      // a target file or folder could not be written
  kQelErrorStopped = 1005,          // a callback asked to stop
  kQelErrorEntryNotFound = 1006,    // a name of the target-file record is not in the archive
  kQelErrorDataError = 1007,        // corrupt archive data or CRC mismatch
};

// Size of the buffer handed to the password callback; the password is copied in
// zero-terminated, at most kQelPasswordBufferSize - 1 bytes (ANSI).
enum : uint32_t { kQelPasswordBufferSize = 1024 };

// Overwrite callback answers.
enum : int { kQelOverwriteYes = 4, kQelOverwriteNo = 1 };

struct QelTargetFiles {
  uint32_t count;
  const char* names[1];  // really `count` entries
};

struct QelEntryRecord {
  const char* name;
#if UINTPTR_MAX == 0xFFFFFFFFu
  uint32_t name_padding;
#endif
  uint64_t size;
  uint64_t packed_size;
  uint64_t reserved1;
  uint64_t mtime;  // FILETIME as one 64-bit value
  uint32_t attributes;
  uint32_t reserved2;
};
static_assert(sizeof(QelEntryRecord) == 48);
static_assert(offsetof(QelEntryRecord, size) == 8);
static_assert(offsetof(QelEntryRecord, packed_size) == 16);
static_assert(offsetof(QelEntryRecord, mtime) == 32);
static_assert(offsetof(QelEntryRecord, attributes) == 40);

// 1 after copying a password into buffer, 0 when there is none (more).
typedef int(QEL_STDCALL* QelPasswordCallback)(char* buffer);
// 1 to continue, 0 to stop. done/total count bytes over all entries being extracted.
typedef int(QEL_STDCALL* QelProgressCallback)(const char* entry_name, uint64_t done, uint64_t total);
// Called before each entry is written: 1 to continue, 0 to stop.
typedef int(QEL_STDCALL* QelEntryCallback)(const char* entry_name);
// Asked when a file to write exists: kQelOverwriteYes replaces it, anything else keeps
// it. Arguments: target path, its size, its FILETIME, its attributes, the entry name,
// the entry's size, FILETIME and attributes, two reserved zeros.
typedef int(QEL_STDCALL* QelOverwriteCallback)(const char* existing_path, uint64_t existing_size,
                                               uint64_t existing_mtime, uint32_t existing_attributes,
                                               const char* entry_name, uint64_t entry_size, uint64_t entry_mtime,
                                               uint32_t entry_attributes, uint32_t reserved1, uint32_t reserved2);

// Extracts the entries named in `files` (NULL: all entries) into target_folder.
// `flat` 0 keeps the entries' folders under the target, 1 writes every file directly
// into it. `reserved` is ignored (callers pass 1). Non-zero on success.
typedef int(QEL_STDCALL* QelExtractArchiveFn)(const char* archive_path, int reserved, const char* target_folder,
                                              const QelTargetFiles* files, int flat, const char* password,
                                              QelPasswordCallback password_callback,
                                              QelProgressCallback progress_callback,
                                              QelEntryCallback entry_callback,
                                              QelOverwriteCallback overwrite_callback);
// Lists an archive: *entries points at *count contiguous entry records that stay
// valid until CloseListArchive(handle). The reserved arguments are ignored (callers
// pass 0). Returns the handle, 0 on failure.
typedef void*(QEL_STDCALL* QelOpenListArchiveFn)(const char* archive_path, int reserved1,
                                                 QelPasswordCallback password_callback, int reserved2,
                                                 int reserved3, int reserved4, const char* password,
                                                 QelEntryRecord** entries, uint32_t* count);
typedef void(QEL_STDCALL* QelCloseListArchiveFn)(void* handle);
// The error number of the last failed call on this thread (0 after a success).
typedef uint32_t(QEL_STDCALL* QelGetLastArchiveErrorFn)(int reserved);

#ifdef QEL_LIB_DECLARE_EXPORTS
int QEL_STDCALL ExtractArchive(const char* archive_path, int reserved, const char* target_folder,
                               const QelTargetFiles* files, int flat, const char* password,
                               QelPasswordCallback password_callback, QelProgressCallback progress_callback,
                               QelEntryCallback entry_callback, QelOverwriteCallback overwrite_callback);
void* QEL_STDCALL OpenListArchive(const char* archive_path, int reserved1, QelPasswordCallback password_callback,
                                  int reserved2, int reserved3, int reserved4, const char* password,
                                  QelEntryRecord** entries, uint32_t* count);
void QEL_STDCALL CloseListArchive(void* handle);
uint32_t QEL_STDCALL GetLastArchiveError(int reserved);
#endif

}  // extern "C"
