#include "lang/language_strings.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <mutex>

namespace qel {
namespace {

constexpr int kFirstDiscarded = 91;
constexpr int kLastDiscarded = 111;

class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    size_t stop = end;
    if (stop > pos_ && text_[stop - 1] == '\r') --stop;
    line = text_.substr(pos_, stop - pos_);
    pos_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

LanguageStrings read_block(Lines& lines) {
  LanguageStrings block;
  std::string_view line;
  for (int n = 1; n <= kLanguageStringCount && lines.next(line); ++n)
    if (n < kFirstDiscarded || n > kLastDiscarded) block[n - 1] = std::string(line);
  return block;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::mutex g_lock;
LanguageStrings g_strings;

}  // namespace

LanguageStrings parse_language_strings(std::string_view text, std::string_view language) {
  Lines lines(text);
  const LanguageStrings default_block = read_block(lines);
  std::string_view name;
  while (lines.next(name)) {
    LanguageStrings block = read_block(lines);
    if (iequals(name, language)) return block;
  }
  // A language without a block keeps the default block (not the file's last block).
  return default_block;
}

bool load_language_strings(const std::string& path, std::string_view language) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  set_language_strings(parse_language_strings(text, language));
  return true;
}

void set_language_strings(const LanguageStrings& strings) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_strings = strings;
}

const std::string& lang_string(int n) {
  static const std::string kEmpty;
  if (n < 1 || n > kLanguageStringCount) return kEmpty;
  return g_strings[n - 1];
}

}  // namespace qel
