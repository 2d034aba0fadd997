// What `kippfeld --history` keeps of the history while it reads it, record
// by record: the most recent tests, each task's bests, the best complete
// test, the running averages and the chart's groups. None of it grows with
// the file but the numbers it counts, so a history of any length is read in
// the same small memory.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "game/catalogue.h"
#include "game/history.h"
#include "history/layout.h"

namespace kippfeld::history {

// The list of tests shows this many, the most recent.
inline constexpr std::size_t kListedTests = 50;
// The chart never needs more bars than a line holds; groups are kept up to
// twice that, so that halving them leaves enough.
inline constexpr std::size_t kMostChartGroups = 2 * kMostChartBars;

struct ListedTest {
  long long number = 0;  // 1-based, in the order of the file
  game::TestRecord record;
};

// The best of one task; the earliest test to reach it wins a tie.
struct TaskBest {
  bool reached = false;  // by a test that completed the task
  long long timeTenths = 0;
  std::string timeDay;  // 2025-03-14
  long long moves = 0;
  std::string movesDay;
};

struct BestTest {
  long long number = 0;  // 0: no complete test yet
  std::string started;
  long long tenths = 0;
  long long moves = 0;
};

// An average of the last `size` complete tests without the best and the
// worst time of them, as a sum of the remaining times in tenths, so that
// two averages compare exactly.
struct RunningAverage {
  std::size_t size = 0;
  std::optional<long long> last;
  std::optional<long long> best;
  long long bestEndsAt = 0;  // the number of the test that ended the best one
};

// Complete tests next to each other in the file, shown as one bar.
struct ChartGroup {
  long long firstNumber = 0;
  long long lastNumber = 0;
  long long count = 0;
  long long tenths = 0;  // their times added up
};

struct HistoryFigures {
  long long tests = 0;
  long long completeTests = 0;
  std::deque<ListedTest> recent;  // at most kListedTests, oldest first
  std::array<TaskBest, game::kEntryCount> bests{};
  BestTest bestTest;
  std::deque<long long> lastTenths;  // of the most recent complete tests, oldest first
  std::array<RunningAverage, 2> averages{{{5, {}, {}, 0}, {12, {}, {}, 0}}};
  std::vector<ChartGroup> groups;
  long long groupSize = 1;  // complete tests per group, the last one may have fewer
  long long longestTenths = 0;
};

// A test's time as the report shows it: in whole tenths.
long long Tenths(long double seconds);

// The sum of the times (tenths) without one best and one worst; needs at
// least three.
long long SumWithoutExtremes(const std::deque<long long>& tenths, std::size_t size);

// The mean of the `count` times whose sum this is, in tenths, half up.
long long MeanTenths(long long sum, long long count);

void AddRecord(HistoryFigures& figures, const game::TestRecord& record);

// Joins the groups two by two, doubling groupSize each time, until there
// are at most `most`.
void HalveGroups(std::vector<ChartGroup>& groups, long long& groupSize, std::size_t most);

}  // namespace kippfeld::history
