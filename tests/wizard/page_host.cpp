// Test program: pre-loads the wizard pages named on the command line from a
// support folder and walks them as a Wizard Loop (Next forward, Back backward,
// Cancel ends), then prints every result variable and OXLE_IsCancelled.
//   wizard_page_host SUPPORT_FOLDER PAGE1 [PAGE2 ...]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/variables.h"
#include "wizard/dialog_host.h"

int main(int argc, char** argv) {
  using namespace qel::wizard;
  if (argc < 3) {
    std::fprintf(stderr, "usage: wizard_page_host SUPPORT_FOLDER PAGE...\n");
    return 2;
  }
  std::string folder = argv[1];
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  std::vector<std::string> pages(argv + 2, argv + argc);
  DialogHost& host = dialog_host();
  try {
    host.prepare(folder);
    for (size_t i = 0; i < pages.size(); ++i) host.load_dialog(std::to_string(i + 1), folder + pages[i] + ".dfm");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 11;
  }
  DialogCommandState state;
  long index = 0;
  std::string walk;
  while (index >= 0 && index < static_cast<long>(pages.size())) {
    std::string result = "RESULT" + std::to_string(index + 1);
    DisplayDialogResult r = run_display_dialog(index + 1, {pages[index], "$" + result + "$", "TRUE"}, true, state);
    walk += pages[index] + "=" + qel::variables().Get(result) + " ";
    std::fflush(stdout);
    if (!r.direction_set || r.loop_direction == 0) break;
    index += r.loop_direction;
  }
  host.unload_all();
  std::printf("walk: %s\n", walk.c_str());
  std::printf("OXLE_IsCancelled=%s\n", qel::variables().Get("OXLE_IsCancelled").c_str());
  return 0;
}
