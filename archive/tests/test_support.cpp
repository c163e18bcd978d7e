#include "archive/tests/test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "archive/sevenzip/crc32.h"
#include "archive/sevenzip/utf.h"

namespace qel::archive::test {

TempDir::TempDir() {
  static std::mt19937_64 rng(std::random_device{}());
  for (;;) {
    path_ = fs::temp_directory_path() / ("qel-archive-test-" + std::to_string(rng()));
    if (fs::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(path_, ec); it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

bool have_7zz() { return std::system("command -v 7zz >/dev/null 2>&1") == 0; }

int run(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

void write_file(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<uint8_t> read_bytes(const fs::path& path) {
  const std::string s = read_file(path);
  return {s.begin(), s.end()};
}

void make_sample_tree(const fs::path& root) {
  std::mt19937 rng(42);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of some setup text\n";
  std::string random(300000, '\0');
  for (char& c : random) c = static_cast<char>(rng());
  write_file(root / "readme.txt", text);
  write_file(root / "data" / "random.bin", random);
  write_file(root / "data" / "small.txt", "small");
  write_file(root / "data" / "empty.txt", "");
  write_file(root / "deep" / "a" / "b" / "c" / "leaf.txt", text.substr(0, 1000));
  write_file(root / path_from_utf8("unicode/\xC3\xA4rger \xE6\x97\xA5\xE6\x9C\xAC.txt"), "umlaut and kanji");
  write_file(root / path_from_utf8("unicode/\xF0\x9F\x98\x80.dat"), "outside the BMP");
  fs::create_directories(root / "empty folder");
  fs::create_directories(root / "bin");
  fs::copy_file("/usr/bin/ls", root / "bin" / "tool", fs::copy_options::overwrite_existing);
  // An old modification time on one file.
  fs::last_write_time(root / "data" / "small.txt", fs::file_time_type::clock::now() - std::chrono::hours(24 * 3000));
}

std::vector<std::string> compare_trees(const fs::path& expected, const fs::path& actual) {
  std::vector<std::string> diffs;
  auto listing = [](const fs::path& root) {
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) out.push_back(fs::relative(e.path(), root));
    std::sort(out.begin(), out.end());
    return out;
  };
  const auto a = listing(expected), b = listing(actual);
  if (a != b) {
    diffs.push_back("different entries: expected " + std::to_string(a.size()) + ", got " + std::to_string(b.size()));
    for (const auto& p : a)
      if (std::find(b.begin(), b.end(), p) == b.end()) diffs.push_back("missing " + p.string());
    for (const auto& p : b)
      if (std::find(a.begin(), a.end(), p) == a.end()) diffs.push_back("extra " + p.string());
    return diffs;
  }
  for (const auto& rel : a) {
    const fs::path pa = expected / rel, pb = actual / rel;
    if (fs::is_directory(pa) != fs::is_directory(pb)) {
      diffs.push_back("kind differs: " + rel.string());
      continue;
    }
    if (!fs::is_directory(pa) && read_file(pa) != read_file(pb)) diffs.push_back("content differs: " + rel.string());
    const auto ta = std::chrono::duration_cast<std::chrono::seconds>(fs::last_write_time(pa).time_since_epoch());
    const auto tb = std::chrono::duration_cast<std::chrono::seconds>(fs::last_write_time(pb).time_since_epoch());
    if (ta != tb) diffs.push_back("mtime differs: " + rel.string());
  }
  return diffs;
}

namespace {

void put_number(std::vector<uint8_t>& out, uint64_t v) {
  if (v < 0x80) {
    out.push_back(static_cast<uint8_t>(v));
    return;
  }
  for (int n = 1; n <= 7; ++n) {
    if (v < (uint64_t{1} << (8 * n + (7 - n)))) {
      out.push_back(static_cast<uint8_t>(((0xFF << (8 - n)) & 0xFF) | (v >> (8 * n))));
      for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
      return;
    }
  }
  out.push_back(0xFF);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put_u64(std::vector<uint8_t>& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> bits(const std::vector<bool>& v) {
  std::vector<uint8_t> out((v.size() + 7) / 8, 0);
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i]) out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
  return out;
}

void put_property(std::vector<uint8_t>& out, uint8_t id, const std::vector<uint8_t>& data) {
  out.push_back(id);
  put_number(out, data.size());
  out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

std::vector<uint8_t> craft_archive(const std::vector<CraftedEntry>& entries, const CraftOptions& options) {
  std::vector<uint8_t> packed;
  std::vector<const CraftedEntry*> streamed;
  std::vector<bool> empty_stream, empty_file;
  for (const auto& e : entries) {
    const bool has_stream = !e.is_dir && (!e.data.empty() || options.empty_files_as_streams);
    empty_stream.push_back(!has_stream);
    if (has_stream) {
      streamed.push_back(&e);
      packed.insert(packed.end(), e.data.begin(), e.data.end());
    } else {
      empty_file.push_back(!e.is_dir);
    }
  }

  std::vector<uint8_t> h{0x01};
  if (!streamed.empty()) {
    h.push_back(0x04);
    h.push_back(0x06);
    put_number(h, 0);
    put_number(h, streamed.size());
    h.push_back(0x09);
    for (const auto* e : streamed) put_number(h, e->data.size());
    h.push_back(0x00);
    h.push_back(0x07);
    h.push_back(0x0B);
    put_number(h, streamed.size());
    h.push_back(0x00);
    for (size_t i = 0; i < streamed.size(); ++i) {
      put_number(h, 1);  // one coder
      h.push_back(0x01);  // id size 1, simple, no properties
      h.push_back(0x00);  // Copy
    }
    h.push_back(0x0C);
    for (const auto* e : streamed) put_number(h, e->data.size());
    h.push_back(0x0A);
    h.push_back(0x01);
    for (const auto* e : streamed)
      put_u32(h, crc32(reinterpret_cast<const uint8_t*>(e->data.data()), e->data.size()));
    h.push_back(0x00);
    h.push_back(0x00);
  }
  h.push_back(0x05);
  put_number(h, entries.size());
  if (std::find(empty_stream.begin(), empty_stream.end(), true) != empty_stream.end()) {
    put_property(h, 0x0E, bits(empty_stream));
    put_property(h, 0x0F, bits(empty_file));
  }
  if (options.padding_twice) {
    put_property(h, 0x19, std::vector<uint8_t>(3, 0));
    put_property(h, 0x19, std::vector<uint8_t>(5, 0));
  }
  if (options.unknown_property) put_property(h, 0x7E, {1, 2, 3, 4});
  std::vector<uint8_t> names{0};
  for (const auto& e : entries) {
    for (const char16_t c : utf16_from_utf8(e.name)) {
      names.push_back(static_cast<uint8_t>(c & 0xFF));
      names.push_back(static_cast<uint8_t>(c >> 8));
    }
    names.push_back(0);
    names.push_back(0);
  }
  put_property(h, 0x11, names);
  std::vector<uint8_t> attrs{0x01, 0x00};
  for (const auto& e : entries) put_u32(attrs, e.attributes.value_or(e.is_dir ? 0x10 : 0x20));
  put_property(h, 0x15, attrs);
  h.push_back(0x00);
  h.push_back(0x00);

  std::vector<uint8_t> start;
  put_u64(start, packed.size());
  put_u64(start, h.size());
  put_u32(start, crc32(h.data(), h.size()));
  std::vector<uint8_t> out{'7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4};
  put_u32(out, crc32(start.data(), start.size()));
  out.insert(out.end(), start.begin(), start.end());
  out.insert(out.end(), packed.begin(), packed.end());
  out.insert(out.end(), h.begin(), h.end());
  return out;
}

}  // namespace qel::archive::test
