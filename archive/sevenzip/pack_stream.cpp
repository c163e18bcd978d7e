#include "archive/sevenzip/pack_stream.h"

#include <algorithm>
#include <cstring>

namespace qel::archive {

namespace {
constexpr size_t kBufferSize = 1 << 16;
}

PackStream::PackStream(RandomAccessFile& file, uint64_t offset, uint64_t size)
    : file_(file), pos_(offset), left_(size) {}

size_t PackStream::read(uint8_t* buf, size_t n) {
  if (buf_pos_ == buf_len_) {
    if (left_ == 0 || n == 0) return 0;
    // Large reads bypass the buffer.
    if (n >= kBufferSize) {
      const size_t chunk = static_cast<size_t>(std::min<uint64_t>(n, left_));
      file_.read_at(pos_, buf, chunk);
      pos_ += chunk;
      left_ -= chunk;
      return chunk;
    }
    buffer_.resize(kBufferSize);
    buf_len_ = static_cast<size_t>(std::min<uint64_t>(kBufferSize, left_));
    file_.read_at(pos_, buffer_.data(), buf_len_);
    pos_ += buf_len_;
    left_ -= buf_len_;
    buf_pos_ = 0;
  }
  const size_t chunk = std::min(n, buf_len_ - buf_pos_);
  std::memcpy(buf, buffer_.data() + buf_pos_, chunk);
  buf_pos_ += chunk;
  return chunk;
}

}  // namespace qel::archive
