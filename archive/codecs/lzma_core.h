// The LZMA decoding engine shared by the LZMA and LZMA2 streams: the sliding
// window, the probability model and the symbol loop. It knows nothing about
// where its input comes from; the stream classes feed it buffers with enough
// readable slack after the "safe" pointer that one symbol can never overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/codecs/range_decoder.h"

namespace qel::archive::lzma {

// Readable bytes that must follow the last safe symbol start: the longest
// symbol (a match with a far distance) normalises at most 44 times.
constexpr size_t kInputSlack = 64;

struct Props {
  unsigned lc = 0;  // literal context bits (previous byte)
  unsigned lp = 0;  // literal position bits
  unsigned pb = 0;  // position bits for the match flags
};

// Splits the (pb * 5 + lp) * 9 + lc byte; false for values above 224.
bool parse_props_byte(uint8_t b, Props& out);

// The ring buffer the decoder writes into and the streams copy out of.
struct Window {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  size_t pos = 0;            // next write position, 0..size
  uint64_t since_reset = 0;  // bytes written since the last dictionary reset

  // Throws ArchiveError when the memory is not available.
  void allocate(size_t bytes);
};

enum class DecodeResult { kOk, kEndMarker, kCorrupt };

class Decoder {
 public:
  explicit Decoder(Window& window) : w_(window) {}

  // Sets lc/lp/pb; the model must be reset before the next symbol.
  void set_props(const Props& props);
  // Probabilities to one half, state 0, distances 0, no unfinished match.
  void reset_state();
  // Starts the range coder on the 5 bytes at in; false if they are invalid.
  bool start_coder(const uint8_t*& in);

  // Decodes until the window position reaches limit (<= window size) or a
  // symbol would start beyond in_safe. in must have kInputSlack readable bytes
  // after in_safe. Stops early on an end marker or on corrupt data.
  DecodeResult decode(size_t limit, const uint8_t*& in, const uint8_t* in_safe);

  // Bytes of a match that did not fit below the last limit.
  uint32_t pending_match() const { return pending_len_; }
  bool props_set() const { return literal_ != nullptr; }

 private:
  struct LenModel {
    rc::Prob choice;
    rc::Prob choice2;
    rc::Prob low[16][8];
    rc::Prob mid[16][8];
    rc::Prob high[256];
  };
  struct Model {
    rc::Prob is_match[12][16];
    rc::Prob is_rep[12];
    rc::Prob is_rep_g0[12];
    rc::Prob is_rep_g1[12];
    rc::Prob is_rep_g2[12];
    rc::Prob is_rep0_long[12][16];
    rc::Prob pos_slot[4][64];
    rc::Prob pos_special[115];  // reverse trees for distance slots 4..13
    rc::Prob align[16];
    LenModel len;
    LenModel rep_len;
  };

  Window& w_;
  Props props_;
  Model model_{};
  std::unique_ptr<rc::Prob[]> literal_;
  size_t literal_count_ = 0;
  rc::State rc_{};
  unsigned state_ = 0;
  uint32_t rep_[4] = {0, 0, 0, 0};
  uint32_t pending_len_ = 0;
};

}  // namespace qel::archive::lzma
