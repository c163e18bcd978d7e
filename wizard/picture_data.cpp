#include "wizard/picture_data.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/ascii.h"

namespace qel::wizard {

namespace {

uint32_t le32(std::span<const uint8_t> d, size_t at) {
  return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}
uint16_t le16(std::span<const uint8_t> d, size_t at) { return static_cast<uint16_t>(d[at] | (d[at + 1] << 8)); }

bool starts_with(std::span<const uint8_t> d, std::initializer_list<uint8_t> sig) {
  if (d.size() < sig.size()) return false;
  size_t i = 0;
  for (uint8_t b : sig)
    if (d[i++] != b) return false;
  return true;
}

std::optional<PictureFormat> sniff(std::span<const uint8_t> d) {
  if (starts_with(d, {'B', 'M'})) return PictureFormat::Bitmap;
  if (starts_with(d, {0, 0, 1, 0})) return PictureFormat::Icon;
  if (starts_with(d, {0xFF, 0xD8, 0xFF})) return PictureFormat::Jpeg;
  if (starts_with(d, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFormat::Png;
  if (starts_with(d, {0xD7, 0xCD, 0xC6, 0x9A}) || starts_with(d, {1, 0, 0, 0}) || starts_with(d, {1, 0, 9, 0}))
    return PictureFormat::Metafile;
  return std::nullopt;
}

}  // namespace

PictureFile decode_picture_property(std::span<const uint8_t> data) {
  if (data.empty()) throw PictureError("picture data is empty");
  size_t name_length = data[0];
  if (name_length == 0 || 1 + name_length > data.size()) throw PictureError("picture data has no class name");
  PictureFile out;
  out.class_name.assign(reinterpret_cast<const char*>(data.data() + 1), name_length);
  std::span<const uint8_t> rest = data.subspan(1 + name_length);
  static const char* const kKnown[] = {"TBitmap", "TIcon", "TJPEGImage", "TPngImage", "TPNGObject",
                                       "TPNGGraphic", "TMetafile", "TWICImage", "TGIFImage"};
  bool known = false;
  for (const char* k : kKnown)
    if (EqualsNoCase(out.class_name, k)) known = true;
  if (!known) throw PictureError("unknown picture class '" + out.class_name + "'");
  // Most graphic classes write a 4-byte size first; icons and PNG images do not.
  std::optional<PictureFormat> format = sniff(rest);
  if (!format && rest.size() >= 4) {
    uint32_t size = le32(rest, 0);
    if (size <= rest.size() - 4) {
      std::span<const uint8_t> inner = rest.subspan(4, size);
      format = sniff(inner);
      if (format) rest = inner;
    }
  }
  if (!format) throw PictureError("picture data of class '" + out.class_name + "' holds no known image format");
  out.format = *format;
  out.bytes.assign(rest.begin(), rest.end());
  return out;
}

PictureFile decode_glyph_property(std::span<const uint8_t> data) {
  if (data.size() < 4) throw PictureError("glyph data too short");
  uint32_t size = le32(data, 0);
  if (size > data.size() - 4) throw PictureError("glyph data size exceeds the stored bytes");
  std::span<const uint8_t> inner = data.subspan(4, size);
  if (!starts_with(inner, {'B', 'M'})) throw PictureError("glyph data holds no bitmap");
  PictureFile out;
  out.format = PictureFormat::Bitmap;
  out.bytes.assign(inner.begin(), inner.end());
  return out;
}

namespace {

void check_size(uint64_t w, uint64_t h) {
  if (w == 0 || h == 0 || w > kMaxPictureSide || h > kMaxPictureSide)
    throw PictureError("picture size " + std::to_string(w) + "x" + std::to_string(h) + " out of range");
}

uint32_t mask_shift(uint32_t mask) {
  uint32_t s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}
uint8_t mask_value(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  uint32_t v = (pixel & mask) >> mask_shift(mask);
  uint32_t max = mask >> mask_shift(mask);
  return static_cast<uint8_t>(max ? v * 255 / max : 0);
}

// A DIB: BITMAPINFOHEADER (or a larger V4/V5 header, or the old core header),
// colour table, pixels. icon_height_halved: the height counts XOR and AND masks.
DecodedImage decode_dib(std::span<const uint8_t> dib, std::span<const uint8_t> file, size_t pixel_offset_in_file,
                        bool icon) {
  if (dib.size() < 12) throw PictureError("bitmap header truncated");
  uint32_t header = le32(dib, 0);
  int64_t width, height;
  uint16_t bpp;
  uint32_t compression = 0, colors_used = 0;
  size_t palette_entry = 4;
  if (header == 12) {
    width = le16(dib, 4);
    height = static_cast<int16_t>(le16(dib, 6));
    bpp = le16(dib, 10);
    palette_entry = 3;
  } else if (header >= 40 && dib.size() >= 40) {
    width = static_cast<int32_t>(le32(dib, 4));
    height = static_cast<int32_t>(le32(dib, 8));
    bpp = le16(dib, 14);
    compression = le32(dib, 16);
    colors_used = le32(dib, 32);
  } else {
    throw PictureError("unsupported bitmap header size " + std::to_string(header));
  }
  bool top_down = height < 0;
  if (top_down) height = -height;
  if (icon) height /= 2;
  check_size(width < 0 ? 0 : width, height);
  if (compression != 0 && compression != 3 && compression != 6)
    throw PictureError("compressed bitmaps (compression " + std::to_string(compression) + ") are not supported");
  uint32_t masks[4] = {0, 0, 0, 0};
  size_t after_header = header;
  if (compression == 3 || compression == 6) {
    if (header >= 52 && dib.size() >= 56) {
      for (int i = 0; i < 4; ++i) masks[i] = le32(dib, 40 + 4 * i);
    } else if (dib.size() >= header + 12) {
      for (int i = 0; i < 3; ++i) masks[i] = le32(dib, header + 4 * i);
      after_header = header + 12;
    } else {
      throw PictureError("bit field masks missing");
    }
  } else if (bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (bpp == 32) {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    throw PictureError("unsupported bitmap depth " + std::to_string(bpp));
  size_t palette_count = 0;
  if (bpp <= 8) palette_count = colors_used ? std::min<size_t>(colors_used, 256) : (size_t{1} << bpp);
  size_t palette_at = after_header;
  if (palette_at + palette_count * palette_entry > dib.size()) throw PictureError("bitmap colour table truncated");
  size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  std::span<const uint8_t> pixels;
  if (icon || pixel_offset_in_file == 0) {
    size_t at = palette_at + palette_count * palette_entry;
    if (at > dib.size()) throw PictureError("bitmap pixels truncated");
    pixels = dib.subspan(at);
  } else {
    if (pixel_offset_in_file > file.size()) throw PictureError("bitmap pixel offset out of range");
    pixels = file.subspan(pixel_offset_in_file);
  }
  if (pixels.size() < stride * height) throw PictureError("bitmap pixels truncated");
  DecodedImage img;
  img.width = static_cast<uint32_t>(width);
  img.height = static_cast<uint32_t>(height);
  img.bgra.assign(size_t{img.width} * img.height * 4, 0);
  bool alpha_channel = bpp == 32 && (compression == 0 || masks[3] != 0);
  bool any_alpha = false;
  for (uint32_t y = 0; y < img.height; ++y) {
    const uint8_t* row = pixels.data() + stride * (top_down ? y : img.height - 1 - y);
    uint8_t* out = img.bgra.data() + size_t{y} * img.width * 4;
    for (uint32_t x = 0; x < img.width; ++x, out += 4) {
      uint8_t b = 0, g = 0, r = 0, a = 255;
      if (bpp <= 8) {
        size_t bit = size_t{x} * bpp;
        unsigned index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index < palette_count) {
          const uint8_t* entry = dib.data() + palette_at + index * palette_entry;
          b = entry[0];
          g = entry[1];
          r = entry[2];
        }
      } else if (bpp == 24) {
        b = row[x * 3];
        g = row[x * 3 + 1];
        r = row[x * 3 + 2];
      } else {
        uint32_t p = bpp == 16 ? le16(std::span<const uint8_t>(row, stride), x * 2)
                               : le32(std::span<const uint8_t>(row, stride), x * 4);
        r = mask_value(p, masks[0]);
        g = mask_value(p, masks[1]);
        b = mask_value(p, masks[2]);
        if (bpp == 32 && compression == 0) {
          a = static_cast<uint8_t>(p >> 24);
        } else if (masks[3]) {
          a = mask_value(p, masks[3]);
        }
        if (a != 0) any_alpha = true;
      }
      out[0] = b;
      out[1] = g;
      out[2] = r;
      out[3] = a;
    }
  }
  // A 32-bit bitmap whose alpha bytes are all 0 is an opaque picture without alpha.
  if (alpha_channel && !any_alpha)
    for (size_t i = 3; i < img.bgra.size(); i += 4) img.bgra[i] = 255;
  if (icon) {
    // The AND mask follows the XOR pixels: 1 bit per pixel, rows padded to 4 bytes.
    size_t mask_stride = ((img.width + 31) / 32) * 4;
    std::span<const uint8_t> mask = pixels.subspan(stride * img.height);
    bool has_mask = mask.size() >= mask_stride * img.height;
    if (has_mask && !(alpha_channel && any_alpha)) {
      for (uint32_t y = 0; y < img.height; ++y) {
        const uint8_t* row = mask.data() + mask_stride * (img.height - 1 - y);
        for (uint32_t x = 0; x < img.width; ++x)
          if ((row[x / 8] >> (7 - x % 8)) & 1) img.bgra[(size_t{y} * img.width + x) * 4 + 3] = 0;
      }
    }
  }
  for (size_t i = 3; i < img.bgra.size(); i += 4)
    if (img.bgra[i] != 255) img.has_alpha = true;
  return img;
}

}  // namespace

DecodedImage decode_bmp(std::span<const uint8_t> file) {
  if (file.size() < 14 + 12 || !starts_with(file, {'B', 'M'})) throw PictureError("not a BMP file");
  uint32_t offset = le32(file, 10);
  return decode_dib(file.subspan(14), file, offset, false);
}

DecodedImage decode_ico(std::span<const uint8_t> file) {
  if (file.size() < 6 || le16(file, 0) != 0 || (le16(file, 2) != 1 && le16(file, 2) != 2))
    throw PictureError("not an icon file");
  size_t count = le16(file, 4);
  if (count == 0 || 6 + count * 16 > file.size()) throw PictureError("icon directory truncated");
  size_t best = count;
  uint64_t best_area = 0;
  unsigned best_depth = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t e = 6 + i * 16;
    uint64_t w = file[e] ? file[e] : 256, h = file[e + 1] ? file[e + 1] : 256;
    unsigned depth = le16(file, e + 6);
    uint64_t area = w * h;
    if (best == count || area > best_area || (area == best_area && depth > best_depth)) {
      best = i;
      best_area = area;
      best_depth = depth;
    }
  }
  const size_t e = 6 + best * 16;
  uint32_t size = le32(file, e + 8), offset = le32(file, e + 12);
  if (offset > file.size() || size > file.size() - offset) throw PictureError("icon image out of range");
  std::span<const uint8_t> image = file.subspan(offset, size);
  if (starts_with(image, {0x89, 'P', 'N', 'G'})) return decode_png(image);
  return decode_dib(image, image, 0, true);
}

}  // namespace qel::wizard
