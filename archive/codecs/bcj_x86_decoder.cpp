// Method 03030103 (BCJ, x86 branch converter) as a stream over its input.
#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/codecs/x86_branch_filter.h"
#include "archive/stream.h"

namespace qel::archive {

namespace {

constexpr size_t kBuffer = size_t(1) << 16;

class BcjX86Decoder final : public InStream {
 public:
  BcjX86Decoder(InStream& in, uint64_t unpack_size) : in_(in), unfed_(unpack_size), buf_(kBuffer) {}

  size_t read(uint8_t* out, size_t n) override {
    size_t done = 0;
    while (done < n) {
      if (start_ < ready_) {
        const size_t k = std::min(ready_ - start_, n - done);
        std::memcpy(out + done, buf_.data() + start_, k);
        start_ += k;
        done += k;
        continue;
      }
      if (ready_ == end_ && unfed_ == 0) break;
      // The unconverted tail moves to the front and is presented again.
      std::memmove(buf_.data(), buf_.data() + ready_, end_ - ready_);
      end_ -= ready_;
      start_ = ready_ = 0;
      const size_t want = size_t(std::min<uint64_t>(kBuffer - end_, unfed_));
      const size_t got = in_.read(buf_.data() + end_, want);
      if (got == 0) throw ArchiveError("BCJ input is truncated");
      end_ += got;
      unfed_ -= got;
      ready_ = filter_.convert(buf_.data(), end_);
      // The last bytes of the stream are never an operand.
      if (unfed_ == 0) ready_ = end_;
    }
    return done;
  }

 private:
  InStream& in_;
  uint64_t unfed_;
  std::vector<uint8_t> buf_;
  size_t start_ = 0;  // next byte to hand out
  size_t ready_ = 0;  // end of the converted bytes
  size_t end_ = 0;    // end of the buffered bytes
  X86BranchDecoder filter_;
};

}  // namespace

std::unique_ptr<InStream> make_bcj_x86_decoder(InStream& in, uint64_t unpack_size) {
  return std::make_unique<BcjX86Decoder>(in, unpack_size);
}

}  // namespace qel::archive
