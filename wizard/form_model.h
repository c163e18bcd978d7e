// The tree a text form file describes: objects with ordered, typed properties.
// Portable: no windows.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::wizard {

enum class ValueKind { Integer, Float, Identifier, String, Set, List, Collection, Binary };

struct CollectionItem;

struct Value {
  ValueKind kind = ValueKind::Integer;
  int64_t integer = 0;
  double number = 0;                // Float
  std::string identifier;           // Identifier: True, clBtnFace, nil, Form1.Button1
  std::u16string text;              // String, exactly as the file spells it (UTF-16 code units)
  std::vector<std::string> set;     // Set members in file order
  std::vector<Value> list;          // List
  std::vector<CollectionItem> items;
  std::vector<uint8_t> bytes;       // Binary
};

struct Property {
  std::string name;  // dotted as written: "Font.Name", "Lines.Strings"
  Value value;
  int line = 0;
};

struct CollectionItem {
  std::optional<int64_t> order;  // an integer written before "item"
  std::vector<Property> properties;
};

enum class ObjectKind { Object, Inherited, Inline };

struct FormObject {
  ObjectKind kind = ObjectKind::Object;
  std::string name;        // empty for a nameless object
  std::string class_name;
  std::optional<int64_t> position;  // "[n]" after the class
  std::vector<Property> properties;
  std::vector<FormObject> children;
  int line = 0;

  // Property by name, ignoring ASCII case; nullptr when absent.
  const Property* find(std::string_view property_name) const;
};

// Converts between the file's or system's 8-bit code page and UTF-16. The
// portable default is Windows-1252; the Windows runtime installs the ANSI code page.
struct TextCodec {
  std::u16string (*to_utf16)(std::string_view ansi) = nullptr;
  std::string (*to_ansi)(std::u16string_view text) = nullptr;
};
TextCodec windows1252_codec();

// A property value as the text the property interface reads and writes:
// integers in decimal, identifiers as written, strings converted with the codec,
// sets as "[a,b]", lists of strings joined by CR LF, binary as upper-case hex.
std::string value_as_text(const Value& value, const TextCodec& codec);

}  // namespace qel::wizard
