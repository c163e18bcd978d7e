#include <fcntl.h>
#include <sys/stat.h>

#include "archive/sevenzip/file_metadata.h"

namespace qel::archive {

namespace {
// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeUnixOffset = 11644473600LL;
}

void apply_file_metadata(const std::filesystem::path& path, std::optional<uint32_t>, std::optional<FileTime> mtime,
                         bool) {
  if (!mtime) return;
  const int64_t ticks = static_cast<int64_t>(*mtime);
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(ticks / 10000000 - kFileTimeUnixOffset);
  times[1].tv_nsec = static_cast<long>((ticks % 10000000) * 100);
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

void clear_readonly(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
}

}  // namespace qel::archive
