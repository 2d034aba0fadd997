#include "history/chart.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "game/flow.h"
#include "game/history.h"
#include "history/report.h"
#include "report_text_testing.h"

namespace kippfeld::history {
namespace {

using namespace game;
using test::Columns;
using test::Lines;

// Complete tests of 40.0 s and more, each a little slower than the last
// but every seventh.
std::string History(int tests) {
  std::string content = HistoryHeader();
  for (int i = 0; i < tests; ++i) {
    GameSession session;
    session.testRunning = 1;
    session.currentTask = 13;
    for (int k = 1; k <= kTaskCount; ++k) {
      session.taskTimes[k] = static_cast<float>(3 + i % 7);
      session.taskMoves[k] = 9;
    }
    session.moveTotal = 108;
    content += HistoryLine(RecordOfTest(session, "2025-03-14T09:26:53+01:00"));
  }
  return content;
}

struct Label {
  std::size_t column;
  long long number;
};

std::vector<Label> LabelsOf(const std::string& axis, std::size_t start) {
  std::vector<Label> labels;
  for (std::size_t at = axis.find('#'); at != std::string::npos; at = axis.find('#', at + 1)) {
    labels.push_back({at - start, std::stoll(axis.substr(at + 1))});
  }
  return labels;
}

TEST(ChartAxis, EveryNumberThatFitsFirstAndLastAlways) {
  struct Case {
    int tests;
    std::size_t barWidth;
    long long perBar;  // complete tests a bar stands for
  };
  for (const Case& c : {Case{1, 3, 1}, Case{2, 3, 1}, Case{3, 3, 1}, Case{4, 3, 1}, Case{25, 2, 1},
                        Case{500, 1, 8}}) {
    for (bool utf8 : {false, true}) {
      SCOPED_TRACE(std::to_string(c.tests) + (utf8 ? " UTF-8" : " ASCII"));
      HistoryReport report = ReportHistory("/h.tsv", History(c.tests), {utf8});
      std::vector<std::string> lines = Lines(report.out);
      for (const std::string& line : lines) EXPECT_LE(Columns(line), kReportWidth) << line;
      const std::string& axis = lines.back();
      const std::string& rule = lines[lines.size() - 2];
      const std::size_t start = rule.find('+') + 1;
      const long long bars = (c.tests + c.perBar - 1) / c.perBar;
      // The rule runs under every bar; a bar wider than one column has a
      // gap after it.
      EXPECT_EQ(rule.size() - start, static_cast<std::size_t>(bars - 1) * c.barWidth +
                                         (c.barWidth == 1 ? 1 : c.barWidth - 1));
      std::vector<Label> labels = LabelsOf(axis, start);
      ASSERT_FALSE(labels.empty());
      EXPECT_EQ(labels.front().column, 0u);
      EXPECT_EQ(labels.front().number, 1);
      EXPECT_EQ(labels.back().number, c.tests);
      EXPECT_EQ(labels.size() == 1, c.tests == 1);
      std::vector<bool> labelled(static_cast<std::size_t>(bars), false);
      for (std::size_t i = 0; i < labels.size(); ++i) {
        const Label& label = labels[i];
        std::size_t bar = label.column / c.barWidth;
        if (i + 1 < labels.size()) {
          // Under its own bar, naming that bar's first test.
          EXPECT_EQ(label.column % c.barWidth, 0u);
          EXPECT_EQ(label.number, static_cast<long long>(bar) * c.perBar + 1);
          labelled[bar] = true;
          std::size_t end = label.column + 1 + std::to_string(label.number).size();
          EXPECT_LT(end, labels[i + 1].column) << "labels touch";
        }
      }
      // Nothing could stand under an unlabelled bar without touching a
      // neighbour.
      for (std::size_t bar = 1; bar + 1 < labelled.size(); ++bar) {
        if (labelled[bar]) continue;
        std::size_t from = bar * c.barWidth;
        std::size_t to = from + 1 + std::to_string(bar * c.perBar + 1).size();
        bool touches = false;
        for (const Label& label : labels) {
          std::size_t end = label.column + 1 + std::to_string(label.number).size();
          if (from <= end && label.column <= to) touches = true;
        }
        EXPECT_TRUE(touches) << "bar " << bar << " could be numbered";
      }
      if (c.perBar > 1) {
        EXPECT_NE(report.out.find("(each bar the mean of 8 complete tests, the last of 4)"),
                  std::string::npos);
      }
    }
  }
}

TEST(ChartAxis, LongNumbersOfTwoBarsStandApart) {
  std::vector<AxisLabel> labels = PlaceAxisLabels({199'998, 199'999}, 3, 60);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].column, 0u);
  EXPECT_EQ(labels[1].column, 8u);  // after "#199998" and a blank
  // The last is moved left to end within the room.
  labels = PlaceAxisLabels({1, 2, 3, 100'000}, 20, 64);
  ASSERT_EQ(labels.size(), 4u);
  EXPECT_EQ(labels[3].column, 57u);
  EXPECT_EQ(labels[2].column, 40u);
}

TEST(ReportAverages, ShownOnceThereAreEnough) {
  for (int tests : {4, 5, 12}) {
    SCOPED_TRACE(tests);
    std::vector<std::string> lines = Lines(ReportHistory("/h.tsv", History(tests), {false}).out);
    std::size_t at = 0;
    while (at < lines.size() && lines[at].rfind("Averages", 0) != 0) ++at;
    ASSERT_LT(at + 3, lines.size());
    if (tests == 4) {
      EXPECT_EQ(lines[at + 1], "  (from 5 complete tests on; 4 so far)");
      continue;
    }
    // 36, 48, 60, 72 and 84 s: 60.0 s, first reached by test #5. Twelve:
    // 36 .. 108 s and 36 .. 84 s, without 36 and 108 s: 66.0 s.
    if (tests == 5) {
      EXPECT_EQ(lines[at + 1], "                    Now    Best  best up to");
      EXPECT_EQ(lines[at + 2], "  of the last 5  1:00.0  1:00.0  #5");
      EXPECT_EQ(lines[at + 3], "");
    } else {
      EXPECT_EQ(lines[at + 1], "                     Now    Best  best up to");
      EXPECT_EQ(lines[at + 2], "  of the last 5   1:00.0  1:00.0  #5");
      EXPECT_EQ(lines[at + 3], "  of the last 12  1:06.0  1:06.0  #12");
    }
  }
}

// Drawing the chart joins its bars for the width, but leaves the figures
// as they were: drawn twice, it is the same chart, from all the groups.
TEST(ChartText, LeavesTheFiguresAlone) {
  HistoryFigures figures;
  TestRecord record;
  record.tasks = kTaskCount;
  for (int i = 0; i < 500; ++i) {
    record.time = static_cast<float>(60 + i % 11);
    AddRecord(figures, record);
  }
  const std::size_t groups = figures.groups.size();
  const long long groupSize = figures.groupSize;
  ASSERT_GT(groups, kMostChartBars);
  std::string chart = ChartText(figures, true);
  EXPECT_EQ(figures.groups.size(), groups);
  EXPECT_EQ(figures.groupSize, groupSize);
  EXPECT_EQ(ChartText(figures, true), chart);
  for (const std::string& line : Lines(chart)) EXPECT_LE(Columns(line), kReportWidth) << line;
}

}  // namespace
}  // namespace kippfeld::history
