#include "archive/sevenzip/method_ids.h"

#include <array>
#include <cstdio>

namespace qel::archive {
namespace {

struct KnownMethod {
  uint64_t id;
  const char* name;
  Method method;
};

constexpr std::array kKnown = {
    KnownMethod{0x00, "Copy", Method::Copy},
    KnownMethod{0x030101, "LZMA", Method::Lzma},
    KnownMethod{0x21, "LZMA2", Method::Lzma2},
    KnownMethod{0x03030103, "BCJ", Method::BcjX86},
    KnownMethod{0x04, "BCJ", Method::BcjX86},
    KnownMethod{0x0303011B, "BCJ2", Method::Bcj2},
    KnownMethod{0x040108, "Deflate", Method::Deflate},
    KnownMethod{0x06F10701, "7zAES", Method::Aes},
    KnownMethod{0x03, "Delta", Method::Unknown},
    KnownMethod{0x05, "PPC", Method::Unknown},
    KnownMethod{0x06, "IA64", Method::Unknown},
    KnownMethod{0x07, "ARM", Method::Unknown},
    KnownMethod{0x08, "ARMT", Method::Unknown},
    KnownMethod{0x09, "SPARC", Method::Unknown},
    KnownMethod{0x0A, "ARM64", Method::Unknown},
    KnownMethod{0x0B, "RISCV", Method::Unknown},
    KnownMethod{0x03030205, "PPC", Method::Unknown},
    KnownMethod{0x03030401, "IA64", Method::Unknown},
    KnownMethod{0x03030501, "ARM", Method::Unknown},
    KnownMethod{0x03030701, "ARMT", Method::Unknown},
    KnownMethod{0x03030805, "SPARC", Method::Unknown},
    KnownMethod{0x030401, "PPMD", Method::Unknown},
    KnownMethod{0x040109, "Deflate64", Method::Unknown},
    KnownMethod{0x040202, "BZip2", Method::Unknown},
    KnownMethod{0x04F71101, "ZSTD", Method::Unknown},
    KnownMethod{0x04F71102, "BROTLI", Method::Unknown},
    KnownMethod{0x04F71104, "LZ4", Method::Unknown},
};

const KnownMethod* find(std::span<const uint8_t> id) {
  if (id.size() > 8) return nullptr;
  uint64_t value = 0;
  for (const uint8_t b : id) value = (value << 8) | b;
  for (const auto& m : kKnown)
    if (m.id == value) return &m;
  return nullptr;
}

}  // namespace

Method method_from_id(std::span<const uint8_t> id) {
  const auto* m = find(id);
  return m ? m->method : Method::Unknown;
}

std::string method_id_hex(std::span<const uint8_t> id) {
  std::string out;
  char buf[3];
  for (const uint8_t b : id) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    out += buf;
  }
  return out.empty() ? "00" : out;
}

std::string method_name(std::span<const uint8_t> id) {
  const auto* m = find(id);
  return m ? m->name : method_id_hex(id);
}

}  // namespace qel::archive
