#include "archive/codecs/window_stream.h"

#include <algorithm>
#include <cstring>

namespace qel::archive::lzma {

namespace {
// Decoding runs ahead of the reader in steps of this size at most, so that the
// copy out of the window still finds the bytes in cache.
constexpr size_t kMinStep = size_t(1) << 16;
constexpr size_t kMaxStep = size_t(1) << 18;
}  // namespace

WindowStream::WindowStream(uint64_t dictionary, uint64_t unpack_size) : undecoded_(unpack_size) {
  if (unpack_size != 0) window_.allocate(size_t(std::min(dictionary, unpack_size)));
}

size_t WindowStream::read(uint8_t* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    if (delivered_ < window_.pos) {
      const size_t k = std::min(window_.pos - delivered_, n - done);
      std::memcpy(buf + done, window_.data.get() + delivered_, k);
      delivered_ += k;
      done += k;
      continue;
    }
    if (undecoded_ == 0) break;
    if (window_.pos == window_.size) window_.pos = delivered_ = 0;
    size_t step = std::clamp(n - done, kMinStep, kMaxStep);
    step = std::min(step, window_.size - window_.pos);
    if (undecoded_ < step) step = size_t(undecoded_);
    fill(window_.pos + step);
    undecoded_ -= step;
  }
  return done;
}

}  // namespace qel::archive::lzma
