// Parsing of the 7z signature header and of the (unpacked) header records.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "archive/sevenzip/byte_reader.h"
#include "archive/sevenzip/database.h"

namespace qel::archive {

inline constexpr size_t kSignatureHeaderSize = 32;

struct SignatureHeader {
  uint8_t version_major = 0;
  uint8_t version_minor = 0;
  uint64_t next_header_offset = 0;  // relative to the end of the signature header
  uint64_t next_header_size = 0;
  uint32_t next_header_crc = 0;
};

namespace nid {
enum : uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kArchiveProperties = 0x02,
  kAdditionalStreamsInfo = 0x03,
  kMainStreamsInfo = 0x04,
  kFilesInfo = 0x05,
  kPackInfo = 0x06,
  kUnpackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kCodersUnpackSize = 0x0C,
  kNumUnpackStream = 0x0D,
  kEmptyStream = 0x0E,
  kEmptyFile = 0x0F,
  kAnti = 0x10,
  kName = 0x11,
  kCTime = 0x12,
  kATime = 0x13,
  kMTime = 0x14,
  kWinAttributes = 0x15,
  kComment = 0x16,
  kEncodedHeader = 0x17,
  kStartPos = 0x18,
  kDummy = 0x19,
};
}  // namespace nid

// Checks the magic and the start header CRC.
SignatureHeader parse_signature_header(std::span<const uint8_t, kSignatureHeaderSize> bytes);

// A streams-info record; the reader stands after its introducing id.
StreamsInfo parse_streams_info(ByteReader& in);

// A plain header; the reader stands after the kHeader id. Fills streams and entries.
void parse_header(ByteReader& in, Database& db);

// Absolute offsets of the pack streams, checked against the archive size.
std::vector<uint64_t> pack_stream_offsets(const StreamsInfo& streams, uint64_t archive_size);

}  // namespace qel::archive
