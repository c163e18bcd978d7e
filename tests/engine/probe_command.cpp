// A command for the engine's end-to-end tests: "Probe Variables" writes every
// variable as NAME=VALUE lines into the file named by its parameter 1.
#include <fstream>
#include <string>
#include <vector>

#include "engine/dispatch.h"
#include "engine/variables.h"

namespace {

const bool registered = [] {
  qel::register_command(
      "Probe Variables",
      [](qel::Statement& s) {
        std::vector<std::string> pairs;
        s.vars().ExportPairs(pairs);
        std::ofstream out(s.vars().Expand(s.parameter(1)), std::ios::binary);
        for (size_t i = 0; i + 1 < pairs.size(); i += 2) out << pairs[i] << '=' << pairs[i + 1] << '\n';
      },
      "tests");
  return true;
}();

}  // namespace
