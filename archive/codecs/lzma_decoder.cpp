// Method 030101 (LZMA): 5 property bytes, then one range-coded stream whose
// length the folder gives; an end marker is accepted only where the data ends.
#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/codecs/lzma_core.h"
#include "archive/codecs/stream_util.h"
#include "archive/codecs/window_stream.h"
#include "archive/stream.h"

namespace qel::archive {

namespace {

constexpr size_t kInputBuffer = size_t(1) << 16;
constexpr uint32_t kMinDictionary = 1u << 12;

class LzmaDecoder final : public lzma::WindowStream {
 public:
  LzmaDecoder(const lzma::Props& props, uint32_t dictionary, InStream& in, uint64_t unpack_size)
      : WindowStream(std::max(dictionary, kMinDictionary), unpack_size),
        in_(in),
        decoder_(window_),
        buf_(kInputBuffer + lzma::kInputSlack) {
    if (unpack_size != 0) {
      decoder_.set_props(props);
      decoder_.reset_state();
    }
  }

 private:
  void fill(size_t limit) override {
    while (window_.pos < limit) {
      refill();
      const uint8_t* p = buf_.data() + pos_;
      const uint8_t* const end = buf_.data() + end_;
      if (!started_) {
        if (end_ - pos_ < size_t(rc::kInitBytes)) throw ArchiveError("LZMA data is truncated");
        if (!decoder_.start_coder(p)) throw ArchiveError("LZMA data is corrupt");
        started_ = true;
      }
      const uint8_t* safe = eof_ ? end : end - lzma::kInputSlack;
      const lzma::DecodeResult res = decoder_.decode(limit, p, safe);
      pos_ = size_t(p - buf_.data());
      if (res == lzma::DecodeResult::kCorrupt) throw ArchiveError("LZMA data is corrupt");
      if (res == lzma::DecodeResult::kEndMarker) throw ArchiveError("LZMA data ends before its declared size");
      if (p > end || (eof_ && window_.pos < limit)) throw ArchiveError("LZMA data is truncated");
    }
  }

  // Keeps at least kInputSlack unread bytes in the buffer until the input
  // ends; after the end, zeros stand in for the missing bytes.
  void refill() {
    if (eof_ || end_ - pos_ >= lzma::kInputSlack) return;
    std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    while (end_ < lzma::kInputSlack) {
      const size_t got = in_.read(buf_.data() + end_, kInputBuffer - end_);
      if (got == 0) {
        eof_ = true;
        std::memset(buf_.data() + end_, 0, lzma::kInputSlack);
        return;
      }
      end_ += got;
    }
  }

  InStream& in_;
  lzma::Decoder decoder_;
  std::vector<uint8_t> buf_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<InStream> make_lzma_decoder(std::span<const uint8_t> props, InStream& in, uint64_t unpack_size) {
  lzma::Props p;
  if (props.size() < 5 || !lzma::parse_props_byte(props[0], p)) throw ArchiveError("invalid LZMA properties");
  uint32_t dictionary = 0;
  for (int i = 4; i >= 1; --i) dictionary = (dictionary << 8) | props[size_t(i)];
  return std::make_unique<LzmaDecoder>(p, dictionary, in, unpack_size);
}

}  // namespace qel::archive
