#include "engine/trace.h"

#include <cstdio>
#include <mutex>

namespace qel {
namespace {

std::u16string widen_latin1(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

struct TraceState {
  std::mutex lock;
  std::string path;
  bool first_write = true;
  AnsiToUtf16 converter = &widen_latin1;
};

TraceState& state() {
  static TraceState s;
  return s;
}

std::string encode(AnsiToUtf16 converter, std::string_view line) {
  std::string text(line);
  text += "\r\n";
  std::u16string wide = converter(text);
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (char16_t unit : wide) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

}  // namespace

std::string encode_trace_line(std::string_view line) {
  AnsiToUtf16 converter;
  {
    std::lock_guard<std::mutex> guard(state().lock);
    converter = state().converter;
  }
  return encode(converter, line);
}

void trace(std::string_view line) {
  TraceState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.path.empty()) return;
  if (s.first_write) {
    if (std::FILE* f = std::fopen(s.path.c_str(), "wb")) std::fclose(f);
    s.first_write = false;
  }
  // "r+b" never creates: only the first write of the process makes the file.
  std::FILE* f = std::fopen(s.path.c_str(), "r+b");
  if (!f) return;
  const std::string bytes = encode(s.converter, line);
  if (std::fseek(f, 0, SEEK_END) == 0) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void set_trace_path(std::string path) {
  std::lock_guard<std::mutex> guard(state().lock);
  state().path = std::move(path);
}

std::string trace_path() {
  std::lock_guard<std::mutex> guard(state().lock);
  return state().path;
}

void clear_trace_first_write() {
  std::lock_guard<std::mutex> guard(state().lock);
  state().first_write = false;
}

void reset_trace_first_write() {
  std::lock_guard<std::mutex> guard(state().lock);
  state().first_write = true;
}

void set_trace_converter(AnsiToUtf16 converter) {
  std::lock_guard<std::mutex> guard(state().lock);
  state().converter = converter ? converter : &widen_latin1;
}

}  // namespace qel
