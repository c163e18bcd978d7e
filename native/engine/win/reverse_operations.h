// The reverse operations of the native log on Windows.
#pragma once

#include "native/engine/win/worker_context.h"
#include "native/log/reverse_processor.h"

namespace qel::native::win {

class WindowsReverseOperations final : public ReverseOperations {
 public:
  explicit WindowsReverseOperations(WorkerContext& ctx) : ctx_(ctx) {}
  std::string CurrentBitness() override;
  void UseBitness(const std::string& mode) override;
  bool Reverse(std::string_view element, const std::vector<std::string>& fields) override;

 private:
  bool DeleteRegistry(const std::vector<std::string>& f);
  bool DeleteFileStep(const std::string& file);
  bool Unregister(const std::string& file);
  bool Unshare(const std::string& file, bool self_registering);
  bool DeleteServiceStep(const std::string& name);
  bool DeleteOdbcDriver(const std::vector<std::string>& f);
  bool DeleteEnvironment(const std::vector<std::string>& f);
  bool RemoveIniEntry(const std::vector<std::string>& f);
  bool DeleteFolders(const std::vector<std::string>& f);

  WorkerContext& ctx_;
};

// Adapts the worker's progress to the reverse processor.
class WorkerReverseProgress final : public ReverseProgress {
 public:
  explicit WorkerReverseProgress(WorkerContext& ctx) : ctx_(ctx) {}
  uint64_t Maximum() override { return ctx_.progress_max.load(); }
  void SetMaximum(uint64_t maximum) override { ctx_.progress_max = maximum; }
  bool Step(const std::string& caption, uint64_t units) override { return ctx_.Step(caption, units); }

 private:
  WorkerContext& ctx_;
};

}  // namespace qel::native::win
