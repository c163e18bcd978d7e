#include "commands/actions/action_values.h"

namespace qel::commands::actions {

namespace {
constexpr int kSwHide = 0, kSwShowMinimized = 2, kSwShowMaximized = 3, kSwShow = 5, kSwShowMinNoActive = 7;

constexpr uint32_t kMbOk = 0x0, kMbOkCancel = 0x1, kMbAbortRetryIgnore = 0x2, kMbYesNoCancel = 0x3, kMbYesNo = 0x4,
                   kMbRetryCancel = 0x5;
constexpr uint32_t kMbIconHand = 0x10, kMbIconQuestion = 0x20, kMbIconExclamation = 0x30, kMbIconInformation = 0x40;

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

int ShowCommandForMode(int mode) {
  switch (mode) {
    case 1: return kSwHide;
    case 2: return kSwShowMaximized;
    case 3: return kSwShowMinimized;
    case 4: return kSwShowMinNoActive;
    default: return kSwShow;
  }
}

std::string RunAsCommandLine(std::string_view program, std::string_view arguments) {
  std::string line = "\"";
  line += program;
  line += "\" ";
  line += arguments;
  return line;
}

std::string EnvironmentBlock(std::string_view lines) {
  if (lines.empty()) return {};
  std::string block;
  size_t start = 0;
  while (start <= lines.size()) {
    size_t end = lines.find("\r\n", start);
    if (end == std::string_view::npos) end = lines.size();
    std::string_view entry = lines.substr(start, end - start);
    if (!entry.empty()) {
      block += entry;
      block.push_back('\0');
    }
    start = end + 2;
  }
  if (block.empty()) block.push_back('\0');
  block.push_back('\0');
  return block;
}

std::string FolderWithBackslash(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

uint32_t MessageBoxStyle(int icon, int buttons) {
  uint32_t style = 0;
  switch (icon) {
    case 1: style = kMbIconQuestion; break;
    case 2: style = kMbIconExclamation; break;
    case 3: style = kMbIconHand; break;
    default: style = kMbIconInformation; break;
  }
  switch (buttons) {
    case 0: return style | kMbAbortRetryIgnore;
    case 2: return style | kMbOkCancel;
    case 3: return style | kMbRetryCancel;
    case 4: return style | kMbYesNo;
    case 5: return style | kMbYesNoCancel;
    default: return style | kMbOk;
  }
}

std::string_view ButtonName(int id) {
  switch (id) {
    case 1: return "OK";
    case 2: return "CANCEL";
    case 3: return "ABORT";
    case 4: return "RETRY";
    case 5: return "IGNORE";
    case 6: return "YES";
    case 7: return "NO";
    default: return "";
  }
}

bool IsErrorBoxStyle(uint32_t style) { return style == (kMbIconHand | kMbOk); }

int BalloonTimeoutSeconds(int seconds) { return seconds < 10 ? 10 : seconds > 30 ? 30 : seconds; }

std::string RebootValueName(std::string_view product_code) {
  if (product_code.size() <= 1) return {};
  return std::string(product_code.substr(1, 8));
}

std::string RebootCommand(std::string_view sfx_path, std::string_view program_path, std::string_view arguments) {
  std::string command(sfx_path.empty() ? program_path : sfx_path);
  if (!arguments.empty()) {
    command.push_back(' ');
    command += arguments;
  }
  return command;
}

bool IsMsiExecLibrary(std::string_view path) { return EqualNoCase(FileNamePart(path), "qMSIExec.dll"); }

bool HasExtension(std::string_view path, std::string_view ext) {
  return path.size() >= ext.size() && EqualNoCase(path.substr(path.size() - ext.size()), ext);
}

}  // namespace qel::commands::actions
