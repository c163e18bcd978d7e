// Executor and compiler throughput (a measurement, not a test).
//   executor_bench            prints statements per second of a loop-heavy script
//                             next to a plain C++ loop doing the same variable-store
//                             work, compile times for growing scripts, and the cost
//                             of jumps over large skipped blocks.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/compiler.h"
#include "engine/conditions.h"
#include "engine/executor.h"
#include "engine/mathematics.h"
#include "engine/tests/script_builder.h"
#include "engine/variables.h"

using namespace qel;
using qel::testing::Stmt;
using qel::testing::TestScript;

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ExecutorHost g_host;

// Set N 0 / While not N > limit / N = N + 1 / X = $N$ / Wend: four statements per pass.
void loop_script(long iterations) {
  const std::string limit = std::to_string(iterations - 1);
  TestScript script({{"Set Variable", {"N", "0"}},
                     {"While", {"N", "2", limit, "TRUE"}},
                     {"Mathematics", {"$N$", "1", "0", "N"}},
                     {"Set Variable", {"X", "$N$"}},
                     {"Wend"}});
  TVariableManager vars;
  compile_script(script.lists(), vars);
  vars.Clear();
  Executor executor(script.lists(), vars, g_host);
  executor.prepare();
  auto start = std::chrono::steady_clock::now();
  executor.run();
  const double t = seconds_since(start);
  const double statements = static_cast<double>(executor.statements_run());
  std::printf("executor:   %.0f statements in %.3f s = %.2f M statements/s (X=%s)\n", statements, t,
              statements / t / 1e6, vars.Get("X").c_str());

  TVariableManager plain;
  start = std::chrono::steady_clock::now();
  long ops = 0;
  plain.DeclareOrAssign("N", "0", "Set Variable Action");
  ops++;
  while (EvaluateCondition(plain, "N", "2", limit, "TRUE")) {
    RunMathematics(plain, "$N$", "1", "0", "N");
    plain.Assign("X", plain.Expand("$N$"), "Set Variable Action");
    ops += 4;  // condition, arithmetic, assignment, loop end
  }
  ops++;
  const double tp = seconds_since(start);
  std::printf("plain C++:  %ld operations in %.3f s = %.2f M operations/s (X=%s); executor overhead x%.2f\n", ops, tp,
              ops / tp / 1e6, plain.Get("X").c_str(), t / tp);
}

// A script of n statements mixing blocks, loops, labels, result variables and jumps.
std::vector<Stmt> mixed_script(size_t n) {
  std::vector<Stmt> s;
  s.reserve(n + 16);
  size_t label = 0;
  while (s.size() + 12 <= n) {
    std::string name = "L", variable = "V", result = "R";
    name += std::to_string(label++);
    variable += std::to_string(label % 97);
    result += std::to_string(label % 89);
    s.push_back({"Label", {name}});
    s.push_back({"Set Variable", {variable, "x"}});
    s.push_back({"If", {"TITLE", "0", "a", "FALSE"}});
    s.push_back({"Read Registry", {result, "HKLM"}});
    s.push_back({"Else If", {"TITLE", "0", "b", "FALSE"}});
    s.push_back({"Comment", {"c"}});
    s.push_back({"End"});
    s.push_back({"While", {"TITLE", "0", "z", "FALSE"}});
    s.push_back({"If", {"TITLE", "0", "c", "FALSE"}});
    s.push_back({"Break"});
    s.push_back({"End"});
    s.push_back({"Wend"});
  }
  s.push_back({"GoTo Label", {"L0"}});
  return s;
}

void compile_times() {
  for (size_t n : {10'000u, 100'000u, 10'000u, 100'000u, 200'000u}) {
    TestScript script(mixed_script(n));
    TVariableManager vars;
    auto start = std::chrono::steady_clock::now();
    CompileOutput out = compile_script(script.lists(), vars);
    const double tc = seconds_since(start);
    Executor executor(script.lists(), vars, g_host);
    start = std::chrono::steady_clock::now();
    executor.prepare();
    const double tp = seconds_since(start);
    std::printf("compile %6zu statements: %.1f ms (%s), jump tables %.1f ms, %.2f us/statement\n",
                script.lists().size(), tc * 1e3, out.ok() ? "ok" : out.result.message.c_str(), tp * 1e3,
                (tc + tp) / script.lists().size() * 1e6);
  }
}

// A loop that jumps 1,000 times over a false If holding 100,000 statements.
void skip_jumps() {
  std::vector<Stmt> s = {{"Set Variable", {"N", "0"}}, {"While", {"N", "2", "999", "TRUE"}},
                         {"Mathematics", {"$N$", "1", "0", "N"}}, {"If", {"N", "0", "-1", "FALSE"}}};
  for (int i = 0; i < 100'000; ++i) s.push_back({"Set Variable", {"Y", "y"}});
  s.push_back({"End"});
  s.push_back({"Wend"});
  TestScript script(s);
  TVariableManager vars;
  compile_script(script.lists(), vars);
  vars.Clear();
  Executor executor(script.lists(), vars, g_host);
  executor.prepare();
  auto start = std::chrono::steady_clock::now();
  executor.run();
  const double t = seconds_since(start);
  std::printf("skips:      1000 jumps over 100,000 statements (and 1000 Wend->While jumps) in %.3f s, %.2f us/pass\n", t,
              t / 1000 * 1e6);
}

}  // namespace

int main() {
  loop_script(250'000);
  compile_times();
  skip_jumps();
  return 0;
}
