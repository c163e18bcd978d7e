#include "native/engine/win/worker_context.h"

#include <charconv>

#include "commands/bitness.h"
#include "engine/process_state.h"
#include "engine/trace.h"
#include "engine/variables.h"
#include "native/log/native_log.h"

namespace qel::native::win {
namespace {

std::atomic<ProgressDisplay> g_display{nullptr};

uint64_t ParseProgress(const std::string& text, bool& ok) {
  uint64_t v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  ok = ec == std::errc() && p == text.data() + text.size() && !text.empty();
  return v;
}

}  // namespace

void SetNativeProgressDisplay(ProgressDisplay display) { g_display = display; }

WorkerContext::WorkerContext(TVariableManager& vars, PromptHost& prompts, FileFactsSource& facts)
    : vars_(vars), prompts_(prompts), facts_(facts) {}

bool WorkerContext::silent() const { return vars_.Silent() || process_state().silent; }

bool WorkerContext::Step(const std::string& caption, uint64_t units) {
  if (nested) units = 0;
  uint64_t position = 0;
  {
    std::lock_guard lock(vars_.Mutex());
    bool ok = false;
    uint64_t current = ParseProgress(vars_.ReadVariable("NATIVE_PROGRESS"), ok);
    position = ok ? current + units : units;
    if (!ok || units != 0) vars_.DeclareOrAssign("NATIVE_PROGRESS", std::to_string(position), "Native Engine");
  }
  if (ProgressDisplay display = g_display.load()) {
    const uint64_t maximum = progress_max.load();
    uint64_t shown = position;
    if (run_name == "ROLLBACK") shown = position >= maximum ? 0 : maximum - position;
    display(caption, maximum, shown);
  }
  return !terminate.load();
}

ErrorDecision WorkerContext::AskError(const std::string& message, int64_t code) {
  if (terminate.load() && code != 0) {
    trace("        <NATIVE ERROR>");
    trace("          < " + message + " >");
    trace("        </NATIVE ERROR>");
    return {true, false};
  }
  ErrorDecision d = NativeErrorProcessor(vars_, silent(), message, code, prompts_);
  if (d.retry && terminate.load()) {
    d.retry = false;
    d.abort = true;
  }
  // A retry without a pause would spin on a lasting failure; give the system a moment.
  if (d.retry) Sleep(50);
  return d;
}

ErrorDecision WorkerContext::AskSystemError(DWORD code, const std::string& object) {
  return AskError(SystemErrorText(code) + "\r\r" + object, static_cast<int64_t>(code));
}

OverwriteOutcome WorkerContext::AskOverwrite(const std::string& source, const std::string& destination) {
  return NativeOverwriteProcessor(vars_, source, destination, facts_, prompts_);
}

bool WorkerContext::Log(const LogElement& element) {
  return native_log().Log(element, commands::BitnessMode(), vars_.ReadVariable("NATIVE_LOGGING"));
}

void WorkerContext::Discard() { native_log().DiscardLast(vars_.ReadVariable("NATIVE_LOGGING")); }

bool WorkerContext::IsWow64() {
#if defined(_WIN64)
  return false;
#else
  BOOL wow = FALSE;
  using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  static Fn fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
  return fn && fn(GetCurrentProcess(), &wow) && wow;
#endif
}

bool WorkerContext::Is64BitWindows() { return sizeof(void*) == 8 || IsWow64(); }

REGSAM WorkerContext::RegistryView() const {
  if (!Is64BitWindows()) return 0;
  return commands::BitnessMode() == commands::kModeWin32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

void WorkerContext::TraceStart(std::string_view name) { trace("        <" + std::string(name) + ">"); }
void WorkerContext::TraceEnd(std::string_view name) { trace("        </" + std::string(name) + ">"); }
void WorkerContext::TraceChange(std::string_view detail) { trace("        < " + std::string(detail) + " >"); }
void WorkerContext::TraceSubStep(std::string_view detail) { trace("          < " + std::string(detail) + " >"); }

std::string SystemErrorText(DWORD code) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (n && buffer) text.assign(buffer, n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.empty()) text = "System error " + std::to_string(code);
  return text;
}

ActionRedirection::ActionRedirection() {
  if (WorkerContext::IsWow64() && commands::BitnessMode() != commands::kModeWin32) {
    old_ = commands::RedirectionState::ForcedDisable();
    active_ = true;
  }
}

ActionRedirection::~ActionRedirection() {
  if (active_) commands::RedirectionState::ForcedRevert(old_);
}

}  // namespace qel::native::win
