#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace qel::wizard::testing {

inline std::string read_fixture(const std::string& name) {
  std::ifstream in(std::string(QEL_WIZARD_FIXTURES) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("fixture missing: " + name);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

}  // namespace qel::wizard::testing
