#include "wizard/form_parser.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "engine/ascii.h"

namespace qel::wizard {

FormParseError::FormParseError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message), line_(line) {}

namespace {

bool is_utf8(std::string_view s, bool& any_high) {
  any_high = false;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    any_high = true;
    size_t extra;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    for (size_t k = 1; k <= extra; ++k) {
      if (i + k >= s.size()) return false;
      unsigned char cc = s[i + k];
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

// Only called on text already checked by is_utf8.
void append_utf8_as_utf16(std::string_view s, std::u16string& out) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    uint32_t cp;
    size_t extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if (c < 0xE0) {
      cp = c & 0x1F;
      extra = 1;
    } else if (c < 0xF0) {
      cp = c & 0x0F;
      extra = 2;
    } else {
      cp = c & 0x07;
      extra = 3;
    }
    for (size_t k = 1; k <= extra && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
}

enum class Tok { End, Symbol, String, Integer, Float, Char };

struct Token {
  Tok kind = Tok::End;
  std::string symbol;     // Symbol; Char holds its one character here
  std::u16string text;    // String
  int64_t integer = 0;
  double number = 0;
  int line = 1;
};

bool symbol_start(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool symbol_char(unsigned char c) { return symbol_start(c) || (c >= '0' && c <= '9'); }
bool digit(unsigned char c) { return c >= '0' && c <= '9'; }
int hex_value(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Lexer {
 public:
  Lexer(std::string_view text, SourceEncoding encoding, const TextCodec& codec)
      : s_(text), utf8_(encoding == SourceEncoding::Utf8), codec_(codec) {}

  const Token& peek() {
    if (!have_) {
      current_ = scan();
      have_ = true;
    }
    return current_;
  }
  Token next() {
    peek();
    have_ = false;
    return current_;
  }
  bool peek_char(char c) { return peek().kind == Tok::Char && peek().symbol[0] == c; }
  int line() { return peek().line; }

  // After a '{' token: hex digit pairs, any white space, up to '}'.
  std::vector<uint8_t> binary(int open_line) {
    std::vector<uint8_t> out;
    int pending = -1;
    while (true) {
      if (pos_ >= s_.size()) throw FormParseError(open_line, "binary value not closed with '}'");
      unsigned char c = s_[pos_++];
      if (c == '}') break;
      if (c == '\n') {
        ++line_;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      int v = hex_value(c);
      if (v < 0) throw FormParseError(line_, std::string("invalid character '") + static_cast<char>(c) + "' in binary value");
      if (pending < 0) {
        pending = v;
      } else {
        out.push_back(static_cast<uint8_t>(pending * 16 + v));
        pending = -1;
      }
    }
    if (pending >= 0) throw FormParseError(line_, "binary value has an odd number of hex digits");
    return out;
  }

 private:
  void skip_blanks() {
    while (pos_ < s_.size()) {
      unsigned char c = s_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == 0x1A) {
        ++pos_;
      } else {
        break;
      }
    }
  }

  void append_piece(std::string_view bytes, std::u16string& out) {
    if (utf8_) {
      append_utf8_as_utf16(bytes, out);
    } else {
      out += codec_.to_utf16(bytes);
    }
  }

  Token scan() {
    skip_blanks();
    Token t;
    t.line = line_;
    if (pos_ >= s_.size()) return t;
    unsigned char c = s_[pos_];
    if (c == '\'' || c == '#') return scan_string(t);
    if (symbol_start(c)) {
      size_t start = pos_;
      while (pos_ < s_.size() && symbol_char(s_[pos_])) ++pos_;
      t.kind = Tok::Symbol;
      t.symbol.assign(s_.substr(start, pos_ - start));
      return t;
    }
    if (c == '$') return scan_hex_number(t, false);
    if (digit(c) || ((c == '-' || c == '+') && pos_ + 1 < s_.size() && (digit(s_[pos_ + 1]) || s_[pos_ + 1] == '$')))
      return scan_number(t);
    ++pos_;
    t.kind = Tok::Char;
    t.symbol.assign(1, static_cast<char>(c));
    return t;
  }

  Token scan_string(Token& t) {
    t.kind = Tok::String;
    while (pos_ < s_.size()) {
      unsigned char c = s_[pos_];
      if (c == '\'') {
        ++pos_;
        std::string piece;
        while (true) {
          if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r')
            throw FormParseError(t.line, "string not closed before the end of the line");
          char d = s_[pos_++];
          if (d == '\'') {
            if (pos_ < s_.size() && s_[pos_] == '\'') {
              piece.push_back('\'');
              ++pos_;
              continue;
            }
            break;
          }
          piece.push_back(d);
        }
        append_piece(piece, t.text);
      } else if (c == '#') {
        ++pos_;
        uint32_t code = 0;
        bool any = false;
        if (pos_ < s_.size() && s_[pos_] == '$') {
          ++pos_;
          while (pos_ < s_.size() && hex_value(s_[pos_]) >= 0) {
            code = code * 16 + hex_value(s_[pos_++]);
            any = true;
            if (code > 0xFFFF) break;
          }
        } else {
          while (pos_ < s_.size() && digit(s_[pos_])) {
            code = code * 10 + (s_[pos_++] - '0');
            any = true;
            if (code > 0xFFFF) break;
          }
        }
        if (!any) throw FormParseError(t.line, "character code expected after '#'");
        if (code > 0xFFFF) throw FormParseError(t.line, "character code above 65535");
        t.text.push_back(static_cast<char16_t>(code));
      } else {
        break;
      }
    }
    return t;
  }

  Token scan_hex_number(Token& t, bool negative) {
    ++pos_;  // '$'
    uint64_t v = 0;
    size_t digits = 0;
    while (pos_ < s_.size() && hex_value(s_[pos_]) >= 0) {
      v = v * 16 + hex_value(s_[pos_++]);
      if (++digits > 16) throw FormParseError(t.line, "hexadecimal number too long");
    }
    if (digits == 0) throw FormParseError(t.line, "hexadecimal digits expected after '$'");
    t.kind = Tok::Integer;
    t.integer = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
    return t;
  }

  Token scan_number(Token& t) {
    size_t start = pos_;
    bool negative = false;
    if (s_[pos_] == '-' || s_[pos_] == '+') {
      negative = s_[pos_] == '-';
      ++pos_;
    }
    if (pos_ < s_.size() && s_[pos_] == '$') return scan_hex_number(t, negative);
    bool is_float = false;
    while (pos_ < s_.size() && digit(s_[pos_])) ++pos_;
    if (pos_ + 1 < s_.size() && s_[pos_] == '.' && digit(s_[pos_ + 1])) {
      is_float = true;
      ++pos_;
      while (pos_ < s_.size() && digit(s_[pos_])) ++pos_;
    }
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      size_t e = pos_ + 1;
      if (e < s_.size() && (s_[e] == '-' || s_[e] == '+')) ++e;
      if (e < s_.size() && digit(s_[e])) {
        is_float = true;
        pos_ = e;
        while (pos_ < s_.size() && digit(s_[pos_])) ++pos_;
      }
    }
    std::string number(s_.substr(start, pos_ - start));
    // Single, currency and date suffixes of float values.
    if (pos_ < s_.size() && (s_[pos_] == 's' || s_[pos_] == 'S' || s_[pos_] == 'c' || s_[pos_] == 'C' ||
                             s_[pos_] == 'd' || s_[pos_] == 'D') &&
        !(pos_ + 1 < s_.size() && symbol_char(s_[pos_ + 1]))) {
      is_float = true;
      ++pos_;
    }
    if (pos_ < s_.size() && symbol_char(s_[pos_])) throw FormParseError(t.line, "invalid number '" + number + "'");
    errno = 0;
    if (is_float) {
      t.kind = Tok::Float;
      t.number = std::strtod(number.c_str(), nullptr);
    } else {
      t.kind = Tok::Integer;
      t.integer = std::strtoll(number.c_str(), nullptr, 10);
      if (errno == ERANGE) throw FormParseError(t.line, "integer out of range: " + number);
    }
    return t;
  }

  std::string_view s_;
  size_t pos_ = 0;
  int line_ = 1;
  bool utf8_;
  const TextCodec& codec_;
  Token current_;
  bool have_ = false;
};

class Parser {
 public:
  explicit Parser(Lexer& lex) : lex_(lex) {}

  FormObject root() {
    FormObject obj = object();
    if (lex_.peek().kind != Tok::End) throw FormParseError(lex_.line(), "text after the final 'end'");
    return obj;
  }

 private:
  static bool is_keyword(const Token& t, std::string_view word) {
    return t.kind == Tok::Symbol && EqualsNoCase(t.symbol, word);
  }
  static std::string describe(const Token& t) {
    switch (t.kind) {
      case Tok::End: return "end of file";
      case Tok::Symbol: return "'" + t.symbol + "'";
      case Tok::String: return "a string";
      case Tok::Integer:
      case Tok::Float: return "a number";
      case Tok::Char: return "'" + t.symbol + "'";
    }
    return "?";
  }
  void expect_char(char c, const std::string& what) {
    Token t = lex_.next();
    if (t.kind != Tok::Char || t.symbol[0] != c)
      throw FormParseError(t.line, std::string("'") + c + "' expected " + what + ", found " + describe(t));
  }
  std::string dotted_symbol(const char* what) {
    Token t = lex_.next();
    if (t.kind != Tok::Symbol) throw FormParseError(t.line, std::string(what) + " expected, found " + describe(t));
    std::string name = t.symbol;
    while (lex_.peek_char('.')) {
      lex_.next();
      Token part = lex_.next();
      if (part.kind != Tok::Symbol) throw FormParseError(part.line, "name expected after '.'");
      name += '.';
      name += part.symbol;
    }
    return name;
  }

  FormObject object() {
    Token head = lex_.next();
    FormObject obj;
    obj.line = head.line;
    if (is_keyword(head, "object")) {
      obj.kind = ObjectKind::Object;
    } else if (is_keyword(head, "inherited")) {
      obj.kind = ObjectKind::Inherited;
    } else if (is_keyword(head, "inline")) {
      obj.kind = ObjectKind::Inline;
    } else {
      throw FormParseError(head.line, "'object' expected, found " + describe(head));
    }
    Token first = lex_.next();
    if (first.kind != Tok::Symbol) throw FormParseError(first.line, "object name or class expected, found " + describe(first));
    if (lex_.peek_char(':')) {
      lex_.next();
      Token cls = lex_.next();
      if (cls.kind != Tok::Symbol) throw FormParseError(cls.line, "class name expected, found " + describe(cls));
      obj.name = first.symbol;
      obj.class_name = cls.symbol;
    } else {
      obj.class_name = first.symbol;
    }
    if (lex_.peek_char('[')) {
      lex_.next();
      Token n = lex_.next();
      if (n.kind != Tok::Integer) throw FormParseError(n.line, "child position expected inside '[ ]'");
      obj.position = n.integer;
      expect_char(']', "after the child position");
    }
    while (true) {
      const Token& t = lex_.peek();
      if (t.kind == Tok::End) throw FormParseError(obj.line, "object '" + obj.name + "' is not closed with 'end'");
      if (is_keyword(t, "end")) {
        lex_.next();
        break;
      }
      if (is_keyword(t, "object") || is_keyword(t, "inherited") || is_keyword(t, "inline")) {
        obj.children.push_back(object());
      } else {
        obj.properties.push_back(property());
      }
    }
    return obj;
  }

  Property property() {
    Property p;
    p.line = lex_.line();
    p.name = dotted_symbol("property name");
    expect_char('=', "after property '" + p.name + "'");
    p.value = value();
    return p;
  }

  std::u16string string_with_continuations(Token first) {
    std::u16string text = std::move(first.text);
    while (lex_.peek_char('+')) {
      lex_.next();
      Token more = lex_.next();
      if (more.kind != Tok::String) throw FormParseError(more.line, "string expected after '+'");
      text += more.text;
    }
    return text;
  }

  Value value() {
    Token t = lex_.next();
    Value v;
    switch (t.kind) {
      case Tok::Integer:
        v.kind = ValueKind::Integer;
        v.integer = t.integer;
        return v;
      case Tok::Float:
        v.kind = ValueKind::Float;
        v.number = t.number;
        return v;
      case Tok::String:
        v.kind = ValueKind::String;
        v.text = string_with_continuations(std::move(t));
        return v;
      case Tok::Symbol: {
        v.kind = ValueKind::Identifier;
        v.identifier = t.symbol;
        while (lex_.peek_char('.')) {
          lex_.next();
          Token part = lex_.next();
          if (part.kind != Tok::Symbol) throw FormParseError(part.line, "name expected after '.'");
          v.identifier += '.';
          v.identifier += part.symbol;
        }
        return v;
      }
      case Tok::Char:
        break;
      case Tok::End:
        throw FormParseError(t.line, "value expected, found end of file");
    }
    switch (t.symbol[0]) {
      case '[': return set_value(t.line);
      case '(': return list_value(t.line);
      case '<': return collection_value(t.line);
      case '{':
        v.kind = ValueKind::Binary;
        v.bytes = lex_.binary(t.line);
        return v;
      default:
        throw FormParseError(t.line, "value expected, found " + describe(t));
    }
  }

  Value set_value(int line) {
    Value v;
    v.kind = ValueKind::Set;
    if (lex_.peek_char(']')) {
      lex_.next();
      return v;
    }
    while (true) {
      Token m = lex_.next();
      if (m.kind == Tok::Symbol)
        v.set.push_back(m.symbol);
      else if (m.kind == Tok::Integer)
        v.set.push_back(std::to_string(m.integer));
      else if (m.kind == Tok::End)
        throw FormParseError(line, "set not closed with ']'");
      else
        throw FormParseError(m.line, "set member expected, found " + describe(m));
      Token sep = lex_.next();
      if (sep.kind == Tok::Char && sep.symbol[0] == ']') break;
      if (sep.kind != Tok::Char || sep.symbol[0] != ',')
        throw FormParseError(sep.line, "',' or ']' expected in set, found " + describe(sep));
    }
    return v;
  }

  Value list_value(int line) {
    Value v;
    v.kind = ValueKind::List;
    while (true) {
      const Token& t = lex_.peek();
      if (t.kind == Tok::End) throw FormParseError(line, "list not closed with ')'");
      if (t.kind == Tok::Char && t.symbol[0] == ')') {
        lex_.next();
        break;
      }
      v.list.push_back(value());
    }
    return v;
  }

  Value collection_value(int line) {
    Value v;
    v.kind = ValueKind::Collection;
    while (true) {
      Token t = lex_.next();
      if (t.kind == Tok::End) throw FormParseError(line, "collection not closed with '>'");
      if (t.kind == Tok::Char && t.symbol[0] == '>') break;
      CollectionItem item;
      if (t.kind == Tok::Char && t.symbol[0] == '[') {  // "[n] item" as some writers put it
        Token n = lex_.next();
        if (n.kind != Tok::Integer) throw FormParseError(n.line, "item order expected inside '[ ]'");
        item.order = n.integer;
        expect_char(']', "after the item order");
        t = lex_.next();
      } else if (t.kind == Tok::Integer) {
        item.order = t.integer;
        t = lex_.next();
      }
      if (!is_keyword(t, "item")) throw FormParseError(t.line, "'item' expected in collection, found " + describe(t));
      while (true) {
        const Token& p = lex_.peek();
        if (p.kind == Tok::End) throw FormParseError(t.line, "collection item not closed with 'end'");
        if (is_keyword(p, "end")) {
          lex_.next();
          break;
        }
        item.properties.push_back(property());
      }
      v.items.push_back(std::move(item));
    }
    return v;
  }

  Lexer& lex_;
};

}  // namespace

SourceEncoding detect_encoding(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return SourceEncoding::Utf8;
  bool any_high = false;
  return is_utf8(bytes, any_high) && any_high ? SourceEncoding::Utf8 : SourceEncoding::Ansi;
}

FormObject parse_form(std::string_view bytes, const TextCodec& codec) {
  if (bytes.substr(0, 4) == "TPF0" || bytes.substr(0, 3) == "\xFF\x0A\x00")
    throw FormParseError(0, "binary form file (TPF0) is not supported: save the form as text");
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
    throw FormParseError(0, "UTF-16 form files are not supported: save the form as ANSI or UTF-8");
  SourceEncoding encoding = detect_encoding(bytes);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  Lexer lex(bytes, encoding, codec);
  Parser parser(lex);
  return parser.root();
}

}  // namespace qel::wizard
