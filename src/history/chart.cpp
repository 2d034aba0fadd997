#include "history/chart.h"

#include <algorithm>
#include <string_view>

#include "words/words.h"

namespace kippfeld::history {

namespace {

constexpr int kChartRows = 8;
constexpr int kEighthsPerRow = 8;
// A few tests get wider bars with a gap between them, so that each one's
// number can stand under it.
constexpr std::size_t kWidestBar = 3;

// U+2581..U+2588: a cell filled from the bottom by one to eight eighths.
constexpr std::string_view kEighths[kEighthsPerRow] = {"\u2581", "\u2582", "\u2583", "\u2584",
                                                       "\u2585", "\u2586", "\u2587", "\u2588"};

// The height of a bar in eighths of a row: at least one eighth, so that
// every complete test shows.
int BarEighths(long long tenths, long long top) {
  long long eighths = top > 0 ? (2 * tenths * kChartRows * kEighthsPerRow + top) / (2 * top) : 0;
  return static_cast<int>(std::clamp<long long>(eighths, 1, kChartRows * kEighthsPerRow));
}

std::string BarCell(int eighths, int row, bool utf8) {
  int filled = std::clamp(eighths - (row - 1) * kEighthsPerRow, 0, kEighthsPerRow);
  if (!utf8) {
    // Whole rows only: a bar reaches a row when it fills at least half of it.
    return filled >= kEighthsPerRow / 2 || (row == 1 && eighths > 0) ? "#" : " ";
  }
  return filled == 0 ? " " : std::string(kEighths[filled - 1]);
}

std::string GroupNote(const std::vector<ChartGroup>& groups, long long groupSize) {
  if (groupSize == 1) return {};
  const ChartGroup& last = groups.back();
  std::string size = std::to_string(groupSize);
  // TRANSLATORS: {1} complete tests make one bar; the last bar has only {2}.
  std::string note =
      last.count != groupSize
          ? words::Fill(_("(each bar the mean of {1} complete tests, the last of {2})"),
                        {size, std::to_string(last.count)})
          : words::Fill(_("(each bar the mean of {1} complete tests)"), {size});
  return "  " + note + "\n";
}

}  // namespace

std::string ClockText(long long tenths) {
  long long seconds = tenths % 600 / 10;
  return std::to_string(tenths / 600) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds) +
         std::string(words::DecimalSeparator()) + std::to_string(tenths % 10);
}

std::string TestNumber(long long number) {
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
  return std::string(1, '#').append(std::to_string(number));
}

std::vector<AxisLabel> PlaceAxisLabels(const std::vector<long long>& numbers, std::size_t barWidth,
                                       std::size_t room) {
  std::vector<AxisLabel> labels;
  if (numbers.empty()) return labels;
  labels.push_back({0, TestNumber(numbers.front())});
  if (numbers.size() == 1) return labels;
  std::size_t firstEnd = labels.front().text.size();
  AxisLabel last{(numbers.size() - 1) * barWidth, TestNumber(numbers.back())};
  if (last.column + last.text.size() > room) last.column = room - last.text.size();
  last.column = std::max(last.column, firstEnd + 1);
  // From the left, each number that leaves a blank before it and before the
  // last one: the most numbers that fit, since each is no shorter than the
  // one before.
  std::size_t end = firstEnd;
  for (std::size_t i = 1; i + 1 < numbers.size(); ++i) {
    AxisLabel label{i * barWidth, TestNumber(numbers[i])};
    if (label.column < end + 1) continue;
    if (label.column + label.text.size() + 1 > last.column) break;
    end = label.column + label.text.size();
    labels.push_back(std::move(label));
  }
  labels.push_back(std::move(last));
  return labels;
}

std::string ChartText(const HistoryFigures& figures, bool utf8) {
  std::string out = std::string(_("Total time of the complete tests, oldest on the left")) + "\n";
  if (figures.groups.empty()) return out + "  " + _("(no complete test yet)") + "\n";
  // Wide enough for the longest complete test, which no bar's mean exceeds.
  const std::size_t labelWidth =
      std::max(kChartLabelWidth, words::Columns(ClockText(figures.longestTenths)));
  const std::size_t barsStart = kChartBarsStart - kChartLabelWidth + labelWidth;
  const std::size_t room = kReportWidth - barsStart;
  // The figures keep every group they may need for a wider chart; this one
  // joins its own copy.
  std::vector<ChartGroup> groups = figures.groups;
  long long groupSize = figures.groupSize;
  HalveGroups(groups, groupSize, room);
  out += GroupNote(groups, groupSize);
  const std::size_t barWidth = std::clamp<std::size_t>(room / groups.size(), 1, kWidestBar);
  const std::size_t drawn = barWidth == 1 ? 1 : barWidth - 1;

  std::vector<long long> means;
  std::vector<long long> numbers;
  for (const ChartGroup& group : groups) {
    means.push_back(MeanTenths(group.tenths, group.count));
    numbers.push_back(group.firstNumber);
  }
  // The last bar is named by its last test: the most recent one.
  numbers.back() = groups.back().lastNumber;
  const long long top = *std::max_element(means.begin(), means.end());

  for (int row = kChartRows; row >= 1; --row) {
    std::string label;
    if (row == kChartRows) label = ClockText(top);
    if (row == kChartRows / 2) label = ClockText(MeanTenths(top, 2));
    std::string line = "  " + PadLeft(label, labelWidth) + " |";
    for (long long mean : means) {
      std::string cell = BarCell(BarEighths(mean, top), row, utf8);
      for (std::size_t i = 0; i < drawn; ++i) line += cell;
      line.append(barWidth - drawn, ' ');
    }
    TrimRight(line);
    out += line + "\n";
  }
  out += "  " + PadLeft(ClockText(0), labelWidth) + " +" +
         std::string((means.size() - 1) * barWidth + drawn, '-') + "\n";
  std::string axis(barsStart, ' ');
  for (const AxisLabel& label : PlaceAxisLabels(numbers, barWidth, room)) {
    axis.resize(barsStart + label.column, ' ');
    axis += label.text;
  }
  return out + axis + "\n";
}

}  // namespace kippfeld::history
