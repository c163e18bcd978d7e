// Test program: pre-loads wizard pages from a support folder, binds them to
// variables and walks them as a Wizard Loop. Afterwards it prints the
// variables and component states named on the command line.
//   binding_page_host SUPPORT PAGE... [--set NAME=VALUE] [--component NAME=STATE:SIZE[:hidden|:fixed]]
//                     [--browse FOLDER] [--lang-file LANG_LOC] [--print NAME] [--print-component NAME]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/variables.h"
#include "lang/language_strings.h"
#include "wizard/binding/component_choices.h"
#include "wizard/binding/dialog_binding.h"
#include "wizard/dialog_host.h"

int main(int argc, char** argv) {
  using namespace qel::wizard;
  if (argc < 3) {
    std::fprintf(stderr, "usage: binding_page_host SUPPORT PAGE... [options]\n");
    return 2;
  }
  std::string folder = argv[1];
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  std::vector<std::string> pages, print, print_components;
  std::string browse;
  static binding::MemoryComponentTable table;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    std::string next = i + 1 < argc ? argv[i + 1] : "";
    if (a == "--set" && !next.empty()) {
      size_t eq = next.find('=');
      qel::variables().Define(next.substr(0, eq), eq == std::string::npos ? "" : next.substr(eq + 1));
      ++i;
    } else if (a == "--component" && !next.empty()) {
      binding::MemoryComponentTable::Row row;
      size_t eq = next.find('=');
      row.name = next.substr(0, eq);
      std::string rest = next.substr(eq + 1);
      row.state = rest.rfind("TRUE", 0) == 0;
      size_t colon = rest.find(':');
      if (colon != std::string::npos) row.size = std::atoll(rest.c_str() + colon + 1);
      row.hidden = rest.find(":hidden") != std::string::npos;
      row.fixed = rest.find(":fixed") != std::string::npos;
      row.description = "About " + row.name;
      table.rows.push_back(row);
      ++i;
    } else if (a == "--lang-file") {
      if (!qel::load_language_strings(next, "")) std::fprintf(stderr, "cannot read %s\n", next.c_str());
      ++i;
    } else if (a == "--browse") {
      browse = next;
      ++i;
    } else if (a == "--print") {
      print.push_back(next);
      ++i;
    } else if (a == "--print-component") {
      print_components.push_back(next);
      ++i;
    } else {
      pages.push_back(a);
    }
  }
  DialogHost& host = dialog_host();
  binding::install_binding(host);
  binding::binding_services().components = &table;
  host.hooks.browse_folder = [&](HWND) { return browse; };
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
  try {
    while (index >= 0 && index < static_cast<long>(pages.size())) {
      std::string result = "RESULT" + std::to_string(index + 1);
      DisplayDialogResult r = run_display_dialog(index + 1, {pages[index], "$" + result + "$", "TRUE"}, true, state);
      walk += pages[index] + "=" + qel::variables().Get(result) + " ";
      if (!r.direction_set || r.loop_direction == 0) break;
      index += r.loop_direction;
    }
  } catch (const std::exception& e) {
    std::printf("error: %s\n", e.what());
  }
  host.unload_all();
  std::printf("walk: %s\n", walk.c_str());
  for (const std::string& name : print) std::printf("%s=%s\n", name.c_str(), qel::variables().Get(name).c_str());
  for (const std::string& name : print_components)
    std::printf("component %s=%s\n", name.c_str(), table.State(name) ? "TRUE" : "FALSE");
  std::fflush(stdout);
  return 0;
}
