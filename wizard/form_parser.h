// Reader for text form files ("object Form1: TForm1 ... end").
// Portable: no windows.h.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "wizard/form_model.h"

namespace qel::wizard {

class FormParseError : public std::runtime_error {
 public:
  FormParseError(int line, const std::string& message);
  int line() const { return line_; }  // 1-based; 0 when the whole file is at fault

 private:
  int line_;
};

enum class SourceEncoding { Ansi, Utf8 };

// UTF-8 when the text starts with a byte-order mark or is valid UTF-8 holding at
// least one byte above 127; ANSI otherwise.
SourceEncoding detect_encoding(std::string_view file_bytes);

// Parses the whole file; the root object must be the only top-level object.
// Quoted text in an ANSI file is decoded with the codec. Binary form files
// ("TPF0") are refused. Throws FormParseError.
FormObject parse_form(std::string_view file_bytes, const TextCodec& codec = windows1252_codec());

}  // namespace qel::wizard
