// PNG decoding: chunk walk, zlib inflate of the joined IDAT data, scanline
// filters, Adam7 interlacing, every colour type and bit depth.
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "wizard/picture_data.h"

namespace qel::wizard {

namespace {

uint32_t be32(const uint8_t* p) { return (uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

uint8_t paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  if (pb <= pc) return static_cast<uint8_t>(b);
  return static_cast<uint8_t>(c);
}

std::vector<uint8_t> inflate_all(const std::vector<uint8_t>& in, size_t expected) {
  std::vector<uint8_t> out(expected);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw PictureError("zlib initialisation failed");
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int rc = inflate(&z, Z_FINISH);
  size_t produced = out.size() - z.avail_out;
  inflateEnd(&z);
  if (rc != Z_STREAM_END && !(rc == Z_BUF_ERROR && produced == expected))
    throw PictureError("PNG image data is corrupt (zlib " + std::to_string(rc) + ")");
  if (produced != expected) throw PictureError("PNG image data is shorter than the image");
  return out;
}

}  // namespace

DecodedImage decode_png(std::span<const uint8_t> file) {
  static const uint8_t kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (file.size() < 8 || std::memcmp(file.data(), kSig, 8) != 0) throw PictureError("not a PNG file");
  uint32_t width = 0, height = 0;
  int depth = 0, color = 0, interlace = 0;
  bool have_header = false;
  std::vector<uint8_t> palette;  // RGB triples
  std::vector<uint8_t> palette_alpha;
  int trns_gray = -1, trns_r = -1, trns_g = -1, trns_b = -1;
  std::vector<uint8_t> idat;
  size_t at = 8;
  bool ended = false;
  while (!ended) {
    if (at + 12 > file.size()) throw PictureError("PNG file truncated");
    uint32_t length = be32(&file[at]);
    if (length > file.size() - at - 12) throw PictureError("PNG chunk exceeds the file");
    const uint8_t* type = &file[at + 4];
    const uint8_t* data = &file[at + 8];
    if (crc32(crc32(0, nullptr, 0), type, length + 4) != be32(data + length))
      throw PictureError("PNG chunk checksum mismatch");
    if (!std::memcmp(type, "IHDR", 4)) {
      if (length != 13) throw PictureError("PNG header has the wrong size");
      width = be32(data);
      height = be32(data + 4);
      depth = data[8];
      color = data[9];
      interlace = data[12];
      if (data[10] != 0 || data[11] != 0 || interlace > 1) throw PictureError("unsupported PNG compression, filter or interlace");
      have_header = true;
    } else if (!std::memcmp(type, "PLTE", 4)) {
      palette.assign(data, data + length);
    } else if (!std::memcmp(type, "tRNS", 4)) {
      if (color == 3) palette_alpha.assign(data, data + length);
      if (color == 0 && length >= 2) trns_gray = (data[0] << 8) | data[1];
      if (color == 2 && length >= 6) {
        trns_r = (data[0] << 8) | data[1];
        trns_g = (data[2] << 8) | data[3];
        trns_b = (data[4] << 8) | data[5];
      }
    } else if (!std::memcmp(type, "IDAT", 4)) {
      idat.insert(idat.end(), data, data + length);
    } else if (!std::memcmp(type, "IEND", 4)) {
      ended = true;
    } else if (!(type[0] & 0x20)) {
      throw PictureError("PNG file has an unknown critical chunk");
    }
    at += 12 + length;
  }
  if (!have_header) throw PictureError("PNG header missing");
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide)
    throw PictureError("PNG size out of range");
  int channels;
  switch (color) {
    case 0: channels = 1; break;
    case 2: channels = 3; break;
    case 3: channels = 1; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default: throw PictureError("unknown PNG colour type");
  }
  bool depth_ok = (color == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
                  (color == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
                  ((color == 2 || color == 4 || color == 6) && (depth == 8 || depth == 16));
  if (!depth_ok) throw PictureError("invalid PNG bit depth");
  if (color == 3 && (palette.empty() || palette.size() % 3)) throw PictureError("PNG palette missing");

  const size_t bits_per_pixel = size_t(channels) * depth;
  const size_t bytes_per_pixel = std::max<size_t>(1, bits_per_pixel / 8);
  struct Pass { uint32_t x0, y0, dx, dy; };
  static const Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  static const Pass kSingle[1] = {{0, 0, 1, 1}};
  const Pass* passes = interlace ? kAdam7 : kSingle;
  int pass_count = interlace ? 7 : 1;
  size_t expected = 0;
  for (int p = 0; p < pass_count; ++p) {
    uint64_t pw = (width + passes[p].dx - 1 - passes[p].x0) / passes[p].dx;
    uint64_t ph = (height + passes[p].dy - 1 - passes[p].y0) / passes[p].dy;
    if (width <= passes[p].x0 || height <= passes[p].y0) continue;
    expected += ph * (1 + (pw * bits_per_pixel + 7) / 8);
  }
  std::vector<uint8_t> raw = inflate_all(idat, expected);

  DecodedImage img;
  img.width = width;
  img.height = height;
  img.bgra.assign(size_t{width} * height * 4, 0);
  auto sample = [&](const uint8_t* row, size_t x, int channel) -> unsigned {
    if (depth == 16) return row[(x * channels + channel) * 2] << 8 | row[(x * channels + channel) * 2 + 1];
    if (depth == 8) return row[x * channels + channel];
    size_t bit = x * depth;
    return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
  };
  auto to8 = [&](unsigned v) -> uint8_t {
    if (depth == 16) return static_cast<uint8_t>(v >> 8);
    if (depth == 8 || color == 3) return static_cast<uint8_t>(v);
    return static_cast<uint8_t>(v * 255 / ((1u << depth) - 1));
  };
  size_t offset = 0;
  for (int p = 0; p < pass_count; ++p) {
    const Pass& ps = passes[p];
    if (width <= ps.x0 || height <= ps.y0) continue;
    size_t pw = (width + ps.dx - 1 - ps.x0) / ps.dx;
    size_t ph = (height + ps.dy - 1 - ps.y0) / ps.dy;
    size_t stride = (pw * bits_per_pixel + 7) / 8;
    std::vector<uint8_t> previous(stride, 0);
    for (size_t y = 0; y < ph; ++y) {
      uint8_t filter = raw[offset];
      uint8_t* row = &raw[offset + 1];
      offset += 1 + stride;
      for (size_t i = 0; i < stride; ++i) {
        int a = i >= bytes_per_pixel ? row[i - bytes_per_pixel] : 0;
        int b = previous[i];
        int c = i >= bytes_per_pixel ? previous[i - bytes_per_pixel] : 0;
        switch (filter) {
          case 0: break;
          case 1: row[i] = static_cast<uint8_t>(row[i] + a); break;
          case 2: row[i] = static_cast<uint8_t>(row[i] + b); break;
          case 3: row[i] = static_cast<uint8_t>(row[i] + ((a + b) >> 1)); break;
          case 4: row[i] = static_cast<uint8_t>(row[i] + paeth(a, b, c)); break;
          default: throw PictureError("invalid PNG filter type");
        }
      }
      std::memcpy(previous.data(), row, stride);
      for (size_t x = 0; x < pw; ++x) {
        uint8_t r, g, b, a = 255;
        if (color == 3) {
          unsigned index = sample(row, x, 0);
          if (index * 3 + 2 >= palette.size()) throw PictureError("PNG palette index out of range");
          r = palette[index * 3];
          g = palette[index * 3 + 1];
          b = palette[index * 3 + 2];
          if (index < palette_alpha.size()) a = palette_alpha[index];
        } else if (color == 0 || color == 4) {
          unsigned v = sample(row, x, 0);
          r = g = b = to8(v);
          if (color == 4) a = to8(sample(row, x, 1));
          else if (int(v) == trns_gray) a = 0;
        } else {
          unsigned rv = sample(row, x, 0), gv = sample(row, x, 1), bv = sample(row, x, 2);
          r = to8(rv);
          g = to8(gv);
          b = to8(bv);
          if (color == 6) a = to8(sample(row, x, 3));
          else if (int(rv) == trns_r && int(gv) == trns_g && int(bv) == trns_b) a = 0;
        }
        size_t px = (y * ps.dy + ps.y0) * width + (x * ps.dx + ps.x0);
        uint8_t* out = &img.bgra[px * 4];
        out[0] = b;
        out[1] = g;
        out[2] = r;
        out[3] = a;
        if (a != 255) img.has_alpha = true;
      }
    }
  }
  return img;
}

}  // namespace qel::wizard
