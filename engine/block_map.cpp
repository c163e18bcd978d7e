// The jump targets of the block scans, computed in two linear passes.
//
// The skip scans count "If" and "Wizard Loop" as openers and "End" as closer and
// pass inactive statements. With L(k) the nesting level in front of statement k,
// a scan started at j stops at the first active stop statement k > j whose level
// L(k) equals L(j + 1): the level can only fall below that through an "End" at
// that very level, which is itself a stop. So walking backwards and remembering,
// per level, the nearest stop statement gives every answer.
#include <string>

#include "engine/compiler.h"

namespace qel {

namespace {

enum class Shape { Other, Opener, End, Branch, LoopOpen, LoopClose };

Shape shape_of(const std::string& name) {
  if (name == "If" || name == "Wizard Loop") return Shape::Opener;
  if (name == "End") return Shape::End;
  if (name == "Else" || name == "Else If") return Shape::Branch;
  if (name == "While" || name == "Repeat") return Shape::LoopOpen;
  if (name == "Wend" || name == "Until") return Shape::LoopClose;
  return Shape::Other;
}

}  // namespace

void BlockMap::clear() {
  next_branch.clear();
  block_end.clear();
  loop_partner.clear();
  enclosing_loop.clear();
}

void BlockMap::build(const ScriptLists& script) {
  const size_t n = script.size();
  clear();
  next_branch.assign(n, npos);
  block_end.assign(n, npos);
  loop_partner.assign(n, npos);
  enclosing_loop.assign(n, npos);
  if (n == 0) return;

  std::vector<Shape> shapes(n);
  std::vector<long> level(n + 1, 0);  // level[k]: nesting level in front of statement k
  for (size_t k = 0; k < n; ++k) {
    shapes[k] = script.inactive(k) ? Shape::Other : shape_of(script.name(k));
    long delta = shapes[k] == Shape::Opener ? 1 : shapes[k] == Shape::End ? -1 : 0;
    level[k + 1] = level[k] + delta;
  }

  // Levels lie within [-n, n].
  const long offset = static_cast<long>(n);
  std::vector<size_t> nearest_stop(2 * n + 2, npos), nearest_end(2 * n + 2, npos);
  for (size_t j = n; j-- > 0;) {
    const size_t after = static_cast<size_t>(level[j + 1] + offset);
    next_branch[j] = nearest_stop[after];
    block_end[j] = nearest_end[after];
    const size_t here = static_cast<size_t>(level[j] + offset);
    if (shapes[j] == Shape::Branch || shapes[j] == Shape::End) nearest_stop[here] = j;
    if (shapes[j] == Shape::End) nearest_end[here] = j;
  }

  // Loops: the loop scans skip only commented statements.
  std::vector<size_t> open;
  for (size_t k = 0; k < n; ++k) {
    enclosing_loop[k] = open.empty() ? npos : open.back();
    if (script.commented(k)) continue;
    const std::string& name = script.name(k);
    if (name == "While" || name == "Repeat") {
      open.push_back(k);
    } else if (name == "Wend" || name == "Until") {
      const char* partner = name == "Wend" ? "While" : "Repeat";
      // A closer of the wrong kind stays unmatched; the executor scans for it then.
      if (!open.empty() && script.name(open.back()) == partner) {
        loop_partner[k] = open.back();
        loop_partner[open.back()] = k;
        open.pop_back();
      }
    }
  }
}

}  // namespace qel
