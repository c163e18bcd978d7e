// Method 040108 (Deflate): raw deflate data, decoded by zlib.
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "archive/stream.h"

namespace qel::archive {

namespace {

constexpr size_t kInputBuffer = size_t(1) << 16;

class DeflateDecoder final : public InStream {
 public:
  DeflateDecoder(InStream& in, uint64_t unpack_size) : in_(in), left_(unpack_size), buf_(kInputBuffer) {
    // Negative window bits: no zlib header or trailer.
    if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) throw ArchiveError("cannot start the Deflate decoder");
  }
  ~DeflateDecoder() override { inflateEnd(&z_); }
  DeflateDecoder(const DeflateDecoder&) = delete;
  DeflateDecoder& operator=(const DeflateDecoder&) = delete;

  size_t read(uint8_t* out, size_t n) override {
    n = size_t(std::min<uint64_t>({n, left_, UINT_MAX}));
    if (n == 0) return 0;
    z_.next_out = out;
    z_.avail_out = unsigned(n);
    while (z_.avail_out == n) {
      if (z_.avail_in == 0 && !eof_) {
        const size_t got = in_.read(buf_.data(), buf_.size());
        if (got == 0) eof_ = true;
        z_.next_in = buf_.data();
        z_.avail_in = unsigned(got);
      }
      if (ended_) throw ArchiveError("Deflate data ends before its declared size");
      const int rc = inflate(&z_, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) {
        ended_ = true;
      } else if (rc == Z_BUF_ERROR) {
        // No progress possible: the input ran out in the middle of the data.
        if (eof_ && z_.avail_in == 0) throw ArchiveError("Deflate data is truncated");
      } else if (rc != Z_OK) {
        throw ArchiveError("Deflate data is corrupt");
      }
      if (eof_ && z_.avail_in == 0 && z_.avail_out == n && !ended_) throw ArchiveError("Deflate data is truncated");
    }
    const size_t got = n - z_.avail_out;
    left_ -= got;
    return got;
  }

 private:
  InStream& in_;
  uint64_t left_;
  std::vector<uint8_t> buf_;
  z_stream z_{};
  bool eof_ = false;
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<InStream> make_deflate_decoder(InStream& in, uint64_t unpack_size) {
  return std::make_unique<DeflateDecoder>(in, unpack_size);
}

}  // namespace qel::archive
