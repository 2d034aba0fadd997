// The chart of `kippfeld --history`: the total time of the complete tests,
// oldest on the left, one bar for a test or, in a long history, for a group
// of tests next to each other, with the tests' numbers under the axis.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "history/figures.h"
#include "history/layout.h"

namespace kippfeld::history {

// Minutes, seconds and tenths, as the words' language writes them: 4:05.3,
// 4:05,3.
std::string ClockText(long long tenths);

// A test's number as the report names it: #27.
std::string TestNumber(long long number);

// Where the numbers under the axis stand: the bar each names and the text.
struct AxisLabel {
  std::size_t column = 0;  // from the first bar's column
  std::string text;
};

// The numbers of the bars that fit under them without touching one another:
// the first and the last always, the last moved left when it would run past
// `room` columns. Each bar is `barWidth` columns; `numbers` are the tests'.
std::vector<AxisLabel> PlaceAxisLabels(const std::vector<long long>& numbers, std::size_t barWidth,
                                       std::size_t room);

// The chart's title and lines; the figures' groups, joined until they fit
// the width. The figures stay as they are.
std::string ChartText(const HistoryFigures& figures, bool utf8);

}  // namespace kippfeld::history
