// The executor's Windows host: message pump, the per-statement refreshes that
// need the system, the exception report and ExitScript.
#pragma once

#include <cstdint>

#include <string>

#include "engine/executor.h"
#include "engine/payload.h"

namespace qel::engine_win {

class WindowsHost : public ExecutorHost {
 public:
  WindowsHost(const Payload& payload, std::string program_path)
      : payload_(payload), program_path_(std::move(program_path)) {}

  uint64_t tick_count() override;
  void pump_messages() override;
  void before_statement(Executor& executor) override;
  bool translate(std::string_view key, int slot, std::string& text) override;
  void report_exception(Executor& executor, size_t index, const std::string& text) override;
  void exit_script(Executor& executor) override;

  // The single-instance marker that ExitScript deletes ("" when none).
  void set_single_instance_marker(std::string path) { marker_ = std::move(path); }
  // The exception report outside any statement (start-up steps after <oxle>).
  void report_startup_exception(TVariableManager& vars, const std::string& text);

 private:
  void apply_cache_override(TVariableManager& vars);
  void refresh_language(TVariableManager& vars);
  void refresh_cache_paths(TVariableManager& vars);
  void show_report(bool silent, const std::string& message);

  const Payload& payload_;
  std::string program_path_;
  std::string marker_;
  std::string last_override_;
  // The wall-clock second of the last DATE/TIME refresh.
  uint64_t refreshed_second_ = ~uint64_t{0};
  std::string last_language_;
  // Cache-root look-ups are costly: remembered per (all users, override) input.
  std::string cached_root_key_;
  std::string cached_root_;
};

}  // namespace qel::engine_win
