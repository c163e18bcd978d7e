// qelbuild SCRIPT.qel -o OUTDIR [--target win32|win64] [--dist DIR]
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "tools/qelbuild/setup_writer.h"

namespace {

// Messages may hold a CR line break (the engine's message boxes show it); on a
// console a lone CR would overwrite the line.
std::string console_text(std::string text) {
  for (size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) text.replace(at, 1, "\n    ");
  return text;
}

void usage() {
  std::fprintf(stderr,
               "usage: qelbuild SCRIPT.qel -o OUTDIR [--target win32|win64] [--dist DIR]\n"
               "  -o OUTDIR   the setup folder to write\n"
               "  --target    which stub to use (default win32)\n"
               "  --dist DIR  the folder with qelstub.exe and qel.lib, or the distribution\n"
               "              folder holding win32\\ and win64\\ (default: beside qelbuild)\n");
}

std::filesystem::path program_dir(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0);
  return self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  qel::build::BuildOptions options;
  std::optional<std::filesystem::path> dist;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "-o") {
      options.output_dir = value();
    } else if (arg == "--target") {
      options.target = value();
    } else if (arg == "--dist") {
      dist = value();
    } else if (arg == "-h" || arg == "--help") {
      usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "qelbuild: unknown option %s\n", arg.c_str());
      usage();
      return 2;
    } else if (options.script.empty()) {
      options.script = arg;
    } else {
      usage();
      return 2;
    }
  }
  if (options.script.empty() || options.output_dir.empty() ||
      (options.target != "win32" && options.target != "win64")) {
    usage();
    return 2;
  }
  options.distribution = qel::build::find_distribution(program_dir(argv[0]), dist, options.target);
  try {
    const auto report = qel::build::build_setup(options);
    for (const auto& w : report.warnings) {
      std::string text = w.text();
      text.replace(text.find(": error: "), 9, ": warning: ");
      std::fprintf(stderr, "%s\n", console_text(text).c_str());
    }
    std::printf("%s: %zu statements, %zu data files, %zu resources\n", report.setup_program.string().c_str(),
                report.statements, report.data_files, report.resource_files);
    return 0;
  } catch (const qel::build::BuildFailed& e) {
    for (const auto& d : e.diagnostics()) std::fprintf(stderr, "%s\n", console_text(d.text()).c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qelbuild: %s\n", e.what());
    return 1;
  }
}
