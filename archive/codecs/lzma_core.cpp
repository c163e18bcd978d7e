#include "archive/codecs/lzma_core.h"

#include <cstring>
#include <new>

#include "archive/stream.h"

namespace qel::archive::lzma {

namespace {

constexpr unsigned kStates = 12;
constexpr unsigned kLiteralStates = 7;
constexpr unsigned kMatchMinLen = 2;
constexpr unsigned kEndPosModelIndex = 14;
constexpr unsigned kAlignBits = 4;
constexpr uint32_t kLiteralCoderSize = 0x300;

constexpr uint8_t kStateAfterLiteral[kStates] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 4, 5};

template <size_t N>
void fill_probs(rc::Prob (&arr)[N]) {
  for (auto& p : arr) p = rc::kProbInit;
}
template <size_t N, size_t M>
void fill_probs(rc::Prob (&arr)[N][M]) {
  for (auto& row : arr) fill_probs(row);
}

template <typename LenModel>
[[gnu::always_inline]] inline unsigned decode_len(rc::State& r, LenModel& m, unsigned pos_state) {
  if (rc::bit(r, m.choice) == 0) return rc::tree<3>(r, m.low[pos_state]);
  if (rc::bit(r, m.choice2) == 0) return 8 + rc::tree<3>(r, m.mid[pos_state]);
  return 16 + rc::tree<8>(r, m.high);
}

// Copies n bytes that lie dist bytes back (dist >= 1) to pos; the destination
// never wraps, the source may. Copies are sequential: a short distance repeats.
[[gnu::always_inline]] inline void copy_match(uint8_t* dict, size_t dict_size, size_t pos, size_t dist,
                                              size_t n) {
  uint8_t* out = dict + pos;
  if (pos >= dist) {
    const uint8_t* src = out - dist;
    size_t i = 0;
    if (dist >= 8) {
      for (; i + 8 <= n; i += 8) std::memcpy(out + i, src + i, 8);
    }
    for (; i < n; ++i) out[i] = src[i];
    return;
  }
  size_t src = pos + dict_size - dist;
  for (size_t i = 0; i < n; ++i) {
    out[i] = dict[src];
    if (++src == dict_size) src = 0;
  }
}

}  // namespace

bool parse_props_byte(uint8_t b, Props& out) {
  if (b >= 9 * 5 * 5) return false;
  out.lc = b % 9;
  out.lp = (b / 9) % 5;
  out.pb = b / 45;
  return true;
}

void Window::allocate(size_t bytes) {
  if (bytes == 0) bytes = 1;
  data.reset(new (std::nothrow) uint8_t[bytes]);
  if (!data) throw ArchiveError("not enough memory for the LZMA dictionary");
  size = bytes;
  pos = 0;
  since_reset = 0;
}

void Decoder::set_props(const Props& props) {
  props_ = props;
  const size_t count = size_t(kLiteralCoderSize) << (props.lc + props.lp);
  if (count > literal_count_) {
    literal_.reset(new (std::nothrow) rc::Prob[count]);
    if (!literal_) throw ArchiveError("not enough memory for the LZMA model");
    literal_count_ = count;
  }
}

void Decoder::reset_state() {
  Model& m = model_;
  fill_probs(m.is_match);
  fill_probs(m.is_rep);
  fill_probs(m.is_rep_g0);
  fill_probs(m.is_rep_g1);
  fill_probs(m.is_rep_g2);
  fill_probs(m.is_rep0_long);
  fill_probs(m.pos_slot);
  fill_probs(m.pos_special);
  fill_probs(m.align);
  for (LenModel* l : {&m.len, &m.rep_len}) {
    l->choice = l->choice2 = rc::kProbInit;
    fill_probs(l->low);
    fill_probs(l->mid);
    fill_probs(l->high);
  }
  const size_t used = size_t(kLiteralCoderSize) << (props_.lc + props_.lp);
  for (size_t i = 0; i < used; ++i) literal_[i] = rc::kProbInit;
  state_ = 0;
  rep_[0] = rep_[1] = rep_[2] = rep_[3] = 0;
  pending_len_ = 0;
}

bool Decoder::start_coder(const uint8_t*& in) {
  const bool ok = rc::init(rc_, in);
  in = rc_.in;
  return ok;
}

DecodeResult Decoder::decode(size_t limit, const uint8_t*& in, const uint8_t* in_safe) {
  uint8_t* const dict = w_.data.get();
  const size_t dict_size = w_.size;
  const size_t pos_start = w_.pos;
  const uint64_t since_start = w_.since_reset;
  const size_t filled_start = since_start < dict_size ? size_t(since_start) : dict_size;
  size_t pos = pos_start;

  rc::State r = rc_;
  r.in = in;
  unsigned state = state_;
  uint32_t rep0 = rep_[0], rep1 = rep_[1], rep2 = rep_[2], rep3 = rep_[3];
  Model& m = model_;
  rc::Prob* const literal = literal_.get();
  const unsigned lc = props_.lc;
  const uint32_t lp_mask = (1u << props_.lp) - 1;
  const uint32_t pb_mask = (1u << props_.pb) - 1;
  const uint32_t pos_base = uint32_t(since_start) - uint32_t(pos_start);
  DecodeResult result = DecodeResult::kOk;

  if (pending_len_ != 0 && pos < limit) {
    const size_t n = pending_len_ < limit - pos ? pending_len_ : limit - pos;
    copy_match(dict, dict_size, pos, size_t(rep0) + 1, n);
    pos += n;
    pending_len_ -= uint32_t(n);
  }

  while (pos < limit && r.in <= in_safe) {
    const uint32_t processed = pos_base + uint32_t(pos);
    const unsigned pos_state = processed & pb_mask;

    if (rc::bit(r, m.is_match[state][pos_state]) == 0) {
      unsigned prev;
      if (pos != 0)
        prev = dict[pos - 1];
      else
        prev = filled_start != 0 ? dict[dict_size - 1] : 0;
      rc::Prob* probs = literal + kLiteralCoderSize * (((processed & lp_mask) << lc) + (prev >> (8 - lc)));
      unsigned sym = 1;
      if (state >= kLiteralStates) {
        unsigned match_byte = dict[pos > rep0 ? pos - rep0 - 1 : pos + dict_size - rep0 - 1];
        do {
          const unsigned match_bit = (match_byte >> 7) & 1;
          match_byte <<= 1;
          const unsigned b = rc::bit(r, probs[0x100 + (match_bit << 8) + sym]);
          sym = (sym << 1) | b;
          if (match_bit != b) break;
        } while (sym < 0x100);
      }
      while (sym < 0x100) sym = (sym << 1) | rc::bit(r, probs[sym]);
      dict[pos++] = uint8_t(sym);
      state = kStateAfterLiteral[state];
      continue;
    }

    unsigned len;
    if (rc::bit(r, m.is_rep[state]) == 0) {
      len = decode_len(r, m.len, pos_state);
      state = state < kLiteralStates ? 7 : 10;
      const unsigned len_state = len < 3 ? len : 3;
      const unsigned slot = rc::tree<6>(r, m.pos_slot[len_state]);
      uint32_t dist;
      if (slot < 4) {
        dist = slot;
      } else {
        const int direct_bits = int(slot >> 1) - 1;
        dist = (2u | (slot & 1)) << direct_bits;
        if (slot < kEndPosModelIndex) {
          dist += rc::reverse_tree(r, m.pos_special + dist - slot, direct_bits);
        } else {
          dist += rc::direct(r, direct_bits - int(kAlignBits)) << kAlignBits;
          dist += rc::reverse_tree(r, m.align, int(kAlignBits));
          if (dist == 0xFFFFFFFFu) {
            result = DecodeResult::kEndMarker;
            break;
          }
        }
      }
      rep3 = rep2;
      rep2 = rep1;
      rep1 = rep0;
      rep0 = dist;
    } else {
      if (rc::bit(r, m.is_rep_g0[state]) == 0) {
        if (rc::bit(r, m.is_rep0_long[state][pos_state]) == 0) {
          size_t filled = filled_start + (pos - pos_start);
          if (filled > dict_size) filled = dict_size;
          if (rep0 >= filled) {
            result = DecodeResult::kCorrupt;
            break;
          }
          state = state < kLiteralStates ? 9 : 11;
          dict[pos] = dict[pos > rep0 ? pos - rep0 - 1 : pos + dict_size - rep0 - 1];
          ++pos;
          continue;
        }
      } else {
        uint32_t dist;
        if (rc::bit(r, m.is_rep_g1[state]) == 0) {
          dist = rep1;
        } else {
          if (rc::bit(r, m.is_rep_g2[state]) == 0) {
            dist = rep2;
          } else {
            dist = rep3;
            rep3 = rep2;
          }
          rep2 = rep1;
        }
        rep1 = rep0;
        rep0 = dist;
      }
      len = decode_len(r, m.rep_len, pos_state);
      state = state < kLiteralStates ? 8 : 11;
    }

    size_t filled = filled_start + (pos - pos_start);
    if (filled > dict_size) filled = dict_size;
    if (rep0 >= filled) {
      result = DecodeResult::kCorrupt;
      break;
    }
    len += kMatchMinLen;
    const size_t room = limit - pos;
    const size_t n = len < room ? len : room;
    copy_match(dict, dict_size, pos, size_t(rep0) + 1, n);
    pos += n;
    pending_len_ = uint32_t(len - n);
  }

  rc_ = r;
  in = r.in;
  state_ = state;
  rep_[0] = rep0;
  rep_[1] = rep1;
  rep_[2] = rep2;
  rep_[3] = rep3;
  w_.pos = pos;
  w_.since_reset = since_start + (pos - pos_start);
  return result;
}

}  // namespace qel::archive::lzma
