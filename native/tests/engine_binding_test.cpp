#include <gtest/gtest.h>

#include <memory>

#include "engine/compiler.h"
#include "engine/dispatch.h"
#include "engine/executor.h"
#include "engine/process_state.h"
#include "engine/variables.h"
#include "native/spooler/deferred_statements.h"
#include "native/spooler/native_worker.h"
#include "native/spooler/spooler_platform.h"

namespace qel::native {
namespace {

// The worker's run is cancelled by the user at once.
class CancelledWorker final : public NativeWorker {
 public:
  struct Run final : commands::Worker {
    bool done = false;
    void Start() override {
      variables().Set("OXLE_IsCancelled", "TRUE");
      done = true;
    }
    bool Done() const override { return done; }
    void RequestStop() override {}
    void Kill() override { done = true; }
  };
  std::unique_ptr<commands::Worker> Create(const NativeRunRequest&) override { return std::make_unique<Run>(); }
};

TEST(EngineBindingTest, CancelledNativeRunEndsTheScriptThroughTheExecutor) {
  const struct {
    const char* abort_on_error;
    bool later_statement_runs;
  } cases[] = {{"TRUE", false}, {"FALSE", true}};
  for (const auto& c : cases) {
    AddPortableNativeModelHandlers();
    BindNativeModelToEngine();
    int marks = 0;
    command_table().register_command("Mark", [&marks](Statement&) { ++marks; });
    CancelledWorker worker;
    SetNativeWorker(&worker);
    spooler_platform().silent = [] { return true; };

    Payload& payload = process_state().payload;
    payload = Payload();
    payload.names = {"Create Folder", "Mark"};
    payload.keys = {"{K0}", "{K1}"};
    payload.flags = {"", ""};
    payload.params = {"{K0}", "C:\\X", "{K1}"};
    ParameterLists parameters(&payload.params);
    TVariableManager& vars = variables();
    vars.Clear();
    vars.Define("NATIVE_ENGINE", "TRUE");
    vars.Define("NATIVE_ROLLBACK", "FALSE");
    vars.Define("ABORTONERROR", c.abort_on_error);
    ExecutorHost host;
    const ScriptLists lists = script_lists(payload, parameters);
    Executor executor(lists, vars, host);
    executor.set_payload(&payload);
    executor.prepare();
    executor.run();
    EXPECT_EQ(marks > 0, c.later_statement_runs) << c.abort_on_error;

    SetNativeWorker(nullptr);
    spooler_platform() = SpoolerPlatform();
    command_table().remove("Mark");
    payload = Payload();
    vars.Clear();
  }
}

}  // namespace
}  // namespace qel::native
