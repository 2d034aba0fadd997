// How the history's text is laid out for a terminal: the width every line
// keeps within, the columns the chart's parts take, and the padding and
// trimming of columns, counted in characters as a terminal shows them.
#pragma once

#include <cstddef>
#include <string>

#include "words/words.h"

namespace kippfeld::history {

// Every line fits an 80-column terminal without touching its last column,
// where some terminals wrap.
inline constexpr std::size_t kReportWidth = 79;

// The chart's value labels take nine columns up to 9999:59.9; a longer time
// widens them and leaves fewer bars.
inline constexpr std::size_t kChartLabelWidth = 9;
// Two blanks, the label, a blank and the axis before the first bar.
inline constexpr std::size_t kChartBarsStart = 2 + kChartLabelWidth + 2;
// The most bars a line holds: one column each.
inline constexpr std::size_t kMostChartBars = kReportWidth - kChartBarsStart;

inline void TrimRight(std::string& line) {
  line.erase(line.find_last_not_of(' ') + 1);
}

// The text after as many blanks as bring it to `width` columns.
inline std::string PadLeft(std::string text, std::size_t width) {
  std::size_t columns = words::Columns(text);
  if (columns < width) text.insert(0, width - columns, ' ');
  return text;
}

}  // namespace kippfeld::history
