#include "wizard/binding/scroll_rules.h"

namespace qel::wizard::binding {

bool EndVisible(int max, int pos, unsigned page) {
  long long remaining = static_cast<long long>(max) - pos;
  return remaining < 0 || static_cast<long long>(page) >= remaining;
}

namespace {

ScrollBars Add(ScrollBars current, ScrollBars bar) {
  if (current == ScrollBars::None) return bar;
  if (current == bar || current == ScrollBars::Both) return current;
  return ScrollBars::Both;
}

}  // namespace

ScrollBars AutomaticScrollBars(ScrollBars current, const MemoMeasure& m) {
  ScrollBars out = current;
  if (!m.word_wrap) {
    long long longest = static_cast<long long>(m.longest_line_chars) * m.average_char_width + 1;
    if (longest >= m.client_width) out = Add(out, ScrollBars::Horizontal);
  }
  long long height = static_cast<long long>(m.line_count) * m.line_height + 1;
  if (height >= m.client_height) out = Add(out, ScrollBars::Vertical);
  return out;
}

}  // namespace qel::wizard::binding
