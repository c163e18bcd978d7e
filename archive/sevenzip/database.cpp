#include "archive/sevenzip/database.h"

#include "archive/stream.h"

namespace qel::archive {

uint32_t Folder::total_in_streams() const {
  uint32_t n = 0;
  for (const auto& c : coders) n += c.num_in_streams;
  return n;
}

uint32_t Folder::total_out_streams() const {
  uint32_t n = 0;
  for (const auto& c : coders) n += c.num_out_streams;
  return n;
}

uint32_t Folder::main_out_stream() const {
  const uint32_t outs = total_out_streams();
  for (uint32_t out = 0; out < outs; ++out) {
    bool bound = false;
    for (const auto& bp : bind_pairs) bound = bound || bp.out_index == out;
    if (!bound) return out;
  }
  throw ArchiveError("Corrupt archive header: folder without an unbound output");
}

uint32_t windows_attributes(uint32_t stored) {
  // 0x8000 marks the unix extension: the high 16 bits are the unix mode.
  if (stored & 0x8000u) return stored & 0x7FFFu;
  return stored;
}

}  // namespace qel::archive
