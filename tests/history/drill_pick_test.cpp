#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/history.h"
#include "game/results.h"
#include "game/solver.h"
#include "history/drill.h"
#include "history/report.h"
#include "report_text_testing.h"

namespace kippfeld::history {
namespace {

using namespace game;
using platform::HistoryRead;
using test::CommandRun;
using test::FixedSource;
using test::RunCommand;

std::array<int, kEntryCount> Optima() {
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue);
  return TaskOptima(catalogue);
}

// A test of `tasks` completed tasks, each in 10 s with the fewest moves but
// for the changes given: task -> seconds, task -> extra moves.
TestRecord Complete(std::map<int, long double> times, std::map<int, long long> extra = {},
                    int tasks = kTaskCount) {
  static const std::array<int, kEntryCount> optima = Optima();
  TestRecord record;
  std::array<float, kEntryCount> listed{};
  record.started = "2025-03-14T09:26:53+01:00";
  record.tasks = tasks;
  for (int k = 1; k <= tasks; ++k) {
    const auto entry = static_cast<std::size_t>(k);
    record.taskTime[entry] = times.contains(k) ? times[k] : 10;
    record.taskMoves[entry] = optima[entry] + (extra.contains(k) ? extra[k] : 0);
    record.moves += record.taskMoves[entry];
    listed[entry] = static_cast<float>(record.taskTime[entry]);
  }
  record.time = TotalTime(listed);
  return record;
}

DrillPick PickOf(const std::vector<TestRecord>& tests) {
  DrillPicker picker;
  for (const TestRecord& test : tests) picker.Add(test);
  return picker.Pick();
}

TEST(DrillPick, TheRuleOnHandMadeHistories) {
  struct Case {
    const char* name;
    std::vector<TestRecord> tests;
    std::vector<int> tasks;
  };
  const std::vector<Case> cases = {
      {"no history: all twelve in order", {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {"only incomplete tests: as none",
       {Complete({{2, 30}}, {}, 5)},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      // Each test's time against the best of all: task 5's 14 s and 12 s
      // lose 4 and 2 against its best 10 s; task 9 lost 6 once.
      {"fewer than five tests", {Complete({{5, 14}, {9, 16}}), Complete({{5, 12}})}, {9, 5, 1}},
      {"ties: the lower number first", {Complete({{8, 12}, {3, 12}}), Complete({})}, {3, 8, 1}},
      {"a task slow only in moves",
       {Complete({{4, 11}}, {{7, 3}}), Complete({}, {{7, 1}})},
       {7, 4, 1}},
      // The first of six tests is no longer recent: its slow task 2 is
      // not picked, though its best still counts.
      {"only the last five",
       {Complete({{2, 40}, {6, 5}}), Complete({}), Complete({}), Complete({}), Complete({}),
        Complete({{11, 13}})},
       {6, 11, 1}},
      // An incomplete test is not among the recent ones, but its best is.
      {"the best from an incomplete test", {Complete({{3, 4}}, {}, 3), Complete({})}, {3, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PickOf(c.tests).tasks, c.tasks);
  }
  DrillPick pick = PickOf(cases[2].tests);
  EXPECT_EQ(pick.tests, 2u);
  EXPECT_EQ(pick.slower[5], 1);
  EXPECT_EQ(pick.loss[9], 3);
  pick = PickOf(cases[4].tests);
  EXPECT_EQ(pick.extraMoves[7], 2);
  EXPECT_EQ(pick.loss[7], 2 * kSecondsPerExtraMove);
  EXPECT_EQ(pick.loss[4], 0.5);
}

TEST(DrillPick, FileBesideTheHistory) {
  EXPECT_EQ(DrillFilePath("/home/anna/.local/state/kippfeld/history.tsv"),
            "/home/anna/.local/state/kippfeld/drills.tsv");
  EXPECT_EQ(DrillFilePath("C:\\Users\\anna\\kippfeld\\history.tsv"),
            "C:\\Users\\anna\\kippfeld\\drills.tsv");
  EXPECT_EQ(DrillFilePath("mine.tsv"), "drills.tsv");
}

TEST(DrillPlan, NamedTasksOrThePickAndTheBestsOfTestsAndRounds) {
  FixedSource tests{"/h/history.tsv", HistoryHeader() + HistoryLine(Complete({{5, 14}})) +
                                          HistoryLine(Complete({{5, 12.5L}, {9, 9}}))};
  FixedSource drills{"/h/drills.tsv", DrillHeader() + "bad\n" +
                                          DrillLine({"2025-03-14T10:00:00+01:00", 5, 8.5L, 3})};
  DrillPlan plan = PlanDrill(tests, &drills, {});
  EXPECT_EQ(plan.tasks, (std::vector<int>{5, 9, 1}));
  EXPECT_TRUE(plan.anyBest[5]);
  EXPECT_EQ(plan.bestTime[5], 8.5L);
  EXPECT_EQ(plan.bestTime[9], 9);
  plan = PlanDrill(tests, nullptr, {4, 10});
  EXPECT_EQ(plan.tasks, (std::vector<int>{4, 10}));
  EXPECT_EQ(plan.bestTime[5], 12.5L);
  FixedSource none{"/h/history.tsv", "", HistoryRead::kMissing};
  EXPECT_EQ(PlanDrill(none, nullptr, {}).tasks.size(), 12u);
}

TEST(DrillReport, TheSectionAfterTheHistoryWithItsBadLinesNamed) {
  FixedSource tests{"/h/history.tsv", HistoryHeader() + HistoryLine(Complete({{5, 14}, {7, 11}})) +
                                          HistoryLine(Complete({{5, 12}}, {{2, 2}}))};
  std::string rounds;
  for (const char* time : {"9", "8", "7", "6", "5", "4"}) {
    DrillRecord round{"2025-03-14T10:00:00+01:00", 5, std::stold(time), 4};
    rounds += DrillLine(round);
  }
  FixedSource drills{"/h/drills.tsv", DrillHeader() + rounds + "2025-03-14\t5\n" +
                                          DrillLine({"2025-03-14T10:00:00+01:00", 12, 3.5L, 2})};
  CommandRun run = RunCommand(tests, &drills);
  EXPECT_EQ(run.status, 0);
  const std::string& text = run.out;
  EXPECT_EQ(run.err, "kippfeld: /h/drills.tsv:8: skipped: 2 columns instead of 4\n");
  std::size_t section = text.find("Drill rounds recorded in /h/drills.tsv\n");
  ASSERT_NE(section, std::string::npos) << text;
  EXPECT_EQ(text.substr(section),
            "Drill rounds recorded in /h/drills.tsv\n"
            "    #  Task                           Rounds  Best of last 5  Mean of last 5\n"
            "    5  only middle column 1                6           4.0 s           6.0 s\n"
            "   12  only top l./ top r./ btm r. 1       1           3.5 s           3.5 s\n"
            "\n"
            "Complete tests looked at: 2. The next --drill picks the tasks that lost the\n"
            "most in them, on average: the time above your best for the task, plus 1 s for\n"
            "each move above the fewest.\n"
            "   #  Task                   Loss  Slower  Extra moves\n"
            "   2  all 0                 1.0 s   0.0 s          1.0\n"
            "   5  only middle column 1  1.0 s   1.0 s          0.0\n"
            "   7  only lower right 1    0.5 s   0.5 s          0.0\n")
      << text;

  // No drill file yet: the report as it was.
  drills.result = HistoryRead::kMissing;
  run = RunCommand(tests, &drills);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("Drill"), std::string::npos);
  // A drill file that cannot be read is said so, and the status is 1.
  drills.result = HistoryRead::kFailed;
  drills.reason = "Permission denied";
  run = RunCommand(tests, &drills);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kippfeld: cannot read the drills /h/drills.tsv: Permission denied\n");
}

TEST(DrillReport, NoRoundsAndNoCompleteTestInEitherPlace) {
  // The terminal's report names the option, the page's its button.
  const struct {
    bool drillButton;
    const char* pick;
  } cases[] = {
      {false, "The next --drill drills all twelve tasks in order: no test was completed yet.\n"},
      {true, "The Drill button drills all twelve tasks in order: no test was completed yet.\n"},
  };
  for (const auto& c : cases) {
    ReportStyle style;
    style.drillButton = c.drillButton;
    EXPECT_EQ(DrillSectionText("/h/drills.tsv", {}, DrillPicker().Pick(), style),
              std::string("No drill rounds recorded yet in /h/drills.tsv.\n\n") + c.pick);
  }
}

// The page reads the drill file whole and hands it over in one piece.
TEST(DrillReport, TheReaderOnAWholeFileCountsWhatItDoesNotName) {
  DrillPicker picker;
  picker.Add(Complete({{5, 14}}));
  std::string content = DrillHeader();
  for (int line = 0; line < 25; ++line) content += "\n";
  content += DrillLine({"2025-03-14T10:00:00+01:00", 5, 7.5L, 4});
  ReportStyle style;
  style.drillButton = true;
  DrillReportReader reader("/h/drills.tsv", style);
  reader.Read(content);
  HistoryReport section = reader.Finish(picker.Pick());
  ASSERT_EQ(section.errors.size(), kNamedProblems + 1);
  EXPECT_EQ(section.errors.front(), "kippfeld: /h/drills.tsv:2: skipped: an empty line");
  EXPECT_EQ(section.errors.back(),
            "kippfeld: /h/drills.tsv: skipped 5 more lines: 5 an empty line");
  EXPECT_EQ(section.out.rfind("\nDrill rounds recorded in /h/drills.tsv\n", 0), 0u) << section.out;
  EXPECT_NE(
      section.out.find("   5  only middle column 1       1           7.5 s           7.5 s\n"),
      std::string::npos)
      << section.out;
  EXPECT_NE(section.out.find("Complete tests looked at: 1. The Drill button picks"),
            std::string::npos)
      << section.out;
}

}  // namespace
}  // namespace kippfeld::history
