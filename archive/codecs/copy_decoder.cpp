// Method 00 (Copy): the packed bytes are the data.
#include "archive/codecs/stream_util.h"
#include "archive/stream.h"

namespace qel::archive {

namespace {

class CopyDecoder final : public InStream {
 public:
  CopyDecoder(InStream& in, uint64_t unpack_size) : in_(in), left_(unpack_size) {}

  size_t read(uint8_t* buf, size_t n) override {
    if (n > left_) n = size_t(left_);
    if (n == 0) return 0;
    const size_t got = in_.read(buf, n);
    if (got == 0) throw ArchiveError("stored data is truncated");
    left_ -= got;
    return got;
  }

 private:
  InStream& in_;
  uint64_t left_;
};

}  // namespace

std::unique_ptr<InStream> make_copy_decoder(InStream& in, uint64_t unpack_size) {
  return std::make_unique<CopyDecoder>(in, unpack_size);
}

}  // namespace qel::archive
