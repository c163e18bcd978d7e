#include "native/log/log_file_system.h"

#include <sys/stat.h>

#include <cstdio>

#ifdef _WIN32
#include <direct.h>
#else
#include <unistd.h>
#endif

#include "native/log/log_elements.h"

namespace qel::native {
namespace {

bool StatPath(const std::string& path, bool& is_folder) {
#ifdef _WIN32
  struct _stat64 st;
  std::string p = TrimTrailingSeparators(path);
  if (p.size() == 2 && p[1] == ':') p += '\\';
  if (_stat64(p.c_str(), &st) != 0) return false;
  is_folder = (st.st_mode & _S_IFDIR) != 0;
#else
  struct stat st;
  if (::stat(TrimTrailingSeparators(path).c_str(), &st) != 0) return false;
  is_folder = S_ISDIR(st.st_mode);
#endif
  return true;
}

bool MakeFolder(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return ::mkdir(path.c_str(), 0777) == 0;
#endif
}

bool WriteBytes(const std::string& path, const std::string& bytes, const char* mode) {
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (!f) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

class CrtLogFileSystem final : public LogFileSystem {
 public:
  bool FileExists(const std::string& path) override {
    bool folder = false;
    return StatPath(path, folder) && !folder;
  }
  bool FolderExists(const std::string& path) override {
    bool folder = false;
    return StatPath(path, folder) && folder;
  }
  bool CreateFolders(const std::string& path) override {
    std::vector<std::string> missing = MissingAncestors(path, [&](const std::string& p) { return FolderExists(p); });
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) MakeFolder(*it);
    return FolderExists(path);
  }
  bool ReadFile(const std::string& path, std::string& bytes) override {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
  }
  bool AppendFile(const std::string& path, const std::string& bytes) override { return WriteBytes(path, bytes, "ab"); }
  bool WriteFile(const std::string& path, const std::string& bytes) override { return WriteBytes(path, bytes, "wb"); }
  bool DeleteFile(const std::string& path) override { return std::remove(path.c_str()) == 0; }
  bool RemoveFolder(const std::string& path) override {
#ifdef _WIN32
    return _rmdir(TrimTrailingSeparators(path).c_str()) == 0;
#else
    return ::rmdir(TrimTrailingSeparators(path).c_str()) == 0;
#endif
  }
};

}  // namespace

LogFileSystem& DefaultLogFileSystem() {
  static CrtLogFileSystem fs;
  return fs;
}

}  // namespace qel::native
