#include "wizard/form_model.h"

#include <cstdio>

#include "engine/ascii.h"

namespace qel::wizard {

const Property* FormObject::find(std::string_view property_name) const {
  for (const Property& p : properties)
    if (EqualsNoCase(p.name, property_name)) return &p;
  return nullptr;
}

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::u16string cp1252_to_utf16(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) {
    if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] != 0)
      out.push_back(kCp1252High[c - 0x80]);
    else
      out.push_back(c);
  }
  return out;
}

std::string utf16_to_cp1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t u : text) {
    if (u < 0x80 || (u >= 0xA0 && u < 0x100) || (u >= 0x80 && u < 0xA0 && kCp1252High[u - 0x80] == 0)) {
      out.push_back(static_cast<char>(u));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i)
      if (kCp1252High[i] == u) mapped = static_cast<char>(0x80 + i);
    out.push_back(mapped);
  }
  return out;
}

}  // namespace

TextCodec windows1252_codec() { return TextCodec{cp1252_to_utf16, utf16_to_cp1252}; }

std::string value_as_text(const Value& value, const TextCodec& codec) {
  switch (value.kind) {
    case ValueKind::Integer:
      return std::to_string(value.integer);
    case ValueKind::Float: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15g", value.number);
      return buffer;
    }
    case ValueKind::Identifier:
      return value.identifier;
    case ValueKind::String:
      return codec.to_ansi(value.text);
    case ValueKind::Set: {
      std::string out = "[";
      for (size_t i = 0; i < value.set.size(); ++i) {
        if (i) out += ',';
        out += value.set[i];
      }
      return out + "]";
    }
    case ValueKind::List: {
      std::string out;
      for (size_t i = 0; i < value.list.size(); ++i) {
        if (i) out += "\r\n";
        out += value_as_text(value.list[i], codec);
      }
      return out;
    }
    case ValueKind::Collection:
    {
      std::string out = "(";
      out += std::to_string(value.items.size());
      out += " items)";
      return out;
    }
    case ValueKind::Binary: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string out;
      out.reserve(value.bytes.size() * 2);
      for (uint8_t b : value.bytes) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
      }
      return out;
    }
  }
  return {};
}

}  // namespace qel::wizard
