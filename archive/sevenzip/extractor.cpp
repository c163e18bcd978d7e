#include "archive/sevenzip/extractor.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "archive/sevenzip/crc32.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/file_metadata.h"
#include "archive/sevenzip/path_safety.h"
#include "archive/sevenzip/utf.h"

namespace qel::archive {
namespace {

namespace fs = std::filesystem;

constexpr size_t kChunkSize = 1 << 18;

struct PlannedEntry {
  size_t index;  // into the archive's entries
  fs::path path;
};

class Extraction {
 public:
  Extraction(SevenZipArchive& archive, const fs::path& target, const ExtractOptions& options)
      : archive_(archive), entries_(archive.entries()), target_(target), options_(options) {}

  ExtractResult run() {
    plan();
    std::error_code ec;
    fs::create_directories(target_, ec);
    if (!fs::is_directory(target_, ec)) throw WriteError("Cannot create folder " + utf8_from_path(target_));

    for (const auto& p : planned_) {
      const Entry& e = entries_[p.index];
      if (e.is_dir) {
        start_entry(e);
        make_folder(p.path);
        dirs_.push_back(&p);
      } else if (!e.has_stream) {
        write_empty_file(p);
      }
    }
    for (const auto& [folder, list] : by_folder_) extract_folder(folder, list);
    // Folder times last: writing into a folder changes its time.
    for (auto it = dirs_.rbegin(); it != dirs_.rend(); ++it) {
      const Entry& e = entries_[(*it)->index];
      apply_file_metadata((*it)->path, attributes_of(e), e.mtime, true);
    }
    return result_;
  }

 private:
  // Checks every selected name before anything is written.
  void plan() {
    for (size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      if (options_.select && !options_.select(e)) continue;
      if (e.is_anti) continue;
      auto parts = safe_path_components(e.name);
      if (!options_.keep_paths) {
        if (e.is_dir) continue;
        parts.erase(parts.begin(), parts.end() - 1);
      }
      fs::path path = target_;
      for (const auto& part : parts) path /= path_from_utf8(part);
      planned_.push_back({i, std::move(path)});
      if (!e.is_dir) total_ += e.size;
    }
    for (const auto& p : planned_) {
      const Entry& e = entries_[p.index];
      if (e.has_stream) by_folder_[e.folder].push_back(&p);
    }
  }

  static std::optional<uint32_t> attributes_of(const Entry& e) {
    if (!e.attributes) return std::nullopt;
    return windows_attributes(*e.attributes);
  }

  void start_entry(const Entry& e) {
    if (options_.entry_start && !options_.entry_start(e)) throw StoppedError("Extraction stopped");
  }

  void report(const Entry& e) {
    if (options_.progress && !options_.progress(e.name, done_, total_)) throw StoppedError("Extraction stopped");
  }

  void make_folder(const fs::path& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (!fs::is_directory(path, ec)) throw WriteError("Cannot create folder " + utf8_from_path(path));
  }

  // False when the overwrite callback keeps the existing file.
  bool prepare_file(const Entry& e, const fs::path& path) {
    make_folder(path.parent_path());
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (!fs::exists(status)) return true;
    if (fs::is_directory(status)) throw WriteError("Cannot write " + utf8_from_path(path) + ": a folder is in the way");
    if (options_.overwrite && !options_.overwrite(e, path)) {
      ++result_.files_skipped;
      return false;
    }
    clear_readonly(path);
    return true;
  }

  void write_empty_file(const PlannedEntry& p) {
    const Entry& e = entries_[p.index];
    start_entry(e);
    if (!prepare_file(e, p.path)) return;
    std::ofstream out(p.path, std::ios::binary | std::ios::trunc);
    if (!out) throw WriteError("Cannot create file " + utf8_from_path(p.path));
    out.close();
    apply_file_metadata(p.path, attributes_of(e), e.mtime, false);
    ++result_.files_written;
    report(e);
  }

  void extract_folder(size_t folder, const std::vector<const PlannedEntry*>& wanted) {
    for (;;) {
      std::vector<fs::path> written;
      const uint64_t done_before = done_;
      const ExtractResult result_before = result_;
      try {
        decode_folder(folder, wanted, written);
        return;
      } catch (const WrongPasswordError&) {
        remove_files(written);
        done_ = done_before;
        result_ = result_before;
        if (!archive_.next_password()) throw;
      } catch (...) {
        remove_files(written);
        throw;
      }
    }
  }

  static void remove_files(const std::vector<fs::path>& files) {
    for (const auto& f : files) {
      std::error_code ec;
      clear_readonly(f);
      fs::remove(f, ec);
    }
  }

  void decode_folder(size_t folder, const std::vector<const PlannedEntry*>& wanted, std::vector<fs::path>& written) {
    const bool encrypted = archive_.folder_is_encrypted(folder);
    auto stream = archive_.open_folder(folder);
    // Entries of this folder in stream order, planned or not (the stream must be
    // consumed up to the last wanted one).
    std::map<size_t, const Entry*> order;
    for (const auto& e : entries_)
      if (e.has_stream && e.folder == folder) order.emplace(e.index_in_folder, &e);
    std::map<const Entry*, std::vector<const PlannedEntry*>> plans;
    for (const auto* p : wanted) plans[&entries_[p->index]].push_back(p);
    size_t remaining = plans.size();

    std::vector<uint8_t> buf(kChunkSize);
    for (const auto& [pos, e] : order) {
      if (remaining == 0) break;
      const auto it = plans.find(e);
      // One entry may be planned twice only in flat mode with duplicate names; write the first.
      const PlannedEntry* plan = it == plans.end() ? nullptr : it->second.front();
      std::ofstream out;
      fs::path path;
      if (plan) {
        --remaining;
        start_entry(*e);
        if (prepare_file(*e, plan->path)) {
          path = plan->path;
          out.open(path, std::ios::binary | std::ios::trunc);
          if (!out) throw WriteError("Cannot create file " + utf8_from_path(path));
          written.push_back(path);
        }
      }
      uint32_t crc = 0;
      uint64_t left = e->size;
      while (left > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, buf.size()));
        size_t got = 0;
        while (got < want) {
          const size_t n = stream->read(buf.data() + got, want - got);
          if (n == 0) throw ArchiveError("Unexpected end of data in " + e->name);
          got += n;
        }
        left -= got;
        if (plan) {
          crc = crc32_update(crc, buf.data(), got);
          if (out.is_open()) {
            out.write(reinterpret_cast<const char*>(buf.data()), static_cast<std::streamsize>(got));
            if (!out) throw WriteError("Cannot write file " + utf8_from_path(path));
          }
          done_ += got;
          report(*e);
        }
      }
      if (plan && e->crc && crc != *e->crc) {
        if (encrypted) throw WrongPasswordError("CRC error in encrypted file " + e->name + " (wrong password?)");
        throw ArchiveError("CRC error in " + e->name);
      }
      if (out.is_open()) {
        out.close();
        if (!out) throw WriteError("Cannot write file " + utf8_from_path(path));
        apply_file_metadata(path, attributes_of(*e), e->mtime, false);
        ++result_.files_written;
        result_.bytes_written += e->size;
        if (e->size == 0) report(*e);
      }
    }
  }

  SevenZipArchive& archive_;
  const std::vector<Entry>& entries_;
  fs::path target_;
  const ExtractOptions& options_;
  std::vector<PlannedEntry> planned_;
  std::map<size_t, std::vector<const PlannedEntry*>> by_folder_;
  std::vector<const PlannedEntry*> dirs_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  ExtractResult result_;
};

}  // namespace

ExtractResult extract_archive(SevenZipArchive& archive, const fs::path& target, const ExtractOptions& options) {
  return Extraction(archive, target, options).run();
}

ExtractResult extract_archive(const fs::path& archive_path, const fs::path& target, const ExtractOptions& options) {
  auto archive = SevenZipArchive::open(archive_path, options.password);
  return extract_archive(*archive, target, options);
}

}  // namespace qel::archive
