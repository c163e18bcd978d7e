// Small pieces of the reader checked on their own: names, text, CRC, numbers, keys.
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include "archive/sevenzip/aes_coder.h"
#include "archive/sevenzip/byte_reader.h"
#include "archive/sevenzip/crc32.h"
#include "archive/sevenzip/crypto.h"
#include "archive/sevenzip/database.h"
#include "archive/sevenzip/errors.h"
#include "archive/sevenzip/method_ids.h"
#include "archive/sevenzip/path_safety.h"
#include "archive/sevenzip/utf.h"

namespace qel::archive {
namespace {

TEST(PathSafety, SplitsSafeNames) {
  struct Case {
    const char* name;
    std::vector<std::string> parts;
  };
  const Case cases[] = {{"a", {"a"}},
                        {"a/b\\c", {"a", "b", "c"}},
                        {"./a//b/", {"a", "b"}},
                        {"a/.hidden", {"a", ".hidden"}},
                        {"x..y", {"x..y"}},
                        {"COM", {"COM"}},
                        {"LPT", {"LPT"}},
                        {"nullify", {"nullify"}},
                        {"\xC3\xA4/\xE6\x97\xA5", {"\xC3\xA4", "\xE6\x97\xA5"}}};
  for (const Case& c : cases) EXPECT_EQ(safe_path_components(c.name), c.parts) << c.name;
}

TEST(PathSafety, RefusesWithAReason) {
  struct Case {
    const char* component;
    const char* reason_part;
  };
  const Case cases[] = {{"..", "parent"},        {"C:", ":"},           {"a:stream", ":"},     {"CON", "device"},
                        {"con.txt", "device"},   {"Nul", "device"},     {"COM1", "device"},    {"lpt0.x", "device"},
                        {"COM\xC2\xB9", "device"}, {"CONIN$", "device"}, {"prn .a", "device"}, {"name.", "dot or space"},
                        {"name ", "dot or space"}, {"a|b", "character"}, {"a\x01", "character"}};
  for (const Case& c : cases) {
    const std::string reason = unsafe_component_reason(c.component);
    EXPECT_NE(reason.find(c.reason_part), std::string::npos) << c.component << ": " << reason;
  }
}

TEST(Utf, RoundTripsAndReplacesInvalidUnits) {
  EXPECT_EQ(utf8_from_utf16(u"A\u00E4\u65E5\U0001F600"), "A\xC3\xA4\xE6\x97\xA5\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16_from_utf8("A\xC3\xA4\xE6\x97\xA5\xF0\x9F\x98\x80"), u"A\u00E4\u65E5\U0001F600");
  const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
  EXPECT_EQ(utf8_from_utf16(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_EQ(utf16_from_utf8("\xC0\xAF"), u"\uFFFD");  // overlong form
  EXPECT_EQ(utf16le_bytes("A\xC3\xA4"), std::string("A\0\xE4\0", 4));
}

TEST(Crc32, KnownValuesAndIncrementalUpdate) {
  const std::string check = "123456789";
  EXPECT_EQ(crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
  EXPECT_EQ(crc32(nullptr, 0), 0u);
  const auto* p = reinterpret_cast<const uint8_t*>(check.data());
  EXPECT_EQ(crc32_update(crc32(p, 4), p + 4, 5), 0xCBF43926u);
}

TEST(ByteReader, DecodesSevenZipNumbers) {
  struct Case {
    std::vector<uint8_t> bytes;
    uint64_t value;
  };
  const Case cases[] = {{{0x00}, 0},
                        {{0x7F}, 0x7F},
                        {{0x80, 0x80}, 0x80},
                        {{0xBF, 0xFF}, 0x3FFF},
                        {{0xC0, 0x00, 0x40}, 0x4000},
                        {{0xE1, 0x02, 0x03, 0x04}, 0x01040302},
                        {{0xFF, 1, 2, 3, 4, 5, 6, 7, 8}, 0x0807060504030201ull}};
  for (const Case& c : cases) {
    ByteReader r(c.bytes);
    EXPECT_EQ(r.read_number(), c.value);
    EXPECT_EQ(r.remaining(), 0u);
  }
  const std::vector<uint8_t> short_number = {0xC0, 0x00};
  ByteReader r(short_number);
  EXPECT_THROW(r.read_number(), ArchiveError);
}

TEST(Attributes, UnixExtensionIsDropped) {
  struct Case {
    uint32_t stored, windows;
  };
  for (const Case c : {Case{0x81A48020u, 0x20u}, Case{0x41ED8010u, 0x10u}, Case{0x21u, 0x21u}, Case{0x2u, 0x2u}})
    EXPECT_EQ(windows_attributes(c.stored), c.windows) << std::hex << c.stored;
}

TEST(MethodIds, NamesAndHex) {
  const std::vector<uint8_t> ppmd = {0x03, 0x04, 0x01}, lzma2 = {0x21}, odd = {0x3F, 0x01};
  EXPECT_EQ(method_name(ppmd), "PPMD");
  EXPECT_EQ(method_id_hex(ppmd), "030401");
  EXPECT_EQ(method_from_id(lzma2), Method::Lzma2);
  EXPECT_EQ(method_name(odd), "3F01");
  EXPECT_EQ(method_from_id(odd), Method::Unknown);
}

// The key derivation against a straightforward SHA-256 over the concatenated rounds.
TEST(AesKey, MatchesDirectHashOfAllRounds) {
  struct Case {
    unsigned cycles;
    std::vector<uint8_t> salt;
    std::string password;
  };
  const Case cases[] = {{0, {}, "pw"}, {6, {1, 2, 3}, "p\xC3\xA4ss"}, {12, {}, ""}, {9, std::vector<uint8_t>(16, 7), "x"}};
  for (const Case& c : cases) {
    std::string all;
    const std::string pw = utf16le_bytes(c.password);
    for (uint64_t round = 0; round < (uint64_t{1} << c.cycles); ++round) {
      all.append(c.salt.begin(), c.salt.end());
      all += pw;
      for (int b = 0; b < 8; ++b) all += static_cast<char>(round >> (8 * b));
    }
    std::array<uint8_t, 32> expected{};
    SHA256(reinterpret_cast<const unsigned char*>(all.data()), all.size(), expected.data());
    AesProperties props;
    props.cycles_power = c.cycles;
    props.salt = c.salt;
    EXPECT_EQ(derive_aes_key(c.password, props), expected) << c.cycles;
  }
}

TEST(AesKey, RawKeyCaseCopiesSaltAndPassword) {
  AesProperties props;
  props.cycles_power = 0x3F;
  props.salt = {9, 8};
  const auto key = derive_aes_key("ab", props);
  const std::array<uint8_t, 32> expected = {9, 8, 'a', 0, 'b', 0};
  EXPECT_EQ(key, expected);
}

TEST(AesProperties, ParsesSaltAndIvSizes) {
  // cycles 19, salt and iv flags, 0 extra salt bytes, 15 extra iv bytes -> iv of 16.
  std::vector<uint8_t> props = {0x40 | 19, 0x0F};
  for (uint8_t i = 0; i < 16; ++i) props.push_back(i);
  const AesProperties p = parse_aes_properties(props);
  EXPECT_EQ(p.cycles_power, 19u);
  EXPECT_TRUE(p.salt.empty());
  EXPECT_EQ(p.iv[15], 15);
  props.pop_back();
  EXPECT_THROW(parse_aes_properties(props), ArchiveError);
  EXPECT_THROW(parse_aes_properties(std::vector<uint8_t>{40}), UnsupportedMethodError);
}

TEST(Crypto, Aes256CbcKnownAnswer) {
  // NIST SP 800-38A F.2.6 (CBC-AES256.Decrypt), first two blocks.
  const std::array<uint8_t, 32> key = {0x60, 0x3d, 0xeb, 0x10, 0x15, 0xca, 0x71, 0xbe, 0x2b, 0x73, 0xae,
                                       0xf0, 0x85, 0x7d, 0x77, 0x81, 0x1f, 0x35, 0x2c, 0x07, 0x3b, 0x61,
                                       0x08, 0xd7, 0x2d, 0x98, 0x10, 0xa3, 0x09, 0x14, 0xdf, 0xf4};
  const std::array<uint8_t, 16> iv = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  std::vector<uint8_t> data = {0xf5, 0x8c, 0x4c, 0x04, 0xd6, 0xe5, 0xf1, 0xba, 0x77, 0x9e, 0xab,
                               0xfb, 0x5f, 0x7b, 0xfb, 0xd6, 0x9c, 0xfc, 0x4e, 0x96, 0x7e, 0xdb,
                               0x80, 0x8d, 0x67, 0x9f, 0x77, 0x7b, 0xc6, 0x70, 0x2c, 0x7d};
  const std::vector<uint8_t> plain = {0x6b, 0xc1, 0xbe, 0xe2, 0x2e, 0x40, 0x9f, 0x96, 0xe9, 0x3d, 0x7e,
                                      0x11, 0x73, 0x93, 0x17, 0x2a, 0xae, 0x2d, 0x8a, 0x57, 0x1e, 0x03,
                                      0xac, 0x9c, 0x9e, 0xb7, 0x6f, 0xac, 0x45, 0xaf, 0x8e, 0x51};
  crypto::Aes256CbcDecryptor whole(key, iv);
  auto a = data;
  whole.decrypt(a.data(), a.size());
  EXPECT_EQ(a, plain);
  // Chaining carries over between calls.
  crypto::Aes256CbcDecryptor split(key, iv);
  auto b = data;
  split.decrypt(b.data(), 16);
  split.decrypt(b.data() + 16, 16);
  EXPECT_EQ(b, plain);
}

}  // namespace
}  // namespace qel::archive
