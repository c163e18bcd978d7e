// Plain text files read line by line and rewritten whole, as "Read from Text
// File" and "Write to Text File" use them. Lines end in CR LF, CR or LF.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qel::commands {

// The one text file the engine keeps open between "Read from Text File"
// statements, with the path it was opened under.
class TextReader {
 public:
  TextReader() = default;
  ~TextReader() { Close(); }
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  // Whether the reader holds this path (compared without regard to case).
  bool Holds(std::string_view path) const;
  // Closes any open file, then opens path; false (nothing open) on failure.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  bool AtEnd();
  // One line without its terminator; throws std::runtime_error on a read error.
  std::string ReadLine();
  // The remaining lines joined with "$NEWLINE$".
  std::string ReadAll();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

TextReader& EngineTextReader();

// Splits at CR LF, CR or LF; a terminator at the end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Loads the file's lines (empty when it cannot be read), inserts the line at
// the top or appends it, and writes every line back ending in CR LF.
// Returns false when the file could not be written.
bool AddLineToFile(const std::string& path, std::string_view line, bool at_top);

}  // namespace qel::commands
