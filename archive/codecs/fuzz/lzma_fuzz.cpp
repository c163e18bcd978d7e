// libFuzzer target for the codecs. The first byte picks the decoder and a
// declared size; the rest is its input (split four ways for BCJ2).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/stream.h"

namespace {

class Memory final : public qel::archive::InStream {
 public:
  Memory(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  size_t read(uint8_t* buf, size_t n) override {
    n = n < n_ ? n : n_;
    if (n) std::memcpy(buf, p_, n);
    p_ += n;
    n_ -= n;
    return n;
  }

 private:
  const uint8_t* p_;
  size_t n_;
};

void drain(qel::archive::InStream& s) {
  uint8_t buf[4096];
  while (s.read(buf, sizeof buf) != 0) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qel::archive;
  if (size < 8) return 0;
  const unsigned kind = data[0] % 6;
  const uint64_t declared = (uint64_t(data[1]) << 16 | uint64_t(data[2]) << 8 | data[3]) * 4;
  const uint8_t* p = data + 4;
  size_t n = size - 4;
  try {
    if (kind == 0) {
      if (n < 5) return 0;
      const uint8_t props[5] = {p[0], p[1], p[2], 0x01, 0x00};  // at most 16 MiB dictionary
      Memory in(p + 3, n - 3);
      drain(*make_lzma_decoder(props, in, declared));
    } else if (kind == 1) {
      Memory in(p + 1, n - 1);
      const uint8_t prop = uint8_t(p[0] % 24);
      drain(*make_lzma2_decoder({&prop, 1}, in, declared));
    } else if (kind == 2) {
      Memory in(p + 1, n - 1);
      const uint8_t prop = uint8_t(p[0] % 24);
      auto lzma2 = make_lzma2_decoder({&prop, 1}, in, declared);
      drain(*make_bcj_x86_decoder(*lzma2, declared));
    } else if (kind == 3) {
      const size_t q = n / 4;
      Memory a(p, q), b(p + q, q), c(p + 2 * q, q), d(p + 3 * q, n - 3 * q);
      drain(*make_bcj2_decoder(a, b, c, d, declared));
    } else if (kind == 4) {
      Memory in(p, n);
      drain(*make_deflate_decoder(in, declared));
    } else {
      Memory in(p, n);
      drain(*make_bcj_x86_decoder(in, declared < n ? declared : n));
    }
  } catch (const ArchiveError&) {
  }
  return 0;
}
