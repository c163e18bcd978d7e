#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "stub/dialog_preloader.h"
#include "stub/pe_image.h"

namespace qel {
namespace {

void put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// DOS header, "PE\0\0", file header, an optional header of 240 bytes, sections.
std::vector<unsigned char> image(const std::vector<std::pair<uint32_t, uint32_t>>& sections) {
  const size_t pe = 0x80, optional = 240;
  std::vector<unsigned char> b(pe + 24 + optional + 40 * sections.size(), 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, pe);
  std::memcpy(&b[pe], "PE\0\0", 4);
  b[pe + 4 + 2] = static_cast<unsigned char>(sections.size());
  b[pe + 4 + 16] = optional & 0xFF;
  for (size_t i = 0; i < sections.size(); ++i) {
    const size_t s = pe + 24 + optional + 40 * i;
    put32(b, s + 16, sections[i].second);  // raw size
    put32(b, s + 20, sections[i].first);   // raw offset
  }
  return b;
}

TEST(PeImage, EndIsTheLargestRawOffsetPlusSizeInAnyOrder) {
  const struct {
    std::vector<std::pair<uint32_t, uint32_t>> sections;
    uint64_t end;
  } cases[] = {
      {{{0x400, 0x200}}, 0x600},
      {{{0x400, 0x1000}, {0x1400, 0x200}, {0x1600, 0}}, 0x1600},
      {{{0x2000, 0x800}, {0x400, 0x1000}}, 0x2800},  // later section stored first
      {{}, 0},
  };
  for (const auto& c : cases) {
    const auto b = image(c.sections);
    EXPECT_EQ(pe_image_end(b.data(), b.size()), c.end);
  }
}

TEST(PeImage, RejectsWhatIsNotAnImage) {
  auto b = image({{0x400, 0x200}});
  EXPECT_EQ(pe_image_end(b.data(), b.size() - 1), 0u);  // section table cut off
  auto bad_sig = b;
  bad_sig[0x80] = 'X';
  EXPECT_EQ(pe_image_end(bad_sig.data(), bad_sig.size()), 0u);
  auto far_pe = b;
  put32(far_pe, 0x3C, 0xFFFFFFF0u);
  EXPECT_EQ(pe_image_end(far_pe.data(), far_pe.size()), 0u);
  EXPECT_EQ(pe_image_end(b.data(), 0x20), 0u);
}

TEST(DialogPreloader, CountsOnlyEnabledDisplayDialogStatements) {
  Payload p;
  p.names = {"Display Dialog", "Display Dialog", "display dialog", "Set Variable", "Display Dialog"};
  p.flags = {"", "C", "", "", ""};
  EXPECT_EQ(enabled_display_dialogs(p), (std::vector<size_t>{0, 4}));
}

}  // namespace
}  // namespace qel
