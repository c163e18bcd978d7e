#include "commands/text_files.h"

#include <stdexcept>

#include "commands/ansi_case.h"
#include "commands/platform_hooks.h"

namespace qel::commands {

bool TextReader::Holds(std::string_view path) const {
  return !path_.empty() && AnsiLowerText(path_) == AnsiLowerText(path);
}

bool TextReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  path_ = path;
  return true;
}

void TextReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  path_.clear();
}

bool TextReader::AtEnd() {
  if (!file_) return true;
  const int c = std::fgetc(file_);
  if (c == EOF) return true;
  std::ungetc(c, file_);
  return false;
}

std::string TextReader::ReadLine() {
  std::string line;
  if (!file_) return line;
  for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) {
    if (c == '\n') return line;
    if (c == '\r') {
      const int next = std::fgetc(file_);
      if (next != '\n' && next != EOF) std::ungetc(next, file_);
      return line;
    }
    line += static_cast<char>(c);
  }
  if (std::ferror(file_)) throw std::runtime_error("Read error in file " + path_);
  return line;
}

std::string TextReader::ReadAll() {
  std::string text;
  bool first = true;
  while (!AtEnd()) {
    if (!first) text += "$NEWLINE$";
    text += ReadLine();
    first = false;
  }
  return text;
}

TextReader& EngineTextReader() {
  static TextReader reader;
  return reader;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

namespace {

bool LoadFile(const std::string& path, std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

}  // namespace

bool AddLineToFile(const std::string& path, std::string_view line, bool at_top) {
  std::string content;
  std::vector<std::string> lines;
  if (LoadFile(path, content)) lines = SplitLines(content);
  if (at_top)
    lines.insert(lines.begin(), std::string(line));
  else
    lines.emplace_back(line);
  PlatformHooks().set_normal_attributes(path);
  std::string out;
  for (const std::string& l : lines) {
    out += l;
    out += "\r\n";
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace qel::commands
