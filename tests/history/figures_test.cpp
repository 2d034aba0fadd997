#include "history/figures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "game/history.h"

namespace kippfeld::history {
namespace {

using namespace game;

// A complete test of `tenths` in all, or an incomplete one when 0.
TestRecord Test(long long tenths) {
  TestRecord record;
  record.started = "2025-03-14T09:26:53+01:00";
  record.tasks = tenths > 0 ? kTaskCount : 3;
  record.time = static_cast<float>(tenths) / 10;
  record.moves = 70;
  return record;
}

HistoryFigures Figures(const std::vector<long long>& tenths) {
  HistoryFigures figures;
  for (long long t : tenths) AddRecord(figures, Test(t));
  return figures;
}

// Means of the averages in tenths: last and best, and where the best ended.
struct Averages {
  std::optional<long long> last5, best5, last12, best12;
  long long bestEnd5 = 0, bestEnd12 = 0;
};

Averages Means(const HistoryFigures& figures) {
  Averages means;
  const RunningAverage& five = figures.averages[0];
  const RunningAverage& twelve = figures.averages[1];
  if (five.last) means.last5 = MeanTenths(*five.last, 3);
  if (five.best) means.best5 = MeanTenths(*five.best, 3);
  if (twelve.last) means.last12 = MeanTenths(*twelve.last, 10);
  if (twelve.best) means.best12 = MeanTenths(*twelve.best, 10);
  means.bestEnd5 = five.bestEndsAt;
  means.bestEnd12 = twelve.bestEndsAt;
  return means;
}

TEST(Averages, NoneBeforeFiveCompleteTests) {
  // Incomplete tests (0) do not count.
  Averages means = Means(Figures({100, 0, 200, 300, 0, 400}));
  EXPECT_FALSE(means.last5);
  EXPECT_FALSE(means.best5);
  EXPECT_FALSE(means.last12);
}

TEST(Averages, ExactlyFiveLeaveOutTheirBestAndWorst) {
  // 20.0, 50.0 and 33.0 s remain: 34.3 s.
  Averages means = Means(Figures({100, 0, 200, 500, 330, 0, 1000}));
  EXPECT_EQ(means.last5, 343);
  EXPECT_EQ(means.best5, 343);
  EXPECT_EQ(means.bestEnd5, 7);
  EXPECT_FALSE(means.last12);
}

TEST(Averages, TiesForBestAndWorstLeaveOneOfEachOut) {
  // Two bests and two worsts: one of each stays.
  EXPECT_EQ(Means(Figures({100, 100, 200, 300, 300})).last5, 200);
  // All the same.
  EXPECT_EQ(Means(Figures({250, 250, 250, 250, 250})).last5, 250);
  // The mean of 10.0, 10.1 and 10.1 s is 10.0666 s: 10.1 s.
  EXPECT_EQ(Means(Figures({100, 100, 101, 101, 900})).last5, 101);
}

TEST(Averages, TwelveAndMoreKeepTheBestSoFar) {
  std::vector<long long> tenths;
  for (int i = 0; i < 12; ++i) tenths.push_back(600 - 10 * i);  // 60.0 down to 49.0 s
  tenths.push_back(0);
  tenths.push_back(2000);  // a slow one after an incomplete test
  tenths.push_back(2000);
  HistoryFigures figures = Figures(tenths);
  Averages means = Means(figures);
  // The last five: 50.0, 49.0, 200.0, 200.0 and 51.0 s, without 49.0 and
  // one 200.0: (50 + 51 + 200) / 3 = 100.3 s.
  EXPECT_EQ(means.last5, 1003);
  // The best five were the last five of the first twelve: 53.0 .. 49.0 s
  // without 53.0 and 49.0, 51.0 s, ended by test #12.
  EXPECT_EQ(means.best5, 510);
  EXPECT_EQ(means.bestEnd5, 12);
  // The first twelve without 60.0 and 49.0: 54.5 s.
  EXPECT_EQ(means.best12, 545);
  EXPECT_EQ(means.bestEnd12, 12);
  // The last twelve: 58.0 .. 49.0 and two of 200.0 s, without 49.0 and
  // one 200.0: (58.0 + 57.0 + ... + 50.0 + 200.0) / 10 = 68.6 s.
  EXPECT_EQ(means.last12, 686);
  EXPECT_EQ(figures.completeTests, 14);
  EXPECT_EQ(figures.tests, 15);
}

TEST(ChartGroups, HalveWhenTooManyAndKeepTheirTests) {
  std::vector<long long> tenths(kMostChartGroups + 1, 100);
  tenths[0] = 300;
  HistoryFigures figures = Figures(tenths);
  ASSERT_EQ(figures.groupSize, 2);
  ASSERT_EQ(figures.groups.size(), (kMostChartGroups + 2) / 2);
  EXPECT_EQ(figures.groups[0].firstNumber, 1);
  EXPECT_EQ(figures.groups[0].lastNumber, 2);
  EXPECT_EQ(MeanTenths(figures.groups[0].tenths, figures.groups[0].count), 200);
  EXPECT_EQ(figures.groups.back().count, 1);
  EXPECT_EQ(figures.groups.back().lastNumber, static_cast<long long>(kMostChartGroups + 1));
  HalveGroups(figures.groups, figures.groupSize, 10);
  EXPECT_LE(figures.groups.size(), 10u);
  long long count = 0;
  for (const ChartGroup& group : figures.groups) count += group.count;
  EXPECT_EQ(count, static_cast<long long>(kMostChartGroups + 1));
}

}  // namespace
}  // namespace kippfeld::history
