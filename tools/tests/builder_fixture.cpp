#include "tools/tests/builder_fixture.h"

#include <fstream>
#include <random>
#include <sstream>

#include "tools/qelbuild/setup_writer.h"

namespace qel::build::testing {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::random_device rd;
  path_ = fs::temp_directory_path() / ("qelbuild-test-" + std::to_string(rd()) + std::to_string(rd()));
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path ScratchFolder::write(const std::string& relative, const std::string& content) const {
  const fs::path p = path_ / relative;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
  return p;
}

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

namespace {
void put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
}  // namespace

size_t fake_stub_size() { return 0x200; }

fs::path make_distribution(const ScratchFolder& folder) {
  std::string stub(fake_stub_size(), '\0');
  stub[0] = 'M';
  stub[1] = 'Z';
  put32(stub, 0x3C, 0x40);
  stub.replace(0x40, 4, std::string("PE\0\0", 4));
  stub[0x40 + 4 + 2] = 1;                   // one section, no optional header
  const size_t section = 0x40 + 4 + 20;
  put32(stub, section + 16, 0x100);         // raw size
  put32(stub, section + 20, 0x100);         // raw pointer: the image ends at 0x200
  folder.write("dist/qelstub.exe", stub);
  folder.write("dist/qel.lib", "qel.lib stand-in with its language file");
  return folder.path() / "dist";
}

fs::path build_script(const ScratchFolder& folder, const std::string& script, const std::string& out) {
  BuildOptions options;
  options.script = folder.write("setup.qel", script);
  options.output_dir = folder.path() / out;
  options.distribution = make_distribution(folder);
  return build_setup(options).setup_program;
}

Payload read_built_payload(const fs::path& setup_exe) {
  const std::string bytes = read_bytes(setup_exe);
  return read_payload(std::string_view(bytes).substr(fake_stub_size()));
}

std::string minimal_header() {
  return "[Setup]\n"
         "Title = Test Product\n"
         "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
         "Version = 1.0\n";
}

}  // namespace qel::build::testing
