// Picture payloads stored in form files, and decoders of the formats they hold.
// Portable: no windows.h. Decoded pictures are 32-bit BGRA, top-down, with
// straight (not premultiplied) alpha.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace qel::wizard {

class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class PictureFormat { Bitmap, Icon, Jpeg, Png, Metafile };

struct PictureFile {
  std::string class_name;      // as stored, e.g. "TBitmap"; empty for glyph data
  PictureFormat format = PictureFormat::Bitmap;
  std::vector<uint8_t> bytes;  // the complete file (BMP, ICO, JPEG, PNG, WMF/EMF)
};

// "Picture.Data": a length-prefixed class name, then the graphic's own data (for
// bitmaps, JPEG images and metafiles preceded by a 4-byte size). The format is
// taken from the data's signature; the class name only has to be a known one.
PictureFile decode_picture_property(std::span<const uint8_t> data);
// "Glyph.Data" / "Bitmap.Data": a 4-byte size, then a BMP file.
PictureFile decode_glyph_property(std::span<const uint8_t> data);

struct DecodedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> bgra;  // width * height * 4
  bool has_alpha = false;     // some pixel is not fully opaque
};

// Largest accepted picture side; protects against absurd header sizes.
inline constexpr uint32_t kMaxPictureSide = 16384;

DecodedImage decode_png(std::span<const uint8_t> file);
// BMP file ("BM" header): 1, 4, 8, 16, 24, 32 bits, uncompressed or bit fields.
DecodedImage decode_bmp(std::span<const uint8_t> file);
// ICO file: the entry with the largest area (then the highest depth); PNG or DIB entries.
DecodedImage decode_ico(std::span<const uint8_t> file);

}  // namespace qel::wizard
