// The parsed header of a 7z archive: pack streams, folders (coder graphs) and entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel::archive {

struct Coder {
  std::vector<uint8_t> method_id;
  uint32_t num_in_streams = 1;   // packed side
  uint32_t num_out_streams = 1;  // unpacked side
  std::vector<uint8_t> props;
};

// Coder in-stream `in_index` is fed by coder out-stream `out_index` (folder-wide indices).
struct BindPair {
  uint32_t in_index = 0;
  uint32_t out_index = 0;
};

struct Folder {
  std::vector<Coder> coders;
  std::vector<BindPair> bind_pairs;
  std::vector<uint32_t> packed_streams;  // folder in-stream index fed by pack stream k
  std::vector<uint64_t> unpack_sizes;    // one per coder out-stream
  std::optional<uint32_t> crc;           // of the folder's final output
  size_t first_pack_stream = 0;          // index into StreamsInfo::pack_sizes
  uint64_t num_substreams = 1;

  uint32_t total_in_streams() const;
  uint32_t total_out_streams() const;
  // The out-stream that no bind pair consumes: the folder's result.
  uint32_t main_out_stream() const;
  uint64_t unpack_size() const { return unpack_sizes.at(main_out_stream()); }
};

struct StreamsInfo {
  uint64_t pack_pos = 0;  // relative to the end of the 32-byte signature header
  std::vector<uint64_t> pack_sizes;
  std::vector<Folder> folders;
  // Per unpacked substream (file data), in folder order.
  std::vector<uint64_t> substream_sizes;
  std::vector<std::optional<uint32_t>> substream_crcs;
};

// FILETIME ticks: 100 ns units since 1601-01-01 UTC.
using FileTime = uint64_t;

struct Entry {
  std::string name;  // UTF-8, '/' between folders
  bool is_dir = false;
  bool has_stream = false;  // false for folders and empty files
  bool is_anti = false;
  uint64_t size = 0;
  uint64_t packed_size = 0;  // the folder's packed size on the folder's first entry, else 0
  std::optional<uint32_t> crc;
  std::optional<uint32_t> attributes;  // as stored (may carry 0x8000 | unix mode << 16)
  std::optional<FileTime> mtime;
  static constexpr size_t kNoFolder = static_cast<size_t>(-1);
  size_t folder = kNoFolder;
  size_t index_in_folder = 0;
};

struct Database {
  StreamsInfo streams;
  std::vector<Entry> entries;
  std::vector<uint64_t> pack_offsets;  // absolute file offset of each pack stream
};

// Windows attribute bits of a stored value: drops the unix mode that Linux-made
// archives keep in the high 16 bits together with 0x8000.
uint32_t windows_attributes(uint32_t stored);

}  // namespace qel::archive
