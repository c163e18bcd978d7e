#include "tools/sevenzip_writer/lzma_raw_encoder.h"

#include <lzma.h>

#include <algorithm>
#include <stdexcept>

namespace qel::sevenzip {

EncodedStream encode_lzma2(std::string_view data, bool x86_filter, uint32_t preset) {
  lzma_options_lzma options;
  if (lzma_lzma_preset(&options, preset)) throw std::runtime_error("LZMA2 preset not supported");
  // A dictionary larger than the data gains nothing and costs the decoder memory.
  const uint64_t wanted = std::max<uint64_t>(data.size(), LZMA_DICT_SIZE_MIN);
  options.dict_size = static_cast<uint32_t>(std::min<uint64_t>(options.dict_size, wanted));

  lzma_filter filters[3];
  size_t n = 0;
  if (x86_filter) filters[n++] = {LZMA_FILTER_X86, nullptr};
  filters[n++] = {LZMA_FILTER_LZMA2, &options};
  filters[n] = {LZMA_VLI_UNKNOWN, nullptr};

  EncodedStream result;
  lzma_filter lzma2_only[2] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  uint32_t property_size = 0;
  if (lzma_properties_size(&property_size, &lzma2_only[0]) != LZMA_OK || property_size != 1)
    throw std::runtime_error("LZMA2 properties unavailable");
  if (lzma_properties_encode(&lzma2_only[0], &result.lzma2_property) != LZMA_OK)
    throw std::runtime_error("LZMA2 properties unavailable");

  lzma_stream stream = LZMA_STREAM_INIT;
  if (lzma_raw_encoder(&stream, filters) != LZMA_OK) throw std::runtime_error("LZMA2 encoder failed to start");
  result.packed.resize(data.size() + data.size() / 16 + 1024);
  stream.next_in = reinterpret_cast<const uint8_t*>(data.data());
  stream.avail_in = data.size();
  lzma_ret ret = LZMA_OK;
  while (true) {
    if (stream.total_out == result.packed.size()) result.packed.resize(result.packed.size() * 2);
    stream.next_out = reinterpret_cast<uint8_t*>(result.packed.data()) + stream.total_out;
    stream.avail_out = result.packed.size() - stream.total_out;
    ret = lzma_code(&stream, LZMA_FINISH);
    if (ret == LZMA_STREAM_END) break;
    if (ret != LZMA_OK) {
      lzma_end(&stream);
      throw std::runtime_error("LZMA2 encoding failed (liblzma error " + std::to_string(ret) + ")");
    }
  }
  result.packed.resize(stream.total_out);
  lzma_end(&stream);
  return result;
}

}  // namespace qel::sevenzip
