// Build errors in the form editors and IDEs recognise: "FILE:LINE: error: MESSAGE".
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace qel::build {

struct Diagnostic {
  std::string file;
  int line = 0;  // 1-based; 0 when the error has no line
  std::string message;

  std::string text() const;  // "FILE:LINE: error: MESSAGE" (or "FILE: error: MESSAGE")
};

// Thrown when a build cannot go on; carries every error found so far.
class BuildFailed : public std::runtime_error {
 public:
  explicit BuildFailed(std::vector<Diagnostic> diagnostics);
  const std::vector<Diagnostic>& diagnostics() const { return diagnostics_; }

 private:
  std::vector<Diagnostic> diagnostics_;
};

}  // namespace qel::build
