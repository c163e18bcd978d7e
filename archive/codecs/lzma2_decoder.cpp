// Method 21 (LZMA2): a sequence of chunks, each either stored or LZMA-coded
// with its own range coder, and a 0x00 end byte. The control byte of an LZMA
// chunk says what to reset: nothing, the state, the state and the lc/lp/pb
// properties, or all of that and the dictionary. Stored chunks keep the LZMA
// state; the next LZMA chunk continues from it.
#include <cstring>
#include <vector>

#include "archive/codecs/lzma_core.h"
#include "archive/codecs/stream_util.h"
#include "archive/codecs/window_stream.h"
#include "archive/stream.h"

namespace qel::archive {

namespace {

constexpr size_t kMaxPackedChunk = size_t(1) << 16;

uint64_t dictionary_from_prop(uint8_t prop) {
  if (prop > 40) throw ArchiveError("invalid LZMA2 dictionary size");
  if (prop == 40) return 0xFFFFFFFFu;
  return uint64_t(2 | (prop & 1)) << (prop / 2 + 11);
}

class Lzma2Decoder final : public lzma::WindowStream {
 public:
  Lzma2Decoder(uint64_t dictionary, InStream& in, uint64_t unpack_size)
      : WindowStream(dictionary, unpack_size), in_(in), decoder_(window_), chunk_(kMaxPackedChunk + lzma::kInputSlack) {}

 private:
  enum class Chunk { kNone, kStored, kLzma };

  void fill(size_t limit) override {
    while (window_.pos < limit) {
      if (chunk_left_ == 0) next_chunk();
      size_t n = limit - window_.pos;
      if (chunk_left_ < n) n = chunk_left_;
      if (kind_ == Chunk::kStored) {
        read_exact(in_, window_.data.get() + window_.pos, n, "LZMA2 data");
        window_.pos += n;
        window_.since_reset += n;
        chunk_left_ -= uint32_t(n);
        continue;
      }
      const size_t before = window_.pos;
      const uint8_t* const end = chunk_.data() + chunk_packed_;
      const lzma::DecodeResult res = decoder_.decode(before + n, in_pos_, end);
      if (res != lzma::DecodeResult::kOk || in_pos_ > end || window_.pos != before + n)
        throw ArchiveError("LZMA2 data is corrupt");
      chunk_left_ -= uint32_t(n);
      // A chunk ends on a symbol boundary and uses exactly its packed bytes.
      if (chunk_left_ == 0 && (in_pos_ != end || decoder_.pending_match() != 0))
        throw ArchiveError("LZMA2 data is corrupt");
    }
  }

  void next_chunk() {
    uint8_t control;
    read_exact(in_, &control, 1, "LZMA2 data");
    if (control == 0x00) throw ArchiveError("LZMA2 data ends before its declared size");
    const bool dict_reset = control == 0x01 || control >= 0xE0;
    if (dict_reset) {
      window_.since_reset = 0;
      need_props_ = true;
      need_dict_reset_ = false;
    } else if (need_dict_reset_) {
      throw ArchiveError("LZMA2 data does not start with a dictionary reset");
    }

    if (control < 0x80) {
      if (control > 0x02) throw ArchiveError("LZMA2 data is corrupt");
      uint8_t h[2];
      read_exact(in_, h, 2, "LZMA2 data");
      kind_ = Chunk::kStored;
      chunk_left_ = ((uint32_t(h[0]) << 8) | h[1]) + 1u;
      return;
    }

    uint8_t h[5];
    const unsigned reset = (control >> 5) & 3;
    read_exact(in_, h, reset >= 2 ? 5 : 4, "LZMA2 data");
    chunk_left_ = ((uint32_t(control & 0x1F) << 16) | (uint32_t(h[0]) << 8) | h[1]) + 1u;
    chunk_packed_ = ((size_t(h[2]) << 8) | h[3]) + 1u;
    if (reset >= 2) {
      lzma::Props p;
      if (!lzma::parse_props_byte(h[4], p) || p.lc + p.lp > 4) throw ArchiveError("invalid LZMA2 properties");
      decoder_.set_props(p);
      need_props_ = false;
    } else if (need_props_) {
      throw ArchiveError("LZMA2 chunk lacks its properties");
    }
    if (reset >= 1) decoder_.reset_state();
    if (chunk_packed_ < size_t(rc::kInitBytes)) throw ArchiveError("LZMA2 data is corrupt");
    read_exact(in_, chunk_.data(), chunk_packed_, "LZMA2 data");
    std::memset(chunk_.data() + chunk_packed_, 0, lzma::kInputSlack);
    in_pos_ = chunk_.data();
    if (!decoder_.start_coder(in_pos_)) throw ArchiveError("LZMA2 data is corrupt");
    kind_ = Chunk::kLzma;
  }

  InStream& in_;
  lzma::Decoder decoder_;
  std::vector<uint8_t> chunk_;
  const uint8_t* in_pos_ = nullptr;
  size_t chunk_packed_ = 0;
  uint32_t chunk_left_ = 0;
  Chunk kind_ = Chunk::kNone;
  bool need_dict_reset_ = true;
  bool need_props_ = true;
};

}  // namespace

std::unique_ptr<InStream> make_lzma2_decoder(std::span<const uint8_t> props, InStream& in, uint64_t unpack_size) {
  if (props.size() < 1) throw ArchiveError("invalid LZMA2 properties");
  return std::make_unique<Lzma2Decoder>(dictionary_from_prop(props[0]), in, unpack_size);
}

}  // namespace qel::archive
