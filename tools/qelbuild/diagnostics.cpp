#include "tools/qelbuild/diagnostics.h"

namespace qel::build {

std::string Diagnostic::text() const {
  std::string out = file;
  if (line > 0) out += ":" + std::to_string(line);
  out += ": error: " + message;
  return out;
}

namespace {
std::string summary(const std::vector<Diagnostic>& diagnostics) {
  std::string out;
  for (const Diagnostic& d : diagnostics) out += (out.empty() ? "" : "\n") + d.text();
  return out;
}
}  // namespace

BuildFailed::BuildFailed(std::vector<Diagnostic> diagnostics)
    : std::runtime_error(summary(diagnostics)), diagnostics_(std::move(diagnostics)) {}

}  // namespace qel::build
