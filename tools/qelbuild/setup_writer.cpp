#include "tools/qelbuild/setup_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "engine/payload.h"
#include "stub/pe_image.h"
#include "tools/qelbuild/script_check.h"
#include "tools/qelbuild/script_parser.h"
#include "tools/qelbuild/setup_plan.h"
#include "tools/qelbuild/stable_ids.h"
#include "tools/sevenzip_writer/sevenzip_writer.h"

namespace qel::build {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& file, int line, const std::string& message) {
  throw BuildFailed({{file, line, message}});
}

std::string read_file(const fs::path& path, const std::string& what) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(path.string(), 0, "cannot read " + what);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) fail(path.string(), 0, "cannot write the file");
}

// Archive times: SOURCE_DATE_EPOCH when set (reproducible builds from fresh
// checkouts), else the source file's own modification time.
sevenzip::FileTime archive_time(const fs::path& file) {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (end && *end == '\0') return sevenzip::filetime_from_unix(seconds);
  }
  const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(file));
  return sevenzip::filetime_from_unix(
      std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count());
}

std::string resource_archive(const std::vector<ResourceFile>& files) {
  std::vector<sevenzip::ArchiveItem> items;
  std::map<std::string, sevenzip::FileTime> folders;  // each parent folder, with its newest file's time
  for (const ResourceFile& f : files) {
    sevenzip::ArchiveItem item;
    item.name = f.archive_name;
    item.data = read_file(f.source, "the resource");
    item.mtime = archive_time(f.source);
    for (size_t slash = f.archive_name.find('/'); slash != std::string::npos;
         slash = f.archive_name.find('/', slash + 1)) {
      auto& t = folders[f.archive_name.substr(0, slash)];
      t = std::max(t, item.mtime);
    }
    items.push_back(std::move(item));
  }
  for (const auto& [name, time] : folders) {
    sevenzip::ArchiveItem dir;
    dir.name = name;
    dir.is_dir = true;
    dir.mtime = time;
    items.push_back(std::move(dir));
  }
  return sevenzip::write_archive(std::move(items));
}

std::string base_name(const std::string& stub_name) {
  const size_t dot = stub_name.rfind('.');
  return dot == std::string::npos ? stub_name : stub_name.substr(0, dot);
}

}  // namespace

fs::path find_distribution(const fs::path& program_dir, const std::optional<fs::path>& dist_option,
                           const std::string& target) {
  if (dist_option) {
    if (fs::exists(*dist_option / "qelstub.exe")) return *dist_option;
    return *dist_option / target;
  }
  return program_dir / ".." / target;
}

BuildReport build_setup(const BuildOptions& options) {
  const std::string script_file = options.script.string();
  const ScriptDocument script = parse_script(read_file(options.script, "the script"), script_file);
  const fs::path base = options.script.has_parent_path() ? options.script.parent_path() : fs::path(".");
  SetupPlan plan = plan_setup(script, base);
  if (auto errors = check_script(script, plan.payload); !errors.empty()) throw BuildFailed(errors);

  const std::string& stub_name = script.header.stub_name;
  if (stub_name.empty() || stub_name.find_first_of("\\/:*?\"<>|") != std::string::npos)
    fail(script_file, script.header.line, "StubName must be a plain file name");

  const fs::path stub_path = options.distribution / "qelstub.exe";
  const fs::path lib_path = options.distribution / "qel.lib";
  const std::string stub = read_file(stub_path, "the setup stub (qelstub.exe)");
  const uint64_t image_end =
      pe_image_end(reinterpret_cast<const unsigned char*>(stub.data()), stub.size());
  if (image_end == 0) fail(stub_path.string(), 0, "not a Windows program");
  if (image_end != stub.size())
    fail(stub_path.string(), 0, "the stub has data after its image (an unstripped build, or a built setup)");
  const std::string lib = read_file(lib_path, "the archive library (qel.lib)");

  const std::string archive = resource_archive(plan.resource_files);
  std::map<std::string, std::string> extras;  // output name -> content
  const std::string base_out = base_name(stub_name);
  auto extra = [&](const std::string& source, const std::string& name) {
    if (!source.empty()) extras[name] = read_file(fs::path(base) / source, "'" + source + "'");
  };
  extra(script.header.splash_bitmap, "setup.bmp");
  extra(script.header.package, base_out + ".msi");
  extra(script.header.patch, base_out + ".msp");

  std::vector<std::string> data_contents;
  for (const DataFile& f : plan.data_files)
    data_contents.push_back(f.source.empty() ? std::string() : read_file(f.source, "an installed file"));

  Payload& payload = plan.payload;
  if (payload.revision_code.empty()) {
    StableHash h;
    h.add(write_payload(payload)).add(archive);
    for (size_t i = 0; i < plan.data_files.size(); ++i) h.add(plan.data_files[i].data_path).add(data_contents[i]);
    for (const auto& [name, content] : extras) h.add(name).add(content);
    payload.revision_code = guid_from(h);
  }
  std::string payload_text;
  try {
    payload_text = write_payload(payload);
  } catch (const std::invalid_argument& e) {
    fail(script_file, 0, e.what());
  }

  const fs::path out = options.output_dir;
  std::error_code ec;
  fs::remove_all(out / "data", ec);  // no files left over from an earlier build
  write_file(out / stub_name, stub + payload_text);
  write_file(out / "qel.lib", lib);
  write_file(out / (base_out + ".res"), archive);
  for (size_t i = 0; i < plan.data_files.size(); ++i) {
    std::string rel = plan.data_files[i].data_path;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    write_file(out / "data" / rel, data_contents[i]);
  }
  for (const auto& [name, content] : extras) write_file(out / name, content);

  BuildReport report;
  report.setup_program = out / stub_name;
  report.statements = payload.statement_count();
  report.data_files = plan.data_files.size();
  report.resource_files = plan.resource_files.size();
  report.warnings = std::move(plan.warnings);
  return report;
}

}  // namespace qel::build
