#include "archive/sevenzip/header_parser.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/sevenzip/crc32.h"
#include "archive/sevenzip/utf.h"
#include "archive/stream.h"

namespace qel::archive {
namespace {

[[noreturn]] void corrupt(const char* what) { throw ArchiveError(std::string("Corrupt archive header: ") + what); }

void expect(ByteReader& in, uint8_t id) {
  if (in.read_byte() != id) corrupt("unexpected record");
}

uint64_t checked_add(uint64_t a, uint64_t b) {
  if (a > std::numeric_limits<uint64_t>::max() - b) corrupt("size overflow");
  return a + b;
}

void parse_pack_info(ByteReader& in, StreamsInfo& s) {
  s.pack_pos = in.read_number();
  const size_t n = in.read_count(in.remaining());
  for (;;) {
    const uint8_t id = in.read_byte();
    if (id == nid::kEnd) break;
    if (id == nid::kSize) {
      s.pack_sizes.resize(n);
      for (auto& size : s.pack_sizes) size = in.read_number();
    } else if (id == nid::kCrc) {
      in.read_digests(n);  // pack stream CRCs: 7-Zip writes none; the data CRCs are checked instead
    } else {
      in.skip(in.read_number());
    }
  }
  if (s.pack_sizes.size() != n) corrupt("pack sizes missing");
}

Folder parse_folder(ByteReader& in) {
  Folder f;
  const size_t num_coders = in.read_count(std::min<size_t>(in.remaining(), 64));
  if (num_coders == 0) corrupt("folder without coders");
  uint64_t total_in = 0, total_out = 0;
  for (size_t i = 0; i < num_coders; ++i) {
    const uint8_t flags = in.read_byte();
    if (flags & 0x80) corrupt("alternative methods are not supported");
    Coder c;
    const auto id = in.read_bytes(flags & 0x0F);
    c.method_id.assign(id.begin(), id.end());
    if (flags & 0x10) {
      c.num_in_streams = static_cast<uint32_t>(in.read_count(64));
      c.num_out_streams = static_cast<uint32_t>(in.read_count(64));
    }
    if (flags & 0x20) {
      const auto props = in.read_bytes(in.read_number());
      c.props.assign(props.begin(), props.end());
    }
    total_in += c.num_in_streams;
    total_out += c.num_out_streams;
    f.coders.push_back(std::move(c));
  }
  if (total_out == 0 || total_in == 0) corrupt("coder without streams");
  const uint64_t num_bind_pairs = total_out - 1;
  if (num_bind_pairs > total_in) corrupt("bind pairs");
  for (uint64_t i = 0; i < num_bind_pairs; ++i) {
    BindPair bp;
    bp.in_index = static_cast<uint32_t>(in.read_count(total_in - 1));
    bp.out_index = static_cast<uint32_t>(in.read_count(total_out - 1));
    f.bind_pairs.push_back(bp);
  }
  const uint64_t num_packed = total_in - num_bind_pairs;
  if (num_packed == 1) {
    for (uint32_t i = 0; i < total_in; ++i) {
      const bool bound = std::any_of(f.bind_pairs.begin(), f.bind_pairs.end(),
                                     [i](const BindPair& bp) { return bp.in_index == i; });
      if (!bound) {
        f.packed_streams.push_back(i);
        break;
      }
    }
    if (f.packed_streams.empty()) corrupt("no packed stream");
  } else {
    for (uint64_t i = 0; i < num_packed; ++i)
      f.packed_streams.push_back(static_cast<uint32_t>(in.read_count(total_in - 1)));
  }
  return f;
}

void parse_unpack_info(ByteReader& in, StreamsInfo& s) {
  expect(in, nid::kFolder);
  const size_t num_folders = in.read_count(in.remaining());
  if (in.read_byte() != 0) throw ArchiveError("Unsupported archive: external folder records");
  s.folders.reserve(num_folders);
  for (size_t i = 0; i < num_folders; ++i) s.folders.push_back(parse_folder(in));
  expect(in, nid::kCodersUnpackSize);
  for (auto& f : s.folders) {
    f.unpack_sizes.resize(f.total_out_streams());
    for (auto& size : f.unpack_sizes) size = in.read_number();
  }
  for (;;) {
    const uint8_t id = in.read_byte();
    if (id == nid::kEnd) break;
    if (id == nid::kCrc) {
      const auto crcs = in.read_digests(num_folders);
      for (size_t i = 0; i < num_folders; ++i) s.folders[i].crc = crcs[i];
    } else {
      in.skip(in.read_number());
    }
  }
}

void parse_substreams_info(ByteReader& in, StreamsInfo& s) {
  uint8_t id = in.read_byte();
  if (id == nid::kNumUnpackStream) {
    uint64_t total = 0;
    for (auto& f : s.folders) {
      f.num_substreams = in.read_number();
      total = checked_add(total, f.num_substreams);
      // Every substream but a folder's last needs at least one size byte.
      if (total > s.folders.size() + in.remaining()) corrupt("substream count");
    }
    id = in.read_byte();
  }
  const bool have_sizes = id == nid::kSize;
  for (const auto& f : s.folders) {
    if (f.num_substreams == 0) continue;
    uint64_t sum = 0;
    for (uint64_t k = 1; k < f.num_substreams; ++k) {
      if (!have_sizes) corrupt("substream sizes missing");
      const uint64_t size = in.read_number();
      sum = checked_add(sum, size);
      s.substream_sizes.push_back(size);
    }
    if (sum > f.unpack_size()) corrupt("substream sizes exceed the folder");
    s.substream_sizes.push_back(f.unpack_size() - sum);
  }
  if (have_sizes) id = in.read_byte();

  // CRCs are listed for the substreams whose CRC is not already the folder's.
  size_t unknown = 0;
  for (const auto& f : s.folders)
    if (!(f.num_substreams == 1 && f.crc)) unknown += f.num_substreams;
  std::vector<std::optional<uint32_t>> listed;
  for (;;) {
    if (id == nid::kEnd) break;
    if (id == nid::kCrc) {
      listed = in.read_digests(unknown);
    } else {
      in.skip(in.read_number());
    }
    id = in.read_byte();
  }
  size_t next = 0;
  for (const auto& f : s.folders) {
    if (f.num_substreams == 1 && f.crc) {
      s.substream_crcs.push_back(f.crc);
      continue;
    }
    for (uint64_t k = 0; k < f.num_substreams; ++k, ++next)
      s.substream_crcs.push_back(listed.empty() ? std::nullopt : listed[next]);
  }
}

void default_substreams(StreamsInfo& s) {
  for (const auto& f : s.folders) {
    s.substream_sizes.push_back(f.unpack_size());
    s.substream_crcs.push_back(f.crc);
  }
}

FileTime read_le64(std::span<const uint8_t> b) {
  FileTime v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<FileTime>(b[i]) << (8 * i);
  return v;
}

void parse_files_info(ByteReader& in, Database& db) {
  const size_t substreams = db.streams.substream_sizes.size();
  const size_t num_files = in.read_count(substreams + in.remaining() * 8);
  auto& entries = db.entries;
  entries.resize(num_files);
  std::vector<bool> empty_stream(num_files, false);
  std::vector<bool> empty_file, anti;
  size_t num_empty = 0;
  for (;;) {
    const uint8_t type = in.read_byte();
    if (type == nid::kEnd) break;
    const uint64_t size = in.read_number();
    ByteReader prop(in.read_bytes(size));
    switch (type) {
      case nid::kEmptyStream:
        empty_stream = prop.read_bits(num_files);
        num_empty = static_cast<size_t>(std::count(empty_stream.begin(), empty_stream.end(), true));
        empty_file.assign(num_empty, false);
        anti.assign(num_empty, false);
        break;
      case nid::kEmptyFile:
        empty_file = prop.read_bits(num_empty);
        break;
      case nid::kAnti:
        anti = prop.read_bits(num_empty);
        break;
      case nid::kName: {
        if (prop.read_byte() != 0) throw ArchiveError("Unsupported archive: external name records");
        for (auto& e : entries) {
          std::u16string name;
          for (;;) {
            const auto unit = prop.read_bytes(2);
            const char16_t c = static_cast<char16_t>(unit[0] | (unit[1] << 8));
            if (c == 0) break;
            name += c;
          }
          e.name = utf8_from_utf16(name);
          std::replace(e.name.begin(), e.name.end(), '\\', '/');
        }
        break;
      }
      case nid::kMTime: {
        const auto defined = prop.read_defined_vector(num_files);
        if (prop.read_byte() != 0) throw ArchiveError("Unsupported archive: external time records");
        for (size_t i = 0; i < num_files; ++i)
          if (defined[i]) entries[i].mtime = read_le64(prop.read_bytes(8));
        break;
      }
      case nid::kWinAttributes: {
        const auto defined = prop.read_defined_vector(num_files);
        if (prop.read_byte() != 0) throw ArchiveError("Unsupported archive: external attribute records");
        for (size_t i = 0; i < num_files; ++i)
          if (defined[i]) entries[i].attributes = prop.read_u32();
        break;
      }
      default:  // times we do not keep, comments, start positions, padding, unknown ids
        break;
    }
  }

  size_t next_stream = 0, next_empty = 0;
  for (size_t i = 0; i < num_files; ++i) {
    auto& e = entries[i];
    if (!empty_stream[i]) {
      if (next_stream >= substreams) corrupt("more files than streams");
      e.has_stream = true;
      e.size = db.streams.substream_sizes[next_stream];
      e.crc = db.streams.substream_crcs[next_stream];
      ++next_stream;
    } else {
      e.is_dir = !empty_file[next_empty];
      e.is_anti = anti[next_empty];
      ++next_empty;
    }
    if (e.attributes && (*e.attributes & 0x10) && !e.has_stream) e.is_dir = true;
  }
  if (next_stream != substreams) corrupt("fewer files than streams");

  // Map streamed entries onto folders and their position inside the folder.
  size_t folder = 0;
  uint64_t in_folder = 0;
  for (auto& e : entries) {
    if (!e.has_stream) continue;
    while (folder < db.streams.folders.size() && in_folder >= db.streams.folders[folder].num_substreams) {
      ++folder;
      in_folder = 0;
    }
    if (folder >= db.streams.folders.size()) corrupt("stream outside folders");
    e.folder = folder;
    e.index_in_folder = static_cast<size_t>(in_folder);
    if (in_folder == 0) {
      const auto& f = db.streams.folders[folder];
      uint64_t packed = 0;
      for (size_t k = 0; k < f.packed_streams.size(); ++k) packed += db.streams.pack_sizes[f.first_pack_stream + k];
      e.packed_size = packed;
    }
    ++in_folder;
  }
}

void assign_pack_streams(StreamsInfo& s) {
  size_t next = 0;
  for (auto& f : s.folders) {
    f.first_pack_stream = next;
    next += f.packed_streams.size();
    if (next > s.pack_sizes.size()) corrupt("folders need more pack streams than given");
  }
}

}  // namespace

SignatureHeader parse_signature_header(std::span<const uint8_t, kSignatureHeaderSize> bytes) {
  static constexpr uint8_t kMagic[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) throw ArchiveError("Not a 7z archive");
  ByteReader in(bytes);
  in.skip(6);
  SignatureHeader h;
  h.version_major = in.read_byte();
  h.version_minor = in.read_byte();
  const uint32_t start_crc = in.read_u32();
  if (crc32(bytes.data() + 12, 20) != start_crc) throw ArchiveError("Corrupt archive: start header CRC mismatch");
  if (h.version_major != 0) throw ArchiveError("Unsupported 7z archive version");
  h.next_header_offset = in.read_u64();
  h.next_header_size = in.read_u64();
  h.next_header_crc = in.read_u32();
  return h;
}

StreamsInfo parse_streams_info(ByteReader& in) {
  StreamsInfo s;
  bool have_unpack = false, have_substreams = false;
  for (;;) {
    const uint8_t id = in.read_byte();
    if (id == nid::kEnd) break;
    if (id == nid::kPackInfo) {
      parse_pack_info(in, s);
    } else if (id == nid::kUnpackInfo) {
      parse_unpack_info(in, s);
      have_unpack = true;
    } else if (id == nid::kSubStreamsInfo) {
      if (!have_unpack) corrupt("substreams before folders");
      parse_substreams_info(in, s);
      have_substreams = true;
    } else {
      corrupt("unknown streams record");
    }
  }
  if (!have_substreams) default_substreams(s);
  assign_pack_streams(s);
  return s;
}

void parse_header(ByteReader& in, Database& db) {
  uint8_t id = in.read_byte();
  if (id == nid::kArchiveProperties) {
    for (;;) {
      if (in.read_byte() == 0) break;
      in.skip(in.read_number());
    }
    id = in.read_byte();
  }
  if (id == nid::kAdditionalStreamsInfo) {
    parse_streams_info(in);  // not referenced by anything this reader supports
    id = in.read_byte();
  }
  if (id == nid::kMainStreamsInfo) {
    db.streams = parse_streams_info(in);
    id = in.read_byte();
  }
  if (id == nid::kFilesInfo) {
    parse_files_info(in, db);
    id = in.read_byte();
  }
  if (id != nid::kEnd) corrupt("unexpected record at the end of the header");
}

std::vector<uint64_t> pack_stream_offsets(const StreamsInfo& s, uint64_t archive_size) {
  std::vector<uint64_t> offsets;
  uint64_t pos = checked_add(kSignatureHeaderSize, s.pack_pos);
  for (const uint64_t size : s.pack_sizes) {
    offsets.push_back(pos);
    pos = checked_add(pos, size);
    if (pos > archive_size) throw ArchiveError("Corrupt archive: packed data beyond the end of the file (truncated?)");
  }
  return offsets;
}

}  // namespace qel::archive
