#include "archive/codecs/x86_branch_filter.h"

namespace qel::archive {

namespace {

inline bool is_sign_byte(uint8_t b) { return b == 0x00 || b == 0xFF; }

// For a history of skipped opcodes in the three bytes before the current one
// (bit 0 = the byte just before), whether a conversion is still possible, and
// which operand byte (counted from the top, 1..3) the history affects.
constexpr bool kAllowed[8] = {true, true, true, false, true, false, false, false};
constexpr unsigned kHighestBit[8] = {0, 1, 2, 2, 3, 3, 3, 3};

}  // namespace

size_t X86BranchDecoder::convert(uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const size_t end = size - 4;
  size_t i = 0;
  while (i < end) {
    if ((data[i] & 0xFE) != 0xE8) {
      ++i;
      continue;
    }
    const uint64_t at = pos_ + i;
    const uint64_t gap = at - last_opcode_;
    const unsigned history = gap > 3 ? 0 : (skipped_ << (gap - 1)) & 7;
    last_opcode_ = at;

    const unsigned top = kHighestBit[history];
    const bool blocked = history != 0 && (!kAllowed[history] || is_sign_byte(data[i + 4 - top]));
    if (blocked || !is_sign_byte(data[i + 4])) {
      skipped_ = ((history << 1) & 7) | 1;
      ++i;
      continue;
    }

    const uint32_t operand = uint32_t(data[i + 1]) | (uint32_t(data[i + 2]) << 8) | (uint32_t(data[i + 3]) << 16) |
                             (uint32_t(data[i + 4]) << 24);
    const uint32_t next_ip = uint32_t(at + 5);
    uint32_t dest = operand - next_ip;
    if (history != 0) {
      // The encoder flipped the bits below a byte that a nearby skipped
      // opcode made ambiguous; undo that once. A second flip cannot be
      // needed: it would bring back the operand byte checked above.
      const unsigned shift = 24 - 8 * top;
      if (is_sign_byte(uint8_t(dest >> shift))) dest = (dest ^ ((1u << (shift + 8)) - 1)) - next_ip;
    }
    const uint32_t sign = (dest >> 24) & 1 ? 0xFFu : 0x00u;
    data[i + 1] = uint8_t(dest);
    data[i + 2] = uint8_t(dest >> 8);
    data[i + 3] = uint8_t(dest >> 16);
    data[i + 4] = uint8_t(sign);
    skipped_ = history;
    i += 5;
  }
  pos_ += i;
  return i;
}

}  // namespace qel::archive
