// Raw LZMA2 streams (optionally behind the x86 branch filter) as a 7z folder
// stores them, encoded with liblzma.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qel::sevenzip {

struct EncodedStream {
  std::string packed;
  uint8_t lzma2_property = 0;  // the LZMA2 coder's one property byte (dictionary size)
};

EncodedStream encode_lzma2(std::string_view data, bool x86_filter, uint32_t preset);

}  // namespace qel::sevenzip
