// Decoding side of the x86 branch converter (method 03030103, "BCJ"): the
// 32-bit operands of E8 (call) and E9 (jmp) were made absolute by the encoder
// when their top byte was 00 or FF; this turns them back into relative ones.
// Positions count over the whole stream from 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel::archive {

class X86BranchDecoder {
 public:
  // Converts in place the opcodes in data[0, size) whose four operand bytes
  // all lie inside the buffer. data[0] is at stream position next_position().
  // Returns how many leading bytes are final; the caller presents the others
  // (at most 4) again at the start of the next buffer, followed by new data.
  size_t convert(uint8_t* data, size_t size);

  uint64_t next_position() const { return pos_; }

 private:
  uint64_t pos_ = 0;
  // Stream position of the last opcode looked at, and which of it and the two
  // bytes before it were opcodes left unconverted (bit 0 = that opcode).
  uint64_t last_opcode_ = ~uint64_t(0);
  unsigned skipped_ = 0;
};

}  // namespace qel::archive
