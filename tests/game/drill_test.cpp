#include "game/drill.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "console/numbers.h"
#include "game/history.h"
#include "game/history_store.h"
#include "game/solver.h"
#include "game_script.h"

namespace kippfeld::game {
namespace {

using namespace testing;
using platform::MemoryPlatform;
using Via = GameScript::Via;

Picture Entry(const GameScript& s, int k) {
  return k == 0 ? 0 : PictureOfEntry(s.catalogue(), k);
}

// Rounds of tasks 4 and 10 in turn: each from the previous task's picture,
// timed from its start to the completing move, counted, signalled and kept;
// Esc in the third round ends the drill without keeping it.
TEST(Drill, TwoNamedTasksInTurnThenEscapeMidRound) {
  MemoryPlatform platform;
  MemoryHistoryStore store(platform, "/memory/drills.tsv");
  GameReport report;
  DrillPlan plan;
  plan.tasks = {4, 10};
  plan.anyBest[4] = true;
  plan.bestTime[4] = 1;
  GameSetting setting;
  setting.drill = &plan;
  setting.drills = &store;
  setting.report = &report;
  GameScript s(platform);
  const std::array<int, kEntryCount> optima = TaskOptima(s.catalogue());

  auto first = SnapshotAt(platform, 900);
  s.SetBoard(Entry(s, 3)).At(1000);
  int moves4 = static_cast<int>(SolvingMoves(s.board(), Entry(s, 4)).size());
  std::uint64_t done4 = s.SolveTask(4, Via::kKeys);
  auto ok = SnapshotAt(platform, done4 + kOkPause - 1);
  auto second = SnapshotAt(platform, done4 + kOkPause + 50);
  s.SetBoard(Entry(s, 9)).At(done4 + kOkPause + 1000);
  int moves10 = static_cast<int>(SolvingMoves(s.board(), Entry(s, 10)).size());
  std::uint64_t done10 = s.SolveTask(10, Via::kKeys);
  auto third = SnapshotAt(platform, done10 + kOkPause + 50);
  // One move into the third round, then Esc.
  s.SetBoard(Entry(s, 3)).At(done10 + kOkPause + 1000).Key(kEnterKey).Key(kEscKey);
  s.Wait(1000).Key('x');
  GameEnd end = RunGame(platform, 600'000, setting);
  EXPECT_EQ(end.exitCode, 0);

  const TaskCatalogue& c = s.catalogue();
  // No introduction: the first round is on the screen at once.
  EXPECT_EQ(first->Board(), Entry(s, 3));
  EXPECT_EQ(first->Text(16, 5, TaskLine(c, 4).size()), TaskLine(c, 4));
  EXPECT_EQ(first->Text(12, 1, 80), std::string(80, ' '));
  EXPECT_EQ(ok->Text(16, 1, 3), " OK");
  EXPECT_EQ(ok->Board(), Entry(s, 4));

  // The first round starts as the game does, some tenths before the
  // script's first input; the later ones exactly when the signal ends.
  ASSERT_FALSE(ParseDrills(store.file).records.empty());
  const long double t4 = ParseDrills(store.file).records[0].time;
  EXPECT_GT(t4, done4 / 1000.0L - 0.5L);
  EXPECT_LE(t4, done4 / 1000.0L);
  const std::string time4 = console::FormatNumber(t4, console::kComputedDigits);
  int t10 = static_cast<int>((done10 - done4 - kOkPause) / 1000);
  EXPECT_EQ(second->Board(), Entry(s, 9));
  EXPECT_EQ(second->Text(16, 5, TaskLine(c, 10).size()), TaskLine(c, 10));
  std::string line4 = " Runde 1 , Aufgabe 4 :" + time4 + "Sek.," + MovesText(moves4) +
                      "Z\x81ge (k\x81rzest" + MovesText(optima[4]) + "), Bestzeit 1 Sek.";
  EXPECT_EQ(second->Text(12, 1, line4.size()), line4);
  EXPECT_EQ(third->Board(), Entry(s, 3));
  std::string line10 = " Runde 2 , Aufgabe 10 :" + MovesText(t10) + "Sek.," + MovesText(moves10) +
                       "Z\x81ge (k\x81rzest" + MovesText(optima[10]) + "), Bestzeit" +
                       MovesText(t10) + "Sek.";
  EXPECT_EQ(third->Text(12, 1, line10.size()), line10);

  // Two rounds kept, the third not.
  Drills kept = ParseDrills(store.file);
  EXPECT_TRUE(kept.problems.empty());
  ASSERT_EQ(kept.records.size(), 2u);
  EXPECT_EQ(kept.records[0].task, 4);
  EXPECT_EQ(kept.records[0].time, t4);
  EXPECT_EQ(kept.records[0].moves, moves4);
  EXPECT_EQ(kept.records[0].started, "2025-03-14T12:00:00+01:00");
  EXPECT_EQ(kept.records[1].task, 10);
  EXPECT_EQ(kept.records[1].time, t10);
  EXPECT_EQ(kept.records[1].moves, moves10);
  EXPECT_EQ(report.drillRoundsKept, 2);
  EXPECT_EQ(report.drillPlace, "/memory/drills.tsv");

  // The table: one row per task, rounds, best, mean, fewest, optimum.
  EXPECT_EQ(platform.TextAt(1, 1, 7), " Drill ");
  EXPECT_EQ(platform.TextAt(3, 45, 6), "Runden");
  EXPECT_EQ(platform.TextAt(3, 68, 4), "Z\x81ge");
  std::string row4 = MovesText(4) + ". Aufgabe " + c.names[4];
  EXPECT_EQ(platform.TextAt(5, 1, row4.size()), row4);
  EXPECT_EQ(platform.TextAt(5, 44, 3), MovesText(1));
  EXPECT_EQ(platform.TextAt(5, 51, time4.size()), time4);
  EXPECT_EQ(platform.TextAt(5, 59, time4.size()), time4);
  EXPECT_EQ(platform.TextAt(5, 67, MovesText(moves4).size()), MovesText(moves4));
  EXPECT_EQ(platform.TextAt(5, 73, MovesText(optima[4]).size()), MovesText(optima[4]));
  EXPECT_EQ(platform.TextAt(6, 1, 14), MovesText(10) + ". Aufgabe ");
  EXPECT_EQ(platform.TextAt(8, 1, 17), "  Runden gesamt :");
  EXPECT_EQ(platform.TextAt(8, 44, 3), MovesText(2));
  // The table as it stood, for the program to print after the game.
  ASSERT_GE(report.table.size(), 8u);
  EXPECT_EQ(report.table[0].substr(0, 7), " Drill ");
}

TEST(Drill, EnglishScreensAndARoundNotKept) {
  MemoryPlatform platform;
  MemoryHistoryStore store(platform, "/memory/drills.tsv");
  store.failWith = "disk full";
  GameReport report;
  DrillPlan plan;
  plan.tasks = {1};
  GameSetting setting;
  setting.drill = &plan;
  setting.drills = &store;
  setting.report = &report;
  setting.language = Language::English;
  GameScript s(platform);
  s.At(1000);
  std::uint64_t done = s.SolveTask(1, Via::kDoubleClicks);
  auto next = SnapshotAt(platform, done + kOkPause + 50);
  s.At(done + kOkPause + 1000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform, 600'000, setting).exitCode, 0);

  // Task 1 starts again from the empty field.
  EXPECT_EQ(next->Board(), 0u);
  EXPECT_EQ(next->Text(12, 1, 19), " Round 1 , task 1 :");
  EXPECT_EQ(report.drillRoundsKept, 0);
  EXPECT_EQ(report.historyFailure,
            "the drill round was not recorded in /memory/drills.tsv: disk full");
  EXPECT_EQ(platform.TextAt(1, 1, 22), " Drill (times in sec.;");
  EXPECT_EQ(platform.TextAt(5, 1, 13), MovesText(1) + ". Task    ");
}

// What the drill file holds reads back, and every other line is named.
TEST(DrillRecords, WrittenLinesReadBackAndBadOnesAreNamed) {
  DrillRecord round{"2025-03-14T09:26:53+01:00", 7, 12.2L, 5};
  EXPECT_EQ(DrillHeader(), "started\ttask\ttime_s\tmoves\n");
  EXPECT_EQ(DrillLine(round), "2025-03-14T09:26:53+01:00\t7\t12.2\t5\n");
  EXPECT_EQ(DrillLineFault("2025-03-14T09:26:53+01:00\t7\t0.5\t5"), "");

  const std::vector<std::pair<std::string, std::string>> bad = {
      {"", "an empty line"},
      {"2025-03-14T09:26:53+01:00\t7\t12.2", "3 columns instead of 4"},
      {"2025-03-14T09:26:53+01:00\t0\t12.2\t5", "task: 0 is no task's number"},
      {"2025-03-14T09:26:53+01:00\t13\t12.2\t5",
       "task: 13 is more than the 12 tasks there are (12)"},
      {"2025-03-14T09:26:53+01:00\t7\t12.25\t5", "time_s: 12.25 is not a whole number of tenths"},
      {"2025-03-14T09:26:53+01:00\t7\t12.2\t-5", "moves: \"-5\" is negative"},
      {"yesterday\t7\t12.2\t5",
       "started: \"yesterday\" is not a date and time like 2025-03-14T09:26:53+01:00"},
  };
  for (const auto& [line, reason] : bad) EXPECT_EQ(DrillLineFault(line), reason) << line;

  std::string content = DrillHeader() + DrillLine(round) + "garbage\n" + DrillHeader() +
                        "2025-03-14T09:30:00+01:00\t8\t3\t2\r\n" + "2025-03-14T09:31:00+01:00\t8";
  Drills drills = ParseDrills(content);
  ASSERT_EQ(drills.records.size(), 2u);
  EXPECT_EQ(drills.records[1].task, 8);
  EXPECT_EQ(drills.records[1].time, 3);
  ASSERT_EQ(drills.problems.size(), 2u);
  EXPECT_EQ(drills.problems[0].line, 3);
  EXPECT_EQ(drills.problems[0].reason, "1 column instead of 4");
  EXPECT_EQ(drills.problems[1].line, 6);
  // A drill line is no test record, and the other way round.
  EXPECT_EQ(ParseHistory(content).records.size(), 0u);
}

}  // namespace
}  // namespace kippfeld::game
