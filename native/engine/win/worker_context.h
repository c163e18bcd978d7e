// What every native action works with: the switches, progress, the error and
// overwrite questions, the log, the bitness of the action, and the flags of the
// running worker.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "native/log/log_elements.h"
#include "native/prompts/error_processor.h"
#include "native/prompts/overwrite_processor.h"
#include "native/prompts/prompt_host.h"

namespace qel {
class TVariableManager;
}

namespace qel::native::win {

// How the worker shows its position: text (or "$IGNORE$" to keep the text),
// minimum 0, maximum and position. Installed by the progress display.
using ProgressDisplay = void (*)(const std::string& text, uint64_t maximum, uint64_t position);
void SetNativeProgressDisplay(ProgressDisplay display);

class WorkerContext {
 public:
  WorkerContext(TVariableManager& vars, PromptHost& prompts, FileFactsSource& facts);

  TVariableManager& vars() { return vars_; }
  bool silent() const;

  // ---- run flags ----
  std::string run_name;        // action name or DELAYEDINSTALL / ROLLBACK / UNINSTALL
  bool queued_run = false;     // replaying the spool
  bool byte_progress = false;  // the action counts copied bytes
  bool nested = false;         // running as a step of another action
  std::atomic<bool> terminate{false};
  std::atomic<uint64_t> progress_max{0};

  // ---- progress ----
  // Adds units to NATIVE_PROGRESS (0 while nested) and shows the caption;
  // false when the worker has been asked to stop.
  bool Step(const std::string& caption, uint64_t units);
  uint64_t copy_reported = 0;  // bytes of the current file reported so far
  std::string known_folder;    // the last folder found or created (file copies)

  // ---- errors ----
  // The Native Error Processor, bounded by a stop request: a retry while the
  // worker is asked to stop becomes an abort, so "RETRY" never loops forever.
  ErrorDecision AskError(const std::string& message, int64_t code);
  // AskError for a failed system call: the system text, two CR and the object.
  ErrorDecision AskSystemError(DWORD code, const std::string& object);
  // The overwrite question for an existing destination.
  OverwriteOutcome AskOverwrite(const std::string& source, const std::string& destination);

  // ---- log ----
  // Appends one element to the run's log; returns whether it was appended.
  bool Log(const LogElement& element);
  // Removes the last element (call only when Log returned true).
  void Discard();

  // ---- bitness ----
  // The registry view flag for the current bitness mode.
  REGSAM RegistryView() const;
  // Whether a 64-bit Windows is running (the build is 64-bit or runs under WOW64).
  static bool Is64BitWindows();
  static bool IsWow64();

  // ---- trace ----
  void TraceStart(std::string_view name);
  void TraceEnd(std::string_view name);
  void TraceChange(std::string_view detail);
  void TraceSubStep(std::string_view detail);

 private:
  TVariableManager& vars_;
  PromptHost& prompts_;
  FileFactsSource& facts_;
};

// The text of a system error code (no trailing line break).
std::string SystemErrorText(DWORD code);

// Switches file-system redirection off for an action when the bitness mode asks
// for it (a 32-bit build under WOW64 in a mode other than "Win32").
class ActionRedirection {
 public:
  ActionRedirection();
  ~ActionRedirection();
  ActionRedirection(const ActionRedirection&) = delete;
  ActionRedirection& operator=(const ActionRedirection&) = delete;

 private:
  bool active_ = false;
  void* old_ = nullptr;
};

}  // namespace qel::native::win
