// Base of the LZMA and LZMA2 streams: the decoder writes into the window ring,
// read() copies out of it. Subclasses only have to fill the window up to a limit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/codecs/lzma_core.h"
#include "archive/stream.h"

namespace qel::archive::lzma {

class WindowStream : public InStream {
 public:
  size_t read(uint8_t* buf, size_t n) final;

 protected:
  // The ring holds min(dictionary, unpack size) bytes: a match can never
  // reach further back than what was written.
  WindowStream(uint64_t dictionary, uint64_t unpack_size);

  // Decodes into window_ from window_.pos up to exactly limit or throws.
  virtual void fill(size_t limit) = 0;

  Window window_;

 private:
  uint64_t undecoded_;
  size_t delivered_ = 0;  // window position up to which read() has copied
};

}  // namespace qel::archive::lzma
