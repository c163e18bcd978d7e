// Start-up cost of a setup with an empty script under Wine, against a program that
// does nothing: median wall time of several runs of each, interleaved.
// Run: wine-run.sh stub_startup_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/payload.h"
#include "tests/stub/setup_folder.h"

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const std::string root = qel::e2e::fresh_folder(QEL_E2E_ROOT);
  const std::string app = qel::e2e::fresh_folder(root + "app");
  const std::string temp = qel::e2e::fresh_folder(root + "temp");
  const std::string exe = qel::e2e::assemble_setup(app, QEL_STUB_EXE, qel::write_payload(qel::Payload{}), QEL_GOOD_RES);
  std::vector<double> setup_ms, bare_ms;
  for (int i = 0; i < runs; ++i) {
    const qel::e2e::Run s = qel::e2e::run_program("\"" + exe + "\" /s", temp);
    if (s.exit_code != 0) {
      std::printf("setup run failed with exit code %u\n", s.exit_code);
      return 1;
    }
    setup_ms.push_back(s.milliseconds);
    bare_ms.push_back(qel::e2e::run_program(std::string("\"") + QEL_BARE_EXE + "\"", temp).milliseconds);
  }
  std::printf("runs: %d\nempty-script setup: median %.1f ms\nbare program:       median %.1f ms\n", runs,
              median(setup_ms), median(bare_ms));
  std::printf("start-up cost:      %.1f ms\n", median(setup_ms) - median(bare_ms));
  return 0;
}
