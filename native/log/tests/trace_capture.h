// Captures the trace lines written while an object lives (the trace file is
// UTF-16LE; the tests only write ASCII).
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/trace.h"

namespace qel::native::testing {

class TraceCapture {
 public:
  TraceCapture() {
    path_ = std::filesystem::temp_directory_path() /
            ("qel-native-trace-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".log");
    reset_trace_first_write();
    set_trace_path(path_.string());
  }
  ~TraceCapture() {
    set_trace_path("");
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  std::vector<std::string> Lines() const {
    std::ifstream in(path_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string narrow;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) narrow.push_back(bytes[i]);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = narrow.find("\r\n", start)) != std::string::npos; start = at + 2)
      lines.push_back(narrow.substr(start, at - start));
    return lines;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace qel::native::testing
