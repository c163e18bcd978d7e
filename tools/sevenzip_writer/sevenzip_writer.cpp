#include "tools/sevenzip_writer/sevenzip_writer.h"

#include <lzma.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "tools/sevenzip_writer/lzma_raw_encoder.h"
#include "tools/sevenzip_writer/number_writer.h"

namespace qel::sevenzip {
namespace {

// Property and section ids of the 7z header.
enum : uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kMainStreamsInfo = 0x04,
  kFilesInfo = 0x05,
  kPackInfo = 0x06,
  kUnPackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCRC = 0x0A,
  kFolder = 0x0B,
  kCodersUnPackSize = 0x0C,
  kNumUnPackStream = 0x0D,
  kEmptyStream = 0x0E,
  kEmptyFile = 0x0F,
  kName = 0x11,
  kMTime = 0x14,
  kWinAttributes = 0x15,
};

constexpr uint8_t kLzma2Id = 0x21;
constexpr uint8_t kBcjX86Id[] = {0x03, 0x03, 0x01, 0x03};

uint32_t crc32(std::string_view data) {
  return lzma_crc32(reinterpret_cast<const uint8_t*>(data.data()), data.size(), 0);
}

std::string stored_name(std::string_view name) {
  std::string out(name);
  std::replace(out.begin(), out.end(), '\\', '/');
  while (!out.empty() && out.back() == '/') out.pop_back();
  while (!out.empty() && out.front() == '/') out.erase(out.begin());
  return out;
}

// UTF-8 to UTF-16LE with a terminating zero; a byte that does not start a valid
// sequence is taken as a Latin-1 character.
void put_utf16_name(std::string& out, std::string_view name) {
  auto unit = [&out](uint32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  size_t i = 0;
  while (i < name.size()) {
    const auto b = static_cast<unsigned char>(name[i]);
    uint32_t cp = b;
    size_t len = 1;
    if (b >= 0xC2 && b <= 0xF4) {
      const size_t need = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      bool ok = i + need <= name.size();
      uint32_t v = b & (0xFF >> (need + 1));
      for (size_t k = 1; ok && k < need; ++k) {
        const auto c = static_cast<unsigned char>(name[i + k]);
        ok = (c & 0xC0) == 0x80;
        v = (v << 6) | (c & 0x3F);
      }
      const uint32_t min = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
      if (ok && v >= min && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
        cp = v;
        len = need;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
    i += len;
  }
  unit(0);
}

void put_bits(std::string& out, const std::vector<bool>& bits) {
  uint8_t byte = 0;
  int used = 0;
  for (bool bit : bits) {
    byte = static_cast<uint8_t>(byte | (bit ? 0x80 >> used : 0));
    if (++used == 8) {
      out.push_back(static_cast<char>(byte));
      byte = 0;
      used = 0;
    }
  }
  if (used) out.push_back(static_cast<char>(byte));
}

void put_property(std::string& out, uint8_t id, const std::string& body) {
  out.push_back(static_cast<char>(id));
  put_number(out, body.size());
  out += body;
}

struct PackedFolder {
  bool x86 = false;
  EncodedStream stream;
  uint64_t unpack_size = 0;
  std::vector<const ArchiveItem*> files;
};

void put_folder(std::string& out, const PackedFolder& f) {
  // Coders in decoding order of their outputs: LZMA2 (out 0) feeds BCJ (in 1);
  // the packed stream enters LZMA2's in 0.
  auto put_lzma2 = [&] {
    out.push_back(static_cast<char>(0x20 | 1));  // has properties, 1-byte id
    out.push_back(static_cast<char>(kLzma2Id));
    put_number(out, 1);
    out.push_back(static_cast<char>(f.stream.lzma2_property));
  };
  if (!f.x86) {
    put_number(out, 1);
    put_lzma2();
    return;
  }
  put_number(out, 2);
  put_lzma2();
  out.push_back(static_cast<char>(sizeof kBcjX86Id));
  out.append(reinterpret_cast<const char*>(kBcjX86Id), sizeof kBcjX86Id);
  put_number(out, 1);  // bind pair: in-stream 1 (BCJ) <- out-stream 0 (LZMA2)
  put_number(out, 0);
}

std::string header_bytes(const std::vector<const ArchiveItem*>& order, const std::vector<PackedFolder>& folders) {
  std::string h;
  h.push_back(static_cast<char>(kHeader));
  if (!folders.empty()) {
    h.push_back(static_cast<char>(kMainStreamsInfo));
    h.push_back(static_cast<char>(kPackInfo));
    put_number(h, 0);
    put_number(h, folders.size());
    h.push_back(static_cast<char>(kSize));
    for (const auto& f : folders) put_number(h, f.stream.packed.size());
    h.push_back(static_cast<char>(kEnd));

    h.push_back(static_cast<char>(kUnPackInfo));
    h.push_back(static_cast<char>(kFolder));
    put_number(h, folders.size());
    h.push_back(0);  // not external
    for (const auto& f : folders) put_folder(h, f);
    h.push_back(static_cast<char>(kCodersUnPackSize));
    for (const auto& f : folders) {
      put_number(h, f.unpack_size);
      if (f.x86) put_number(h, f.unpack_size);  // the filter keeps the size
    }
    h.push_back(static_cast<char>(kEnd));

    h.push_back(static_cast<char>(kSubStreamsInfo));
    h.push_back(static_cast<char>(kNumUnPackStream));
    for (const auto& f : folders) put_number(h, f.files.size());
    h.push_back(static_cast<char>(kSize));
    for (const auto& f : folders)
      for (size_t i = 0; i + 1 < f.files.size(); ++i) put_number(h, f.files[i]->data.size());
    h.push_back(static_cast<char>(kCRC));
    h.push_back(1);  // all defined
    for (const auto& f : folders)
      for (const ArchiveItem* file : f.files) put_u32(h, crc32(file->data));
    h.push_back(static_cast<char>(kEnd));
    h.push_back(static_cast<char>(kEnd));
  }

  h.push_back(static_cast<char>(kFilesInfo));
  put_number(h, order.size());
  std::vector<bool> empty_stream, empty_file;
  for (const ArchiveItem* item : order) {
    const bool empty = item->is_dir || item->data.empty();
    empty_stream.push_back(empty);
    if (empty) empty_file.push_back(!item->is_dir);
  }
  if (std::find(empty_stream.begin(), empty_stream.end(), true) != empty_stream.end()) {
    std::string bits;
    put_bits(bits, empty_stream);
    put_property(h, kEmptyStream, bits);
    if (std::find(empty_file.begin(), empty_file.end(), true) != empty_file.end()) {
      std::string file_bits;
      put_bits(file_bits, empty_file);
      put_property(h, kEmptyFile, file_bits);
    }
  }
  std::string names(1, '\0');  // not external
  for (const ArchiveItem* item : order) put_utf16_name(names, item->name);
  put_property(h, kName, names);
  std::string times("\x01\x00", 2);  // all defined, not external
  for (const ArchiveItem* item : order) put_u64(times, item->mtime);
  put_property(h, kMTime, times);
  std::string attributes("\x01\x00", 2);
  for (const ArchiveItem* item : order) put_u32(attributes, item->attributes);
  put_property(h, kWinAttributes, attributes);
  h.push_back(static_cast<char>(kEnd));
  h.push_back(static_cast<char>(kEnd));
  return h;
}

}  // namespace

bool is_executable_name(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ext(name.substr(name.size() - 4));
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == ".exe" || ext == ".dll";
}

FileTime filetime_from_unix(int64_t seconds) {
  constexpr int64_t kEpochDifference = 11644473600;  // 1601-01-01 to 1970-01-01
  const int64_t t = std::max<int64_t>(seconds + kEpochDifference, 0);
  return static_cast<FileTime>(t) * 10000000ULL;
}

std::string write_archive(std::vector<ArchiveItem> items, const WriterOptions& options) {
  std::set<std::string> seen;
  for (ArchiveItem& item : items) {
    item.name = stored_name(item.name);
    if (item.name.empty()) throw std::invalid_argument("archive entry without a name");
    std::string folded = item.name;
    for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (!seen.insert(folded).second) throw std::invalid_argument("duplicate archive entry: " + item.name);
    if (item.attributes == 0) item.attributes = item.is_dir ? kAttributeDirectory : kAttributeArchive;
    if (item.is_dir) item.data.clear();
  }
  auto group = [](const ArchiveItem& item) {
    if (item.is_dir) return 0;
    return is_executable_name(item.name) ? 1 : 2;
  };
  std::sort(items.begin(), items.end(), [&](const ArchiveItem& a, const ArchiveItem& b) {
    return std::pair(group(a), a.name) < std::pair(group(b), b.name);
  });

  std::vector<const ArchiveItem*> order;
  std::vector<PackedFolder> folders;
  for (int g : {1, 2}) {
    PackedFolder folder;
    folder.x86 = g == 1;
    std::string joined;
    for (const ArchiveItem& item : items) {
      if (group(item) != g || item.data.empty()) continue;
      folder.files.push_back(&item);
      joined += item.data;
    }
    if (folder.files.empty()) continue;
    folder.unpack_size = joined.size();
    folder.stream = encode_lzma2(joined, folder.x86, options.preset);
    folders.push_back(std::move(folder));
  }
  for (const ArchiveItem& item : items) order.push_back(&item);

  std::string packed;
  for (const auto& f : folders) packed += f.stream.packed;
  const std::string header = order.empty() ? std::string() : header_bytes(order, folders);

  std::string out("7z\xBC\xAF\x27\x1C", 6);
  out.push_back(0);
  out.push_back(4);
  std::string start;
  put_u64(start, header.empty() ? 0 : packed.size());
  put_u64(start, header.size());
  put_u32(start, header.empty() ? 0 : crc32(header));
  put_u32(out, crc32(start));
  out += start;
  out += packed;
  out += header;
  return out;
}

}  // namespace qel::sevenzip
