#include "history/figures.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

namespace kippfeld::history {

using namespace game;

namespace {

std::string Day(const TestRecord& record) {
  return record.started.substr(0, 10);
}

void AddBests(HistoryFigures& figures, const TestRecord& record) {
  // Only a completed task has a time, and only its moves reached the picture.
  for (int k = 1; k <= record.tasks; ++k) {
    TaskBest& best = figures.bests[static_cast<std::size_t>(k)];
    long long tenths = Tenths(record.taskTime[k]);
    if (!best.reached || tenths < best.timeTenths) {
      best.timeTenths = tenths;
      best.timeDay = Day(record);
    }
    if (!best.reached || record.taskMoves[k] < best.moves) {
      best.moves = record.taskMoves[k];
      best.movesDay = Day(record);
    }
    best.reached = true;
  }
}

void AddAverages(HistoryFigures& figures, long long tenths) {
  figures.lastTenths.push_back(tenths);
  if (figures.lastTenths.size() > figures.averages.back().size) figures.lastTenths.pop_front();
  for (RunningAverage& average : figures.averages) {
    if (figures.lastTenths.size() < average.size) continue;
    long long sum = SumWithoutExtremes(figures.lastTenths, average.size);
    average.last = sum;
    if (!average.best || sum < *average.best) {
      average.best = sum;
      average.bestEndsAt = figures.tests;
    }
  }
}

void AddToChart(HistoryFigures& figures, long long tenths) {
  figures.longestTenths = std::max(figures.longestTenths, tenths);
  if (figures.groups.empty() || figures.groups.back().count >= figures.groupSize) {
    figures.groups.push_back({figures.tests, figures.tests, 0, 0});
  }
  ChartGroup& group = figures.groups.back();
  group.lastNumber = figures.tests;
  ++group.count;
  group.tenths += tenths;
  HalveGroups(figures.groups, figures.groupSize, kMostChartGroups);
}

}  // namespace

long long Tenths(long double seconds) {
  return std::llround(seconds * 10);
}

long long SumWithoutExtremes(const std::deque<long long>& tenths, std::size_t size) {
  auto first = std::prev(tenths.end(), static_cast<std::ptrdiff_t>(size));
  long long sum = 0;
  for (auto it = first; it != tenths.end(); ++it) sum += *it;
  auto [lowest, highest] = std::minmax_element(first, tenths.end());
  // Ties: one of the equal times goes, the others stay.
  return sum - *lowest - *highest;
}

long long MeanTenths(long long sum, long long count) {
  return (2 * sum + count) / (2 * count);
}

void AddRecord(HistoryFigures& figures, const TestRecord& record) {
  ++figures.tests;
  figures.recent.push_back({figures.tests, record});
  if (figures.recent.size() > kListedTests) figures.recent.pop_front();
  AddBests(figures, record);
  if (record.tasks != kTaskCount) return;
  ++figures.completeTests;
  long long tenths = Tenths(record.time);
  BestTest& best = figures.bestTest;
  if (best.number == 0 || tenths < best.tenths ||
      (tenths == best.tenths && record.moves < best.moves)) {
    best = {figures.tests, record.started, tenths, record.moves};
  }
  AddAverages(figures, tenths);
  AddToChart(figures, tenths);
}

void HalveGroups(std::vector<ChartGroup>& groups, long long& groupSize, std::size_t most) {
  while (groups.size() > most && groups.size() > 1) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < groups.size(); i += 2) {
      ChartGroup joined = groups[i];
      if (i + 1 < groups.size()) {
        joined.lastNumber = groups[i + 1].lastNumber;
        joined.count += groups[i + 1].count;
        joined.tenths += groups[i + 1].tenths;
      }
      groups[kept++] = joined;
    }
    groups.resize(kept);
    groupSize *= 2;
  }
}

}  // namespace kippfeld::history
