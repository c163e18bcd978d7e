#include "wizard/picture_data.h"

#include <gtest/gtest.h>

#include "wizard/form_parser.h"
#include "wizard/tests/fixture_file.h"

namespace qel::wizard {
namespace {

using testing::read_fixture;

std::vector<uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }
std::vector<uint8_t> fixture_bytes(const char* name) { return bytes_of(read_fixture(name)); }

struct Rgba {
  int r, g, b, a;
  bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Rgba& c) {
  return o << "(" << c.r << "," << c.g << "," << c.b << "," << c.a << ")";
}
Rgba pixel(const DecodedImage& img, uint32_t x, uint32_t y) {
  const uint8_t* p = &img.bgra.at((size_t{y} * img.width + x) * 4);
  return {p[2], p[1], p[0], p[3]};
}

const Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};

TEST(Png, KnownPixelsOfSmallImages) {
  struct Case {
    const char* file;
    uint32_t w, h;
    std::vector<std::pair<std::pair<uint32_t, uint32_t>, Rgba>> pixels;
    bool alpha;
  };
  const Case cases[] = {
      {"rgba.png", 2, 2, {{{0, 0}, kRed}, {{1, 0}, kGreen}, {{0, 1}, kBlue}}, true},
      {"rgba16.png", 2, 2, {{{0, 0}, kRed}, {{1, 0}, kGreen}, {{0, 1}, kBlue}}, true},
      {"rgba_interlaced.png", 2, 2, {{{0, 0}, kRed}, {{1, 0}, kGreen}, {{0, 1}, kBlue}}, true},
      {"palette.png", 3, 2, {{{0, 0}, kRed}, {{1, 0}, kBlue}, {{2, 1}, kGreen}, {{0, 1}, kRed}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    DecodedImage img = decode_png(fixture_bytes(c.file));
    EXPECT_EQ(img.width, c.w);
    EXPECT_EQ(img.height, c.h);
    EXPECT_EQ(img.has_alpha, c.alpha);
    for (const auto& [at, colour] : c.pixels) EXPECT_EQ(pixel(img, at.first, at.second), colour);
  }
  // the half-transparent white corner
  Rgba corner = pixel(decode_png(fixture_bytes("rgba.png")), 1, 1);
  EXPECT_EQ(corner.r, 255);
  EXPECT_NEAR(corner.a, 128, 1);
}

TEST(Png, VariantsOfOneImageDecodeAlike) {
  const DecodedImage reference = decode_png(fixture_bytes("grad.png"));
  ASSERT_EQ(reference.width, 11u);
  EXPECT_EQ(pixel(reference, 0, 0).r, 255);
  EXPECT_EQ(pixel(reference, 0, 6).b, 255);
  for (const char* file : {"grad_interlaced.png", "grad16.png"}) {
    SCOPED_TRACE(file);
    DecodedImage img = decode_png(fixture_bytes(file));
    EXPECT_EQ(img.bgra, reference.bgra);
  }
  DecodedImage rgb = decode_png(fixture_bytes("grad_rgb.png"));
  EXPECT_FALSE(rgb.has_alpha);
  for (size_t i = 0; i < rgb.bgra.size(); ++i)
    if (i % 4 != 3) {
      ASSERT_EQ(rgb.bgra[i], reference.bgra[i]) << i;
    }
}

TEST(Png, GrayscaleDepths) {
  DecodedImage bits = decode_png(fixture_bytes("gray1.png"));
  EXPECT_EQ(pixel(bits, 0, 0), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(pixel(bits, 10, 6), (Rgba{0, 0, 0, 255}));
  DecodedImage ga = decode_png(fixture_bytes("gray_alpha.png"));
  EXPECT_EQ(pixel(ga, 0, 0).r, 255);
  EXPECT_NEAR(pixel(ga, 0, 0).a, 128, 1);
  EXPECT_EQ(pixel(ga, 0, 0).g, pixel(ga, 0, 0).b);
}

TEST(Png, DamagedFilesAreRejected) {
  std::vector<uint8_t> good = fixture_bytes("rgba.png");
  auto flipped = [&](size_t at) {
    auto copy = good;
    copy.at(at) ^= 0x40;
    return copy;
  };
  auto truncated = std::vector<uint8_t>(good.begin(), good.begin() + 40);
  std::vector<uint8_t> huge = good;
  huge[16] = 0x7F;  // width 2^30: checksum now wrong as well
  const std::vector<std::vector<uint8_t>> cases = {flipped(0), flipped(20), truncated, huge, {}};
  for (const auto& c : cases) EXPECT_THROW(decode_png(c), PictureError);
}

TEST(Bmp, PalettedAndTrueColour) {
  for (const char* file : {"rgb24.bmp", "pal8.bmp"}) {
    SCOPED_TRACE(file);
    DecodedImage img = decode_bmp(fixture_bytes(file));
    ASSERT_EQ(img.width, 3u);
    ASSERT_EQ(img.height, 2u);
    EXPECT_EQ(pixel(img, 0, 0), kRed);
    EXPECT_EQ(pixel(img, 1, 0), kBlue);
    EXPECT_EQ(pixel(img, 2, 1), kGreen);
    EXPECT_FALSE(img.has_alpha);
  }
  std::vector<uint8_t> cut = fixture_bytes("rgb24.bmp");
  cut.resize(cut.size() - 4);
  EXPECT_THROW(decode_bmp(cut), PictureError);
}

TEST(Ico, MaskAndColours) {
  DecodedImage img = decode_ico(fixture_bytes("icon16.ico"));
  ASSERT_EQ(img.width, 16u);
  ASSERT_EQ(img.height, 16u);
  EXPECT_EQ(pixel(img, 0, 0).a, 0);
  EXPECT_EQ(pixel(img, 5, 5), kRed);
  EXPECT_TRUE(img.has_alpha);
}

TEST(PictureProperty, EachClassFromAFormFile) {
  FormObject form = parse_form(read_fixture("pictures.dfm"));
  struct Case {
    size_t child;
    const char* class_name;
    PictureFormat format;
    const char* original;
  };
  const Case cases[] = {
      {0, "TPngImage", PictureFormat::Png, "rgba.png"},
      {1, "TBitmap", PictureFormat::Bitmap, "rgb24.bmp"},
      {2, "TIcon", PictureFormat::Icon, "icon16.ico"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.class_name);
    PictureFile pic = decode_picture_property(form.children.at(c.child).find("Picture.Data")->value.bytes);
    EXPECT_EQ(pic.class_name, c.class_name);
    EXPECT_EQ(pic.format, c.format);
    EXPECT_EQ(pic.bytes, fixture_bytes(c.original));
  }
  PictureFile glyph = decode_glyph_property(form.children.at(3).find("Glyph.Data")->value.bytes);
  EXPECT_EQ(glyph.bytes, fixture_bytes("pal8.bmp"));
  EXPECT_EQ(pixel(decode_bmp(glyph.bytes), 1, 0), kBlue);
}

TEST(PictureProperty, MalformedData) {
  auto with_class = [](std::string cls, std::string body) {
    std::string s(1, static_cast<char>(cls.size()));
    return bytes_of(s + cls + body);
  };
  const std::vector<std::vector<uint8_t>> cases = {
      {},
      {0},
      {20, 'T', 'B'},
      with_class("TWidget", "BM...."),
      with_class("TBitmap", std::string("\x10\0\0\0", 4) + "not a picture at all"),
      with_class("TBitmap", std::string("\xFF\xFF\0\0", 4) + "BM"),
  };
  for (const auto& c : cases) EXPECT_THROW(decode_picture_property(c), PictureError);
  EXPECT_THROW(decode_glyph_property(bytes_of(std::string("\x09\0\0\0", 4) + "BMshort")), PictureError);
  EXPECT_THROW(decode_glyph_property(bytes_of(std::string("\x02\0\0\0", 4) + "XX")), PictureError);
}

}  // namespace
}  // namespace qel::wizard
