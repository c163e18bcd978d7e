// Decisions of the memo scroll handling, apart from the windows. Portable.
#pragma once

namespace qel::wizard::binding {

// The maximum length that tells a page's rules the reader reached the end.
inline constexpr long long kReadToEndLength = 2147483647;

// From the vertical scroll information: the end of the text is visible.
bool EndVisible(int max, int pos, unsigned page);

enum class ScrollBars { None, Horizontal, Vertical, Both };

struct MemoMeasure {
  int longest_line_chars = 0;   // characters of the longest line
  int line_count = 0;
  int average_char_width = 0;   // pixels
  int line_height = 0;          // pixels
  int client_width = 0;         // measured with both bars shown
  int client_height = 0;
  bool word_wrap = true;
};

// The scroll bars a memo needs in addition to those it has.
ScrollBars AutomaticScrollBars(ScrollBars current, const MemoMeasure& m);

}  // namespace qel::wizard::binding
