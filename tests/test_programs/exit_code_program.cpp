// A console program for the run-program tests:
//   qel_exit_code CODE [SLEEP_MS] [REPORT_FILE]
// sleeps, writes its working folder, its arguments and the variable
// QEL_PROBE into REPORT_FILE (one per line), then exits with CODE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const long code = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  if (argc > 2) Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
  if (argc > 3) {
    if (FILE* f = std::fopen(argv[3], "w")) {
      char folder[MAX_PATH] = {};
      GetCurrentDirectoryA(MAX_PATH, folder);
      char probe[256] = {};
      GetEnvironmentVariableA("QEL_PROBE", probe, sizeof probe);
      std::fprintf(f, "%s\n%s\n", folder, probe);
      for (int i = 4; i < argc; ++i) std::fprintf(f, "%s\n", argv[i]);
      std::fclose(f);
    }
  }
  return static_cast<int>(code);
}
