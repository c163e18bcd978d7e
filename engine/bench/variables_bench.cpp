// Bare variable-store throughput: the yardstick for the executor's statements per
// second. Run a Release build: variables_bench [seconds per measurement, default 0.5]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/conditions.h"
#include "engine/mathematics.h"
#include "engine/variables.h"

namespace {

using Clock = std::chrono::steady_clock;

double g_seconds = 0.5;
size_t g_sink = 0;  // printed at the end, so that no measured work is optimized away

template <typename Op>
void Measure(const char* name, Op op) {
  constexpr int kBatch = 1000;
  long long count = 0;
  const auto start = Clock::now();
  double elapsed = 0;
  do {
    for (int i = 0; i < kBatch; ++i) op(i);
    count += kBatch;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < g_seconds);
  std::printf("%-44s %12.0f ops/s  %8.1f ns/op\n", name, count / elapsed, elapsed * 1e9 / count);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_seconds = std::atof(argv[1]);
  qel::TVariableManager v;
  // About as many variables as a real run holds: the built-ins plus script variables.
  for (int i = 0; i < 150; ++i) v.Define("VAR_" + std::to_string(i), "value " + std::to_string(i));
  v.Define("TITLE", "Example Product");
  v.Define("TARGETDIR", "C:\\Program Files\\Example");
  v.Define("COUNTER", "0");
  v.Define("OXLE_IsCancelled", "FALSE");

  const std::string values[4] = {"1", "22", "333", "4444"};
  std::string buffer;

  Measure("Set (existing variable)", [&](int i) { v.Set("COUNTER", values[i & 3]); });
  Measure("Set (name in other case)", [&](int i) { v.Set("counter", values[i & 3]); });
  Measure("Get (returns a copy)", [&](int) { g_sink += v.Get("OXLE_IsCancelled").size(); });
  Measure("TryGet (into a reused buffer)", [&](int) {
    v.TryGet("OXLE_IsCancelled", buffer);
    g_sink += buffer.size();
  });
  Measure("Exists", [&](int) { g_sink += v.Exists("TARGETDIR"); });
  Measure("Assign (Set Variable path)", [&](int i) { v.Assign("COUNTER", values[i & 3], "Set Variable Action"); });
  Measure("Expand (no reference)", [&](int) { g_sink += v.Expand("plain parameter text").size(); });
  Measure("ExpandTo (no reference)", [&](int) {
    v.ExpandTo("plain parameter text", buffer);
    g_sink += buffer.size();
  });
  Measure("Expand (one reference)", [&](int) { g_sink += v.Expand("$COUNTER$").size(); });
  Measure("ExpandTo (two references in a path)", [&](int) {
    v.ExpandTo("$TARGETDIR$\\$TITLE$.exe", buffer);
    g_sink += buffer.size();
  });
  Measure("ExpandQuoted (expression)", [&](int) { g_sink += v.ExpandQuoted("$COUNTER$ < \"1000\"").size(); });
  Measure("Condition (integer, reference form)", [&](int) { g_sink += qel::EvaluateCondition(v, "$COUNTER$", "2", "1000", ""); });
  Measure("Mathematics (add into the variable)", [&](int) {
    g_sink += qel::RunMathematics(v, "$COUNTER$", "1", "0", "COUNTER").size();
  });
  std::printf("(checksum %zu)\n", g_sink);
  return 0;
}
