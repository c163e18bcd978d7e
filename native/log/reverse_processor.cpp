#include "native/log/reverse_processor.h"

#include <charconv>

#include "engine/comma_text.h"
#include "engine/trace.h"
#include "engine/variables.h"
#include "native/log/log_elements.h"
#include "native/log/log_set.h"

namespace qel::native {
namespace {

const std::string& Field(const std::vector<std::string>& fields, size_t i) {
  static const std::string empty;
  return i < fields.size() ? fields[i] : empty;
}

int64_t ParseRoot(const std::string& text) {
  int64_t v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

uint64_t ParseWeight(const std::string& text) {
  uint64_t v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return (ec == std::errc() && ptr == text.data() + text.size()) ? v : 0;
}

}  // namespace

std::string ReverseCaption(std::string_view element, const std::vector<std::string>& f) {
  if (element == kDeleteRegistry)
    return std::string(RootName(ParseRoot(Field(f, 0)))) + "\\" + Field(f, 1) + "\\" + Field(f, 2);
  if (element == kUnregisterFile) return "unregsvr32 " + Field(f, 0);
  if (element == kUnshareFile || element == kUnshareSelfRegisteringFile)
    return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls\\" + Field(f, 0);
  if (element == kRemoveAssembly) return "GAC: " + Field(f, 0);
  if (element == kDeleteEnvironment) return Field(f, 2) + "=" + Field(f, 3);
  if (element == kRemoveIniEntry)
    return Field(f, 0) + ": [" + Field(f, 1) + "] " + Field(f, 2) + "=" + Field(f, 3);
  // Delete File, Delete Service, Delete ODBC Driver, Remove ODBC DSN, Delete Folder:
  // the first item (the file, the name, the driver, the deepest folder).
  return Field(f, 0);
}

int RunReverseProcessor(bool uninstall, ReverseRun& run) {
  const FlushResult flushed = FlushLog(run.fs, run.prefix, run.log);
  const LogLists lists = LoadLogSet(run.fs, run.prefix);

  const uint64_t saved_maximum = run.progress.Maximum();
  const std::string saved_bitness = run.ops.CurrentBitness();
  const std::string saved_progress = run.vars.ReadVariable("NATIVE_PROGRESS");
  run.progress.SetMaximum(TotalWeight(lists));
  run.vars.DeclareOrAssign("NATIVE_PROGRESS", "0", "Native Engine");

  int result = 1;
  for (size_t i = lists.size(); i-- > 0;) {
    const std::string& element = lists.elements[i];
    trace("        <" + element + ">");
    run.ops.UseBitness(lists.bitness[i]);
    const std::vector<std::string> fields = ElementFields(element, lists.data[i]);
    trace("        < " + JoinCommaText(fields) + " >");
    bool go_on = run.ops.Reverse(element, fields);
    if (go_on) {
      const bool stepped = run.progress.Step(ReverseCaption(element, fields), ParseWeight(lists.weights[i]));
      if (!stepped && uninstall) go_on = false;
    }
    trace("        </" + element + ">");
    if (!go_on) {
      result = 0;
      break;
    }
  }

  run.vars.DeclareOrAssign("NATIVE_PROGRESS", saved_progress, "Native Engine");
  run.ops.UseBitness(saved_bitness);
  run.progress.SetMaximum(saved_maximum);
  if (!flushed.created_folder.empty()) RemoveFlushedLogSet(run.fs, run.prefix, flushed);
  return result;
}

}  // namespace qel::native
