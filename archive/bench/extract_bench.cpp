// Extraction speed of our 7z reader against `7zz x -mmt1 -so` on the same
// LZMA2 archive of mixed content. See README.md.
//
//   extract_bench [--work DIR] [--size MB] [--runs N] [ARCHIVE.7z | FOLDER]
//
// Without an argument a corpus of about --size MB (text, structured binary,
// incompressible random bytes, executables from /usr) is generated in the work
// folder and packed with `7zz a -m0=LZMA2 -mmt1`; a folder argument is packed
// the same way; an archive is used as it is. Each side runs in its own child
// process so that its peak resident memory can be told apart.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive/sevenzip/archive_reader.h"
#include "archive/sevenzip/crc32.h"
#include "archive/stream.h"

namespace fs = std::filesystem;
using qel::archive::InStream;

namespace {

struct RunResult {
  double seconds = 0;
  long max_rss_kb = 0;
  bool ok = false;
};

// Runs fn in a child process; the time covers fork to exit.
RunResult run_child(const std::function<int()>& fn) {
  const auto t0 = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return {};
  if (pid == 0) _exit(fn());
  int status = 0;
  rusage ru{};
  if (wait4(pid, &status, 0, &ru) != pid) return {};
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return {s, ru.ru_maxrss, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

int run_7zz_extract(const fs::path& archive) {
  const int devnull = open("/dev/null", O_WRONLY);
  dup2(devnull, 1);
  dup2(devnull, 2);
  execlp("7zz", "7zz", "x", "-mmt1", "-so", "-y", archive.c_str(), static_cast<char*>(nullptr));
  return 127;
}

// Decodes every folder and checks the CRC of each file, as `7zz x` does.
int run_our_extract(const fs::path& archive, uint64_t* total_out) {
  try {
    auto ar = qel::archive::SevenZipArchive::open(archive);
    const auto& db = ar->database();
    std::vector<uint8_t> buf(1 << 20);
    uint64_t total = 0;
    size_t entry = 0;
    for (size_t f = 0; f < db.streams.folders.size(); ++f) {
      auto in = ar->open_folder(f);
      while (entry < db.entries.size() && (db.entries[entry].folder != f || !db.entries[entry].has_stream)) ++entry;
      for (; entry < db.entries.size() && db.entries[entry].folder == f; ++entry) {
        const auto& e = db.entries[entry];
        if (!e.has_stream) continue;
        uint64_t left = e.size;
        uint32_t crc = 0;
        while (left > 0) {
          const size_t want = size_t(std::min<uint64_t>(left, buf.size()));
          const size_t got = in->read(buf.data(), want);
          if (got == 0) throw qel::archive::ArchiveError("folder ended early");
          crc = qel::archive::crc32_update(crc, buf.data(), got);
          left -= got;
        }
        if (e.crc && *e.crc != crc) throw qel::archive::ArchiveError("CRC mismatch in " + e.name);
        total += e.size;
      }
    }
    if (total_out) *total_out = total;
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "our extraction failed: %s\n", e.what());
    return 1;
  }
}

void write_file(const fs::path& p, const std::vector<uint8_t>& data) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

// Writes about `megabytes` MB of mixed files into dir, one MB file at a time.
void generate_corpus(const fs::path& dir, size_t megabytes) {
  fs::create_directories(dir);
  std::mt19937_64 rng(12345);
  const size_t mb = size_t(1) << 20;
  const size_t text_mb = megabytes * 30 / 100, binary_mb = megabytes * 20 / 100, random_mb = megabytes * 15 / 100;
  static const char* const kWords[] = {"the ", "install ", "setup ", "file ", "of ", "and ", "registry ", "key ",
                                       "value ", "folder ", "program ", "\n", "error ", "version ", "1.0 ", "user "};
  std::vector<uint8_t> buf;
  for (size_t i = 0; i < text_mb; ++i) {
    buf.clear();
    while (buf.size() < mb) {
      const char* w = kWords[rng() % 16];
      buf.insert(buf.end(), w, w + std::strlen(w));
      if (rng() % 50 == 0) {
        const std::string n = std::to_string(rng() % 100000) + " ";
        buf.insert(buf.end(), n.begin(), n.end());
      }
    }
    write_file(dir / ("text" + std::to_string(i) + ".txt"), buf);
  }
  for (size_t i = 0; i < binary_mb; ++i) {
    buf.clear();
    uint32_t id = uint32_t(i * 100000);
    while (buf.size() < mb) {  // records: counter, small values, a float
      const uint32_t rec[4] = {id++, uint32_t(rng() % 1000), uint32_t(rng() % 7), uint32_t(0x3F800000 + rng() % 4096)};
      buf.insert(buf.end(), reinterpret_cast<const uint8_t*>(rec), reinterpret_cast<const uint8_t*>(rec) + 16);
    }
    write_file(dir / ("data" + std::to_string(i) + ".bin"), buf);
  }
  for (size_t i = 0; i < random_mb; ++i) {
    buf.resize(mb);
    for (size_t k = 0; k < mb; k += 8) {
      const uint64_t v = rng();
      std::memcpy(buf.data() + k, &v, 8);
    }
    write_file(dir / ("random" + std::to_string(i) + ".dat"), buf);
  }
  // The rest: executables and libraries as they are.
  uint64_t want = uint64_t(megabytes - text_mb - binary_mb - random_mb) * mb, have = 0;
  const fs::path exe_dir = dir / "exe";
  fs::create_directories(exe_dir);
  for (const char* src : {"/usr/bin", "/usr/lib/x86_64-linux-gnu", "/usr/libexec"}) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(src, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator() && have < want; it.increment(ec)) {
      if (ec) break;
      if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
      const uint64_t size = it->file_size(ec);
      if (ec || size < 4096 || size > 8 * mb || have + size > want + mb) continue;
      const fs::path to = exe_dir / (std::to_string(have) + "_" + it->path().filename().string());
      if (fs::copy_file(it->path(), to, ec)) have += size;
    }
  }
}

bool pack(const fs::path& folder, const fs::path& archive) {
  fs::remove(archive);
  const std::string cmd = "cd '" + folder.string() + "' && 7zz a -m0=LZMA2 -mmt1 -bso0 -bsp0 '" +
                          fs::absolute(archive).string() + "' . >/dev/null";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path work = fs::temp_directory_path() / "qel_extract_bench";
  size_t megabytes = 100;
  int runs = 3;
  fs::path input;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--work" && i + 1 < argc) work = argv[++i];
    else if (a == "--size" && i + 1 < argc) megabytes = std::stoul(argv[++i]);
    else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::stoi(argv[++i]));
    else if (a == "-h" || a == "--help") {
      std::printf("usage: extract_bench [--work DIR] [--size MB] [--runs N] [ARCHIVE.7z | FOLDER]\n");
      return 0;
    } else input = a;
  }

  fs::create_directories(work);
  fs::path archive;
  if (!input.empty() && fs::is_regular_file(input)) {
    archive = input;
  } else {
    fs::path folder = input;
    if (folder.empty()) {
      folder = work / "corpus";
      if (!fs::exists(folder)) {
        std::printf("generating a %zu MB corpus in %s\n", megabytes, folder.c_str());
        generate_corpus(folder, megabytes);
      }
    }
    archive = work / "bench.7z";
    std::printf("packing %s with 7zz a -m0=LZMA2 -mmt1\n", folder.c_str());
    if (!pack(folder, archive)) {
      std::fprintf(stderr, "7zz a failed\n");
      return 1;
    }
  }

  uint64_t unpacked = 0;
  if (run_our_extract(archive, &unpacked) != 0) return 1;  // also warms the page cache
  const double mb = double(unpacked) / (1 << 20);
  std::printf("archive %s: %.1f MB packed, %.1f MB unpacked\n", archive.c_str(),
              double(fs::file_size(archive)) / (1 << 20), mb);

  RunResult best_7zz, best_ours;
  for (int r = 0; r < runs; ++r) {
    const RunResult a = run_child([&] { return run_7zz_extract(archive); });
    const RunResult b = run_child([&] { return run_our_extract(archive, nullptr); });
    if (!a.ok || !b.ok) {
      std::fprintf(stderr, "a run failed (7zz ok=%d, ours ok=%d)\n", a.ok, b.ok);
      return 1;
    }
    if (r == 0 || a.seconds < best_7zz.seconds) best_7zz = a;
    if (r == 0 || b.seconds < best_ours.seconds) best_ours = b;
  }
  std::printf("7zz x -mmt1 -so : %7.1f MB/s  (%.3f s, peak RSS %ld KB)\n", mb / best_7zz.seconds, best_7zz.seconds,
              best_7zz.max_rss_kb);
  std::printf("ours            : %7.1f MB/s  (%.3f s, peak RSS %ld KB)\n", mb / best_ours.seconds, best_ours.seconds,
              best_ours.max_rss_kb);
  std::printf("speed ratio ours/7zz: %.3f (target >= 0.9)\n", best_7zz.seconds / best_ours.seconds);
  return 0;
}
