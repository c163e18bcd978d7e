#include "native/log/log_set.h"

#include <charconv>
#include <mutex>

#include "engine/ascii.h"

namespace qel::native {
namespace {

std::string FilePath(std::string_view prefix, size_t i) { return std::string(prefix) + std::string(kLogSuffixes[i]); }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.emplace_back(text, start, stop - start);
    start = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& entry : list) {
    out += LogLine(entry);
    out += "\r\n";
  }
  return out;
}

std::mutex& ProviderMutex() {
  static std::mutex m;
  return m;
}
DefaultPrefixProvider& Provider() {
  static DefaultPrefixProvider provider;
  return provider;
}

}  // namespace

std::string PrefixFolder(std::string_view prefix) {
  size_t at = prefix.find_last_of("\\/");
  return at == std::string_view::npos ? std::string() : std::string(prefix.substr(0, at + 1));
}

bool LogSetExists(LogFileSystem& fs, std::string_view prefix) {
  for (size_t i = 0; i < kLogSuffixes.size(); ++i)
    if (!fs.FileExists(FilePath(prefix, i))) return false;
  return true;
}

std::string ChooseLogPrefix(LogFileSystem& fs, std::string_view native_logging, std::string_view default_prefix) {
  if (!native_logging.empty() && !EqualsNoCase(native_logging, "FALSE")) {
    std::string folder = PrefixFolder(native_logging);
    if ((folder.empty() || fs.FolderExists(folder)) && LogSetExists(fs, native_logging))
      return std::string(native_logging);
  }
  return std::string(default_prefix);
}

bool PrepareLogSet(LogFileSystem& fs, std::string_view prefix, bool create) {
  size_t present = 0;
  for (size_t i = 0; i < kLogSuffixes.size(); ++i)
    if (fs.FileExists(FilePath(prefix, i))) ++present;
  if (present == kLogSuffixes.size()) return true;
  if (!create || present != 0) return false;
  for (size_t i = 0; i < kLogSuffixes.size(); ++i)
    if (!fs.WriteFile(FilePath(prefix, i), "")) return false;
  return true;
}

std::string LogLine(std::string_view entry) {
  std::string out;
  out.reserve(entry.size());
  for (size_t i = 0; i < entry.size(); ++i) {
    char c = entry[i];
    if (c == '\r' || c == '\n') {
      out += "$NEWLINE$";
      if (c == '\r' && i + 1 < entry.size() && entry[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

FlushResult FlushLog(LogFileSystem& fs, std::string_view prefix, NativeLog& log) {
  FlushResult result;
  if (prefix.empty()) {
    result.ok = log.empty();
    return result;
  }
  std::string folder = PrefixFolder(prefix);
  if (!folder.empty() && !fs.FolderExists(folder)) {
    if (log.empty()) return result;
    result.created_folders = MissingAncestors(folder, [&](const std::string& p) { return fs.FolderExists(p); });
    if (!fs.CreateFolders(folder)) {
      result.ok = false;
      return result;
    }
    result.created_folder = folder;
  }
  LogLists lists = log.Take();
  const std::vector<std::string>* parts[4] = {&lists.elements, &lists.data, &lists.weights, &lists.bitness};
  for (size_t i = 0; i < kLogSuffixes.size(); ++i) {
    if (!fs.AppendFile(FilePath(prefix, i), JoinLines(*parts[i]))) result.ok = false;
  }
  return result;
}

LogLists LoadLogSet(LogFileSystem& fs, std::string_view prefix) {
  LogLists lists;
  std::vector<std::string>* parts[4] = {&lists.elements, &lists.data, &lists.weights, &lists.bitness};
  for (size_t i = 0; i < kLogSuffixes.size(); ++i) {
    std::string text;
    if (fs.ReadFile(FilePath(prefix, i), text)) *parts[i] = SplitLines(text);
  }
  for (size_t i = 1; i < 4; ++i) parts[i]->resize(lists.elements.size());
  return lists;
}

LogSetHolding HoldLogSet(LogFileSystem& fs, std::string_view prefix) {
  LogSetHolding holding;
  for (size_t i = 0; i < kLogSuffixes.size(); ++i)
    holding.present[i] = fs.ReadFile(FilePath(prefix, i), holding.contents[i]);
  return holding;
}

bool RestoreLogSet(LogFileSystem& fs, std::string_view prefix, const LogSetHolding& holding) {
  std::string folder = PrefixFolder(prefix);
  if (!folder.empty() && !fs.CreateFolders(folder)) return false;
  bool ok = true;
  for (size_t i = 0; i < kLogSuffixes.size(); ++i)
    if (holding.present[i] && !fs.WriteFile(FilePath(prefix, i), holding.contents[i])) ok = false;
  return ok;
}

void RemoveLogSet(LogFileSystem& fs, std::string_view prefix, bool remove_folder) {
  for (size_t i = 0; i < kLogSuffixes.size(); ++i) fs.DeleteFile(FilePath(prefix, i));
  std::string folder = PrefixFolder(prefix);
  if (remove_folder && !folder.empty()) fs.RemoveFolder(folder);
}

void RemoveFlushedLogSet(LogFileSystem& fs, std::string_view prefix, const FlushResult& flushed) {
  RemoveLogSet(fs, prefix, false);
  for (const std::string& folder : flushed.created_folders)
    if (!fs.RemoveFolder(folder)) break;
}

bool InstalledNatively(LogFileSystem& fs, std::string_view prefix, std::string_view cache_folder,
                       std::string_view revision_code) {
  if (!LogSetExists(fs, prefix) || revision_code.empty()) return false;
  std::string trimmed = TrimTrailingSeparators(cache_folder);
  size_t at = trimmed.find_last_of("\\/");
  std::string_view last = at == std::string::npos ? std::string_view(trimmed) : std::string_view(trimmed).substr(at + 1);
  return EqualsNoCase(last, revision_code);
}

uint64_t TotalWeight(const LogLists& lists) {
  uint64_t total = 0;
  for (const std::string& w : lists.weights) {
    uint64_t v = 0;
    auto [ptr, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    if (ec == std::errc() && ptr == w.data() + w.size()) total += v;
  }
  return total;
}

void SetDefaultLogPrefixProvider(DefaultPrefixProvider provider) {
  std::lock_guard lock(ProviderMutex());
  Provider() = std::move(provider);
}

std::string DefaultLogPrefix() {
  DefaultPrefixProvider provider;
  {
    std::lock_guard lock(ProviderMutex());
    provider = Provider();
  }
  return provider ? provider() : std::string();
}

std::string CurrentLogPrefix(LogFileSystem& fs, std::string_view native_logging) {
  return ChooseLogPrefix(fs, native_logging, DefaultLogPrefix());
}

}  // namespace qel::native
