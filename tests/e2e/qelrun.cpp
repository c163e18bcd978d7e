// Starts a program under Wine and reports its full 32-bit exit code on standard
// output ("exit=N"), which the Unix side cannot see past the low 8 bits.
//   qelrun [--nowait] [--timeout MS] PROGRAM [ARGUMENTS...]
// The program's command line is this one's rest, passed on as written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Skips one command-line token (quoted or plain) and the blanks after it.
const char* skip_token(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (!quoted && (*p == ' ' || *p == '\t')) break;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

std::string token_at(const char* p) {
  std::string t;
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    else if (!quoted && (*p == ' ' || *p == '\t')) break;
    else t.push_back(*p);
  }
  return t;
}

}  // namespace

int main() {
  const char* rest = skip_token(GetCommandLineA());
  bool wait = true;
  DWORD timeout = INFINITE;
  for (;;) {
    const std::string option = token_at(rest);
    if (option == "--nowait") {
      wait = false;
    } else if (option == "--timeout") {
      rest = skip_token(rest);
      timeout = static_cast<DWORD>(std::strtoul(token_at(rest).c_str(), nullptr, 10));
    } else {
      break;
    }
    rest = skip_token(rest);
  }
  if (!*rest) {
    std::fprintf(stderr, "usage: qelrun [--nowait] [--timeout MS] PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  std::string line = rest;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("error=%lu\n", GetLastError());
    std::fflush(stdout);
    return 3;
  }
  CloseHandle(pi.hThread);
  if (!wait) {
    std::printf("pid=%lu\n", pi.dwProcessId);
    std::fflush(stdout);
    return 0;
  }
  if (WaitForSingleObject(pi.hProcess, timeout) != WAIT_OBJECT_0) {
    std::printf("timeout pid=%lu\n", pi.dwProcessId);
    std::fflush(stdout);
    return 4;
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  std::printf("exit=%lu\n", code);
  std::fflush(stdout);
  return 0;
}
