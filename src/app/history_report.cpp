#include "app/history_report.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/catalogue.h"
#include "game/history.h"

namespace kippfeld::app {

using namespace game;

namespace {

constexpr int kChartRows = 8;
constexpr int kEighthsPerRow = 8;
// Every line fits an 80-column terminal without touching its last column,
// where some terminals wrap. The chart's labels and axis leave the rest of
// the width to one bar per complete test. A label takes nine columns up to
// 9999:59.9; a longer time widens the labels and leaves fewer bars.
constexpr std::size_t kWidth = 79;
constexpr std::size_t kLabelWidth = 9;

// U+2581..U+2588: a cell filled from the bottom by one to eight eighths.
constexpr std::string_view kEighths[kEighthsPerRow] = {"\u2581", "\u2582", "\u2583", "\u2584",
                                                       "\u2585", "\u2586", "\u2587", "\u2588"};

std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

void TrimRight(std::string& line) {
  line.erase(line.find_last_not_of(' ') + 1);
}

// 2025-03-14T09:26:53+01:00 as 2025-03-14 09:26: the local time the player
// saw on the clock; the offset only tells the zone it was in.
std::string StartedText(const TestRecord& record) {
  return record.started.substr(0, 10) + " " + record.started.substr(11, 5);
}

std::string DayText(const TestRecord& record) {
  return record.started.substr(0, 10);
}

long long Tenths(long double seconds) {
  return std::llround(seconds * 10);
}

// Minutes, seconds and tenths: 4:05.3.
std::string ClockText(long double seconds) {
  long long tenths = Tenths(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths % 600 / 10,
                tenths % 10);
  return text;
}

// Seconds with their tenth, as the table lists them: 12.2, 30.
std::string SecondsText(long double seconds) {
  long long tenths = Tenths(seconds);
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text.append(".").append(std::to_string(tenths % 10));
  return text;
}

bool Complete(const TestRecord& record) {
  return record.tasks == kTaskCount;
}

void ReportTests(const std::vector<TestRecord>& records, std::string& out) {
  auto line = [](std::string number, std::string started, std::string tasks, std::string time,
                 std::string moves) {
    return PadLeft(std::move(number), 4) + "  " + PadRight(std::move(started), 16) + "  " +
           PadLeft(std::move(tasks), 5) + "  " + PadLeft(std::move(time), 9) + "  " +
           PadLeft(std::move(moves), 6) + "\n";
  };
  out += "Tests\n";
  out += line("#", "Started", "Tasks", "Time", "Moves");
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TestRecord& r = records[i];
    out += line(std::to_string(i + 1), StartedText(r),
                std::to_string(r.tasks) + "/" + std::to_string(kTaskCount), ClockText(r.time),
                std::to_string(r.moves));
  }
}

// The best of one task: the earliest test to reach it wins a tie.
struct Best {
  std::optional<std::size_t> time;
  std::optional<std::size_t> moves;
};

void ReportBests(const std::vector<TestRecord>& records, std::string& out) {
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue);
  auto line = [](std::string number, std::string name, std::string time, std::string timeDay,
                 std::string moves, std::string movesDay) {
    std::string text = PadLeft(std::move(number), 4) + "  " + PadRight(std::move(name), 29) + "  " +
                       PadLeft(std::move(time), 8) + "  " + PadRight(std::move(timeDay), 10) +
                       "  " + PadLeft(std::move(moves), 7) + "  " + std::move(movesDay);
    TrimRight(text);
    return text + "\n";
  };
  out += "Best time and fewest moves per task\n";
  out += line("#", "Task", "Time", "on", "Moves", "on");
  for (int k = 1; k <= kTaskCount; ++k) {
    Best best;
    for (std::size_t i = 0; i < records.size(); ++i) {
      const TestRecord& r = records[i];
      // Only a completed task has a time, and only its moves reached the picture.
      if (r.tasks < k) continue;
      if (!best.time || r.taskTime[k] < records[*best.time].taskTime[k]) best.time = i;
      if (!best.moves || r.taskMoves[k] < records[*best.moves].taskMoves[k]) best.moves = i;
    }
    std::string name = catalogue.names[static_cast<std::size_t>(k)];
    TrimRight(name);
    if (best.time) {
      const TestRecord& fastest = records[*best.time];
      const TestRecord& fewest = records[*best.moves];
      out += line(std::to_string(k), name, SecondsText(fastest.taskTime[k]) + " s",
                  DayText(fastest), std::to_string(fewest.taskMoves[k]), DayText(fewest));
    } else {
      out += line(std::to_string(k), name, "-", "-", "-", "-");
    }
  }
}

void ReportBestTest(const std::vector<TestRecord>& records, std::string& out) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const TestRecord& r = records[i];
    if (!Complete(r)) continue;
    if (!best || Tenths(r.time) < Tenths(records[*best].time) ||
        (Tenths(r.time) == Tenths(records[*best].time) && r.moves < records[*best].moves)) {
      best = i;
    }
  }
  if (!best) {
    out += "Best complete test: none yet (all twelve tasks in one test)\n";
    return;
  }
  const TestRecord& r = records[*best];
  out += "Best complete test: #" + std::to_string(*best + 1) + " on " + StartedText(r) + ", " +
         ClockText(r.time) + " with " + std::to_string(r.moves) + " moves\n";
}

// The height of a bar in eighths of a row: at least one eighth, so that
// every complete test shows.
int BarEighths(long double time, long double top) {
  long long eighths = top > 0 ? std::llround(time / top * kChartRows * kEighthsPerRow) : 0;
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

void ReportChart(const std::vector<TestRecord>& records, const ReportStyle& style,
                 std::string& out) {
  std::vector<std::size_t> complete;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (Complete(records[i])) complete.push_back(i);
  }
  out += "Total time of the complete tests, oldest on the left\n";
  if (complete.empty()) {
    out += "  (no complete test yet)\n";
    return;
  }
  // Wide enough for the longest complete test, whichever of them are shown.
  long double longest = 0;
  for (std::size_t i : complete) longest = std::max<long double>(longest, records[i].time);
  const std::size_t labelWidth = std::max(kLabelWidth, ClockText(longest).size());
  const std::size_t mostBars = kWidth - 2 - labelWidth - 2;
  if (complete.size() > mostBars) {
    out += "  (the last " + std::to_string(mostBars) + " of " + std::to_string(complete.size()) +
           " complete tests)\n";
    complete.erase(complete.begin(), complete.end() - static_cast<std::ptrdiff_t>(mostBars));
  }
  long double top = 0;
  for (std::size_t i : complete) top = std::max<long double>(top, records[i].time);
  std::vector<int> heights;
  for (std::size_t i : complete) heights.push_back(BarEighths(records[i].time, top));

  for (int row = kChartRows; row >= 1; --row) {
    std::string label;
    if (row == kChartRows) label = ClockText(top);
    if (row == kChartRows / 2) label = ClockText(top / 2);
    std::string line = "  " + PadLeft(label, labelWidth) + " |";
    for (int height : heights) line += BarCell(height, row, style.utf8);
    TrimRight(line);
    out += line + "\n";
  }
  out += "  " + PadLeft(ClockText(0), labelWidth) + " +" + std::string(heights.size(), '-') + "\n";
  // The tests' numbers under the first and the last bar; the last one moves
  // left when it would run past the width.
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
  std::string first = std::string(1, '#').append(std::to_string(complete.front() + 1));
  std::string last = std::string(1, '#').append(std::to_string(complete.back() + 1));
  std::size_t barsStart = 2 + labelWidth + 2;
  std::string numbers = std::string(barsStart, ' ') + first;
  std::size_t lastStart = std::min(barsStart + heights.size() - 1, kWidth - last.size());
  if (complete.size() > 1 && numbers.size() + 1 <= lastStart) {
    numbers = PadRight(numbers, lastStart) + last;
  }
  out += numbers + "\n";
}

}  // namespace

HistoryReport ReportHistory(std::string_view place, std::string_view content,
                            const ReportStyle& style) {
  HistoryReport report;
  std::string shownPlace = PrintableText(place, style.utf8);
  History history = ParseHistory(content);
  for (const HistoryProblem& problem : history.problems) {
    report.errors.push_back("kippfeld: " + shownPlace + ":" + std::to_string(problem.line) +
                            ": skipped: " + problem.reason);
  }
  if (history.records.empty()) {
    report.out = "No tests recorded yet in " + shownPlace + ".\n";
    return report;
  }
  std::string& out = report.out;
  out += "Tests recorded in " + shownPlace + "\n\n";
  ReportTests(history.records, out);
  out += "\n";
  ReportBests(history.records, out);
  out += "\n";
  ReportBestTest(history.records, out);
  out += "\n";
  ReportChart(history.records, style, out);
  return report;
}

int RunHistoryCommand(HistorySource& source, const ReportStyle& style, std::FILE* out,
                      std::FILE* err) {
  std::string place = source.Place();
  std::string content;
  std::string reason;
  if (ReadWhole(source, content, reason) == platform::HistoryRead::kFailed) {
    std::string where;
    if (!place.empty()) where.append(" ").append(PrintableText(place, style.utf8));
    std::fprintf(err, "kippfeld: cannot read the history%s: %s\n", where.c_str(),
                 PrintableText(reason, style.utf8).c_str());
    return 1;
  }
  HistoryReport report = ReportHistory(place, content, style);
  for (const std::string& line : report.errors) std::fprintf(err, "%s\n", line.c_str());
  std::fputs(report.out.c_str(), out);
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "kippfeld: cannot write the report: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace kippfeld::app
