#include "archive/dll/ansi_text.h"

#include <windows.h>

#include <string>

namespace qel::archive {
namespace {

std::wstring wide_from(UINT code_page, std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string narrow_to(UINT code_page, const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string utf8_from_ansi(std::string_view ansi) { return narrow_to(CP_UTF8, wide_from(CP_ACP, ansi)); }

std::string ansi_from_utf8(std::string_view utf8) { return narrow_to(CP_ACP, wide_from(CP_UTF8, utf8)); }

std::filesystem::path path_from_ansi(std::string_view ansi) { return std::filesystem::path(wide_from(CP_ACP, ansi)); }

}  // namespace qel::archive
