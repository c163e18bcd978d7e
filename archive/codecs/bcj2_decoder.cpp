// Method 0303011B (BCJ2, x86 branch converter with four streams). The main
// stream holds the code with the 4-byte operands of converted E8 (call), E9
// (jmp) and 0F 8x (jcc) instructions taken out; a range-coded bit after each
// such opcode says whether its absolute target follows, big-endian, in the call
// stream (E8) or the jump stream (the others). The bit's probability is chosen
// by the byte before an E8, or is one of two shared ones for E9 and jcc.
#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/codecs/range_decoder.h"
#include "archive/stream.h"

namespace qel::archive {

namespace {

constexpr size_t kBuffer = size_t(1) << 16;

class ByteSource {
 public:
  ByteSource(InStream& in, const char* truncated_message)
      : in_(in), message_(truncated_message), buf_(kBuffer) {}

  // Makes at least one byte available; false at the end of the stream.
  bool available() {
    if (pos_ < end_) return true;
    pos_ = 0;
    end_ = in_.read(buf_.data(), buf_.size());
    return end_ != 0;
  }
  uint8_t byte() {
    if (!available()) throw ArchiveError(message_);
    return buf_[pos_++];
  }
  uint32_t be32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return v;
  }
  const uint8_t* cur() const { return buf_.data() + pos_; }
  const uint8_t* end() const { return buf_.data() + end_; }
  void advance_to(const uint8_t* p) { pos_ = size_t(p - buf_.data()); }

 private:
  InStream& in_;
  const char* message_;
  std::vector<uint8_t> buf_;
  size_t pos_ = 0;
  size_t end_ = 0;
};

inline bool is_jump(unsigned prev, unsigned b) { return (b & 0xFE) == 0xE8 || (prev == 0x0F && (b & 0xF0) == 0x80); }

class Bcj2Decoder final : public InStream {
 public:
  Bcj2Decoder(InStream& main, InStream& call, InStream& jump, InStream& rc, uint64_t unpack_size)
      : main_(main, "BCJ2 main stream is truncated"),
        call_(call, "BCJ2 call stream is truncated"),
        jump_(jump, "BCJ2 jump stream is truncated"),
        rc_(rc, "BCJ2 range coder stream is truncated"),
        size_(unpack_size) {
    std::fill(std::begin(probs_), std::end(probs_), rc::Prob(rc::kProbInit));
  }

  size_t read(uint8_t* out, size_t n) override {
    size_t done = 0;
    while (done < n && written_ < size_) {
      if (pending_ != 0) {
        out[done++] = uint8_t(target_);
        target_ >>= 8;
        --pending_;
        ++written_;
        continue;
      }
      if (!main_.available()) throw ArchiveError("BCJ2 main stream is truncated");

      const uint8_t* p = main_.cur();
      size_t room = std::min<uint64_t>(n - done, size_ - written_);
      room = std::min(room, size_t(main_.end() - p));
      const uint8_t* const stop = p + room;
      unsigned prev = prev_;
      bool found = false;
      unsigned opcode_prev = 0;
      while (p < stop) {
        const unsigned b = *p++;
        out[done++] = uint8_t(b);
        if (is_jump(prev, b)) {
          opcode_prev = prev;
          prev = b;
          found = true;
          break;
        }
        prev = b;
      }
      written_ += uint64_t(p - main_.cur());
      main_.advance_to(p);
      prev_ = prev;
      if (!found || written_ == size_) continue;

      const unsigned b = prev;
      rc::Prob& prob = probs_[b == 0xE8 ? opcode_prev : (b == 0xE9 ? 256 : 257)];
      if (decode_bit(prob) == 0) continue;
      const uint32_t absolute = (b == 0xE8 ? call_ : jump_).be32();
      target_ = absolute - uint32_t(written_ + 4);
      pending_ = 4;
      prev_ = uint8_t(target_ >> 24);
    }
    return done;
  }

 private:
  void start_coder() {
    if (rc_.byte() != 0) throw ArchiveError("BCJ2 range coder stream is corrupt");
    code_ = rc_.be32();
    range_ = 0xFFFFFFFFu;
    if (code_ == range_) throw ArchiveError("BCJ2 range coder stream is corrupt");
    started_ = true;
  }

  unsigned decode_bit(rc::Prob& p) {
    if (!started_) start_coder();
    const uint32_t bound = (range_ >> rc::kProbBits) * p;
    unsigned bit;
    if (code_ < bound) {
      range_ = bound;
      p = rc::Prob(p + (((1u << rc::kProbBits) - p) >> rc::kMoveBits));
      bit = 0;
    } else {
      range_ -= bound;
      code_ -= bound;
      p = rc::Prob(p - (p >> rc::kMoveBits));
      bit = 1;
    }
    if (range_ < rc::kTop) {
      range_ <<= 8;
      code_ = (code_ << 8) | rc_.byte();
    }
    return bit;
  }

  ByteSource main_, call_, jump_, rc_;
  uint64_t size_;
  uint64_t written_ = 0;
  rc::Prob probs_[258];
  uint32_t range_ = 0;
  uint32_t code_ = 0;
  bool started_ = false;
  unsigned prev_ = 0;
  uint32_t target_ = 0;  // converted operand still to hand out, low byte first
  unsigned pending_ = 0;
};

}  // namespace

std::unique_ptr<InStream> make_bcj2_decoder(InStream& main, InStream& call, InStream& jump, InStream& rc,
                                            uint64_t unpack_size) {
  return std::make_unique<Bcj2Decoder>(main, call, jump, rc, unpack_size);
}

}  // namespace qel::archive
