#include "game/flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "console/errors.h"
#include "game_script.h"

namespace kippfeld::game {
namespace {

using namespace testing;
using platform::MemoryPlatform;
using platform::TimeOfDay;
using Via = GameScript::Via;

constexpr std::uint16_t kHome = 71, kUp = 72, kPgUp = 73, kLeftKey = 75, kRightKey = 77, kEnd = 79,
                        kDown = 80, kPgDn = 81, kKeypad5 = 76;

Picture Entry(const GameScript& s, int k) {
  return PictureOfEntry(s.catalogue(), k);
}

void ExpectStatus(const Snapshot& screen, const TaskCatalogue& catalogue, int task, int total,
                  int taskMoves) {
  ASSERT_TRUE(screen.taken);
  std::string taskLine = TaskLine(catalogue, task);
  EXPECT_EQ(screen.Text(16, 1, 4 + taskLine.size()), "    " + taskLine);
  EXPECT_EQ(screen.Text(18, 1, 13), "     Zug Nr. ");
  EXPECT_EQ(screen.Text(18, 14, MovesText(total).size()), MovesText(total));
  EXPECT_EQ(screen.Text(18, 29, MovesText(taskMoves).size()), MovesText(taskMoves));
}

TEST(GameFlow, AnyInputLeavesTheIntroductionForPractice) {
  const std::vector<std::pair<const char*, std::function<void(GameScript&)>>> inputs = {
      {"x", [](GameScript& s) { s.Key('x'); }},
      {"ESC", [](GameScript& s) { s.Key(kEscKey); }},
      {"P", [](GameScript& s) { s.Key('P'); }},
      {"p", [](GameScript& s) { s.Key('p'); }},
      {"Enter", [](GameScript& s) { s.Key(kEnterKey); }},
      {"Up", [](GameScript& s) { s.Extended(kUp); }},
      {"click on a digit", [](GameScript& s) { s.Click(DigitOf(5)); }},
  };
  for (const auto& [name, input] : inputs) {
    SCOPED_TRACE(name);
    MemoryPlatform platform;
    GameScript s(platform);
    auto introduction = SnapshotAt(platform, 950);
    input(s.At(1000));
    auto practice = SnapshotAt(platform, 1450);
    s.Key(kEscKey).Wait(1000).Key('x');
    GameEnd end = RunGame(platform);
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_EQ(introduction->Text(2, 1, 18), "        Spielfeld:");
    ExpectStatus(*practice, s.catalogue(), 0, 0, 0);
    EXPECT_EQ(practice->Board(), 0u);
    EXPECT_EQ(practice->cursorCell, 3);
  }
}

TEST(GameFlow, InputWaitingAtStartIsTakenByTheFirstPoll) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(0).Key('x');
  auto stillIntroduction = SnapshotAt(platform, 2950);
  s.At(3000).Key('x').Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(stillIntroduction->Text(2, 1, 18), "        Spielfeld:");
}

TEST(GameFlow, PracticeMovesCountOncePerAppliedMove) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x');
  auto first = SnapshotAt(platform, 1450);
  s.Key(kEnterKey);  // cell 3
  auto afterMove = SnapshotAt(platform, 1550);
  s.Key(kEnterKey);                                      // back to all 0: still a move
  s.Key('x').Extended(kUp).Extended(kLeftKey).Key('5');  // none of these is a move
  auto afterKeys = SnapshotAt(platform, s.time() - 450);
  s.Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);

  // The first playing screen, cell by cell: digits at columns 9, 19, 29,
  // the move set of cell 3 (cells 2, 3, 5, 6) in cyan.
  for (int row : {6, 8, 10}) {
    EXPECT_EQ(first->Text(row, 1, 30), "        0         0         0 ");
  }
  for (int cell = 1; cell <= 9; ++cell) {
    bool cyan = cell == 2 || cell == 3 || cell == 5 || cell == 6;
    EXPECT_EQ(first->Foreground(DigitOf(cell).row, DigitOf(cell).column), cyan ? 3 : 7) << cell;
  }
  ExpectStatus(*first, s.catalogue(), 0, 0, 0);

  EXPECT_EQ(afterMove->Board(), MoveBits(3));
  ExpectStatus(*afterMove, s.catalogue(), 0, 1, 1);
  EXPECT_EQ(afterKeys->Board(), 0u);
  ExpectStatus(*afterKeys, s.catalogue(), 0, 2, 2);
  EXPECT_EQ(afterKeys->cursorCell, 6);

  // ESC in practice: the practice moves in entry 0 and the total, no times.
  const TaskCatalogue& c = s.catalogue();
  EXPECT_EQ(platform.TextAt(4, 1, 51), ResultsLine(c, 0, "0", 2));
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(platform.TextAt(ResultsRow(k), 1, 51), ResultsLine(c, k, "0", 0));
  }
  EXPECT_EQ(platform.TextAt(18, 49, 3), MovesText(2));
  EXPECT_EQ(platform.TextAt(19, 35, 17), TotalTimeLine(0, 0));
}

TEST(GameFlow, UpperAndLowerPStartTheTestAndAreIgnoredDuringIt) {
  for (std::uint8_t p : {'P', 'p'}) {
    SCOPED_TRACE(static_cast<char>(p));
    std::uint8_t other = p == 'P' ? 'p' : 'P';
    MemoryPlatform platform;
    GameScript s(platform);
    s.At(1000).Key('x').Extended(kRightKey).Key(kEnterKey).Key(p);
    auto started = SnapshotAt(platform, s.time() - 450);
    s.Key(kEnterKey).Key(other).Key(p);
    auto ignored = SnapshotAt(platform, s.time() - 450);
    s.Key(kEscKey).Wait(1000).Key('x');
    EXPECT_EQ(RunGame(platform).exitCode, 0);

    EXPECT_EQ(started->Board(), 0u);
    ExpectStatus(*started, s.catalogue(), 1, 0, 0);
    EXPECT_EQ(started->cursorCell, 2);
    EXPECT_EQ(ignored->Board(), MoveBits(2));
    ExpectStatus(*ignored, s.catalogue(), 1, 1, 1);

    EXPECT_EQ(platform.TextAt(4, 1, 51), ResultsLine(s.catalogue(), 0, "0", 1));
    EXPECT_EQ(platform.TextAt(5, 1, 51), ResultsLine(s.catalogue(), 1, "0", 1));
    EXPECT_EQ(platform.TextAt(18, 49, 3), MovesText(1));
  }
}

// Plays practice, all twelve tasks and the results; returns nothing but
// checks every OK signal, every task's start and the whole table.
void PlayWholeGame(Via via) {
  MemoryPlatform platform;
  GameScript s(platform);
  const TaskCatalogue& c = s.catalogue();
  s.At(1000).Key('x');
  s.Apply(1, via);  // one practice move
  // Task 1 is timed from P, on a whole second so that its time is exact.
  std::uint64_t start = (s.time() + 999) / 1000 * 1000;
  s.At(start).StartTest();

  std::vector<int> moves(13), seconds(13);
  std::vector<std::shared_ptr<Snapshot>> ok(13), next(13);
  int moveTotal = 0;
  for (int k = 1; k <= 12; ++k) {
    moves[k] = static_cast<int>(SolvingMoves(s.board(), Entry(s, k)).size());
    std::uint64_t completed = s.SolveTask(k, via);
    seconds[k] = static_cast<int>((completed - start) / 1000);
    start = completed + kOkPause;
    moveTotal += moves[k];
    // Still showing a millisecond before the signal's two seconds are over.
    ok[k] = SnapshotAt(platform, completed + kOkPause - 1);
    next[k] = SnapshotAt(platform, completed + kOkPause + 50);
  }
  std::uint64_t lastKey = s.time() + 1000;
  s.At(lastKey).Key('x');
  GameEnd end = RunGame(platform);
  EXPECT_EQ(end.exitCode, 0);
  // The release that followed the last double click must not end it.
  EXPECT_EQ(end.atMs, lastKey);

  for (int k = 1; k <= 12; ++k) {
    SCOPED_TRACE(k);
    // The OK signal stands alone below the completed board.
    ASSERT_TRUE(ok[k]->taken);
    EXPECT_EQ(ok[k]->Text(16, 1, 80), " OK" + std::string(77, ' '));
    EXPECT_EQ(ok[k]->Text(18, 1, 80), std::string(80, ' '));
    EXPECT_EQ(ok[k]->Board(), Entry(s, k));
    if (k < 12) {
      // The next task starts from the same board with no moves of its own.
      EXPECT_EQ(next[k]->Board(), Entry(s, k));
      EXPECT_EQ(next[k]->Text(16, 1, 3), "   ");
      int shownTotal = 0;
      for (int j = 1; j <= k; ++j) shownTotal += moves[j];
      ExpectStatus(*next[k], c, k + 1, shownTotal, 0);
    }
  }

  EXPECT_EQ(platform.TextAt(2, 1, 52),
            "    \x9A"
            "bung                    Zeit (sec.)       Z\xFC\x81ge");
  EXPECT_EQ(platform.TextAt(4, 1, 51), ResultsLine(c, 0, "0", 1));
  int totalSeconds = 0;
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(platform.TextAt(ResultsRow(k), 1, 48 + MovesText(moves[k]).size()),
              ResultsLine(c, k, std::to_string(seconds[k]), moves[k]))
        << k;
    totalSeconds += seconds[k];
  }
  EXPECT_EQ(platform.TextAt(17, 1, 80), std::string(80, ' '));
  EXPECT_EQ(platform.TextAt(18, 1, 48), "  gesammt :" + std::string(37, ' '));
  EXPECT_EQ(platform.TextAt(18, 49, MovesText(moveTotal).size()), MovesText(moveTotal));
  std::string timeLine = TotalTimeLine(totalSeconds / 60, totalSeconds % 60);
  EXPECT_EQ(platform.TextAt(19, 1, 34 + timeLine.size()), std::string(34, ' ') + timeLine);
}

TEST(GameFlow, AllTwelveTasksSolvedByKeys) {
  PlayWholeGame(Via::kKeys);
}

TEST(GameFlow, AllTwelveTasksSolvedByDoubleClicks) {
  PlayWholeGame(Via::kDoubleClicks);
}

TEST(GameFlow, KeysQueuedDuringTheOkSignalAreHandledInOrder) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x').StartTest();
  std::uint64_t completed = s.SolveTask(1, Via::kKeys);
  ASSERT_NE(s.cursorCell(), 9);
  // Two Home steps reach the top-left cell from anywhere; the Enter after
  // them must apply that cell's move, not the old one's.
  s.At(completed + 300).Extended(kHome);
  s.At(completed + 600).Extended(kHome);
  s.At(completed + 900).Key(kEnterKey);
  auto after = SnapshotAt(platform, completed + kOkPause + 350);
  s.At(completed + 5000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);

  EXPECT_EQ(after->Board(), Entry(s, 1) ^ MoveBits(9));
  EXPECT_EQ(after->cursorCell, 9);
  ExpectStatus(*after, s.catalogue(), 2, 6, 1);
}

TEST(GameFlow, EscapeMidTestListsOnlyTheCompletedTasks) {
  MemoryPlatform platform;
  GameScript s(platform);
  const TaskCatalogue& c = s.catalogue();
  s.At(1000).Key('x').At(2000).StartTest();
  int moves1 = static_cast<int>(SolvingMoves(0, Entry(s, 1)).size());
  std::uint64_t done1 = s.SolveTask(1, Via::kKeys);
  int moves2 = static_cast<int>(SolvingMoves(s.board(), Entry(s, 2)).size());
  std::uint64_t done2 = s.SolveTask(2, Via::kKeys);
  s.Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);

  int t1 = static_cast<int>((done1 - 2000) / 1000);
  int t2 = static_cast<int>((done2 - done1 - kOkPause) / 1000);
  EXPECT_EQ(platform.TextAt(5, 1, 51), ResultsLine(c, 1, std::to_string(t1), moves1));
  EXPECT_EQ(platform.TextAt(6, 1, 51), ResultsLine(c, 2, std::to_string(t2), moves2));
  EXPECT_EQ(platform.TextAt(7, 1, 51), ResultsLine(c, 3, "0", 1));
  for (int k = 4; k <= 12; ++k) {
    EXPECT_EQ(platform.TextAt(ResultsRow(k), 1, 51), ResultsLine(c, k, "0", 0));
  }
  EXPECT_EQ(platform.TextAt(18, 49, MovesText(moves1 + moves2 + 1).size()),
            MovesText(moves1 + moves2 + 1));
  int total = t1 + t2;
  EXPECT_EQ(platform.TextAt(19, 35, TotalTimeLine(total / 60, total % 60).size()),
            TotalTimeLine(total / 60, total % 60));
}

TEST(GameFlow, ReleaseOfRightDoubleClickDoesNotCloseResults) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x').Key(kEnterKey);
  s.DoubleClick({1, 1}, kRight);  // anywhere, not just on a cell
  std::uint64_t lastKey = s.time() + 2000;
  s.At(lastKey).Key('x');
  GameEnd end = RunGame(platform);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(end.atMs, lastKey);
  EXPECT_EQ(platform.TextAt(4, 1, 51), ResultsLine(s.catalogue(), 0, "0", 1));
}

TEST(GameFlow, InputWithinHalfASecondOfTheResultsIsIgnored) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x');
  // Results drawn at 1500; the second ESC is already queued, 'x' comes
  // within the first half second.
  s.At(1500).Key(kEscKey).At(1500).Key(kEscKey).At(1900).Key('x');
  s.At(2100).Key('y');
  GameEnd end = RunGame(platform);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(end.atMs, 2100u);

  // With nothing after the half second, the table stays.
  MemoryPlatform waiting;
  GameScript w(waiting);
  w.At(1000).Key('x').Key(kEscKey).Key(kEscKey);
  EXPECT_EQ(RunGame(waiting, 60'000).exitCode, -1);
  EXPECT_EQ(waiting.TextAt(19, 35, 17), TotalTimeLine(0, 0));
}

TEST(GameFlow, MiddleDoubleClickOnlySelects) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x').DoubleClick(DigitOf(7), kMiddle);
  auto after = SnapshotAt(platform, s.time() - 50);
  s.Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(after->Board(), 0u);
  EXPECT_EQ(after->cursorCell, 7);
  ExpectStatus(*after, s.catalogue(), 0, 0, 0);
  for (int cell = 1; cell <= 9; ++cell) {
    bool cyan = (MoveBits(7) >> (cell - 1)) & 1;
    EXPECT_EQ(after->Foreground(DigitOf(cell).row, DigitOf(cell).column), cyan ? 3 : 7) << cell;
  }
}

TEST(GameFlow, ClicksBesideTheDigitsAreIgnored) {
  const std::vector<Place> beside = {{6, 8},  {6, 10}, {5, 9},   {7, 9},   {8, 18},
                                     {8, 20}, {9, 19}, {10, 30}, {11, 29}, {1, 1}};
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x');
  for (Place p : beside) s.Click(p).DoubleClick(p);
  auto ignored = SnapshotAt(platform, s.time() - 50);
  s.Click(DigitOf(5));
  auto selected = SnapshotAt(platform, s.time() - 50);
  s.DoubleClick(DigitOf(1));
  auto applied = SnapshotAt(platform, s.time() - 50);
  s.Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);

  EXPECT_EQ(ignored->Board(), 0u);
  EXPECT_EQ(ignored->cursorCell, 3);
  ExpectStatus(*ignored, s.catalogue(), 0, 0, 0);
  EXPECT_EQ(selected->Board(), 0u);
  EXPECT_EQ(selected->cursorCell, 5);
  ExpectStatus(*selected, s.catalogue(), 0, 0, 0);
  EXPECT_EQ(applied->Board(), MoveBits(1));
  EXPECT_EQ(applied->cursorCell, 1);
  ExpectStatus(*applied, s.catalogue(), 0, 1, 1);
}

TEST(GameFlow, CursorStepsStopAtEveryEdge) {
  struct Step {
    std::uint16_t scanCode;
    int rows;     // in cells, down positive
    int columns;  // in cells, right positive
  };
  const std::vector<Step> steps = {{kHome, -1, -1},   {kUp, -1, 0},      {kPgUp, -1, 1},
                                   {kLeftKey, 0, -1}, {kRightKey, 0, 1}, {kEnd, 1, -1},
                                   {kDown, 1, 0},     {kPgDn, 1, 1},     {kKeypad5, 0, 0}};
  auto cellAt = [](int row, int column) { return 3 * (2 - row) + (2 - column) + 1; };
  for (int from = 1; from <= 9; ++from) {
    MemoryPlatform platform;
    GameScript s(platform);
    s.At(1000).Key('x');
    std::vector<std::pair<int, std::shared_ptr<Snapshot>>> checks;
    for (const Step& step : steps) {
      int row = 2 - (from - 1) / 3, column = 2 - (from - 1) % 3;
      row = std::clamp(row + step.rows, 0, 2);
      column = std::clamp(column + step.columns, 0, 2);
      s.Click(DigitOf(from)).Extended(step.scanCode);
      checks.emplace_back(cellAt(row, column), SnapshotAt(platform, s.time() - 50));
    }
    s.Key(kEscKey).Wait(1000).Key('x');
    EXPECT_EQ(RunGame(platform).exitCode, 0);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      SCOPED_TRACE("from cell " + std::to_string(from) + " scan " +
                   std::to_string(steps[i].scanCode));
      EXPECT_EQ(checks[i].second->cursorCell, checks[i].first);
      EXPECT_EQ(checks[i].second->Board(), 0u);
      ExpectStatus(*checks[i].second, s.catalogue(), 0, 0, 0);
    }
  }
}

TEST(GameFlow, ListedTimeIsOneTenthShortLateInTheDay) {
  // P starts the test at 86000.1 s. As a float that start reads
  // 86000.1015625, so a task completed at 86010.1 s lasts 9.998 s and is
  // listed as 9.9 instead of 10.
  MemoryPlatform platform;
  platform.SetStartTime(TimeOfDay{23, 53, 19, 600});
  GameScript s(platform);
  s.At(200).Key('x').At(500).StartTest().At(1000);
  for (int cell : {2, 4, 5, 6}) s.Apply(cell, Via::kKeys);
  s.SelectByKeys(8);
  ASSERT_LT(s.time(), 10500u);
  s.At(10500).Apply(8, Via::kKeys);
  s.At(13000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(platform.TextAt(5, 1, 51), ResultsLine(s.catalogue(), 1, "9.9", 5));
}

TEST(GameFlow, TaskSpanningMidnightKeepsItsRealTime) {
  MemoryPlatform platform;
  platform.SetStartTime(TimeOfDay{23, 59, 50, 0});
  GameScript s(platform);
  s.At(1000).Key('x').At(2000).StartTest().At(12000);
  std::uint64_t completed = s.SolveTask(1, Via::kKeys);
  s.Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  int seconds = static_cast<int>((completed - 2000) / 1000);
  EXPECT_EQ(platform.TextAt(5, 1, 51), ResultsLine(s.catalogue(), 1, std::to_string(seconds), 5));
  std::string timeLine = TotalTimeLine(0, seconds);
  EXPECT_EQ(platform.TextAt(19, 35, timeLine.size()), timeLine);
}

TEST(GameFlow, RunTimeErrorIsReportedAndEndsWithZero) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x');
  // Raised while the practice screen waits for input; the next check after
  // the poll hands over to the handler.
  platform.At(1250, [](MemoryPlatform&) { console::RaiseError(7); });
  GameEnd end = RunGame(platform);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(end.atMs, 3300u);
  // At the print position the placement left: the digit of cell 3.
  EXPECT_EQ(platform.TextAt(10, 9, 15), " fehler  ... 7 ");
}

// --- Input is taken the moment it arrives ---

TEST(InstantInput, BurstQueuedAtOnceIsWorkedThroughAtOneInstant) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x');
  // Forty steps typed ahead at 2000 ms, ending on the top-right cell (7),
  // then Enter: all of it answered before the virtual clock moves on.
  platform::InputScript burst(platform);
  for (int i = 0; i < 20; ++i) burst.Extended(kUp, 2000).Extended(kDown, 2000);
  burst.Extended(kUp, 2000).Extended(kUp, 2000).Extended(kRightKey, 2000);
  burst.Extended(kRightKey, 2000).Key(kEnterKey, 2000);
  auto after = SnapshotAt(platform, 2001);
  s.At(3000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(after->cursorCell, 7);
  EXPECT_EQ(after->Board(), MoveBits(7));
  ExpectStatus(*after, s.catalogue(), 0, 1, 1);
}

TEST(InstantInput, KeyArrivingMidWaitIsAnsweredWhenItComes) {
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(1000).Key('x');
  // The game has been waiting since 1000 ms; Enter 37 ms past a tenth.
  s.At(1537).Key(kEnterKey);
  auto before = SnapshotAt(platform, 1537);
  auto after = SnapshotAt(platform, 1538);
  s.At(3000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  ExpectStatus(*before, s.catalogue(), 0, 0, 0);
  ExpectStatus(*after, s.catalogue(), 0, 1, 1);
}

TEST(InstantInput, TaskTimeCarriesNoPollDelay) {
  // P at 200 ms (clock 43200.2), task 1 completed at 10 199 ms: 9.999 s,
  // listed 9.9. A wait that looked only every 100 ms would have found the
  // completing key at 10 200 ms or later and listed 10.
  MemoryPlatform platform;
  GameScript s(platform);
  s.At(150).Key('x').At(200).StartTest().At(1000);
  for (int cell : {2, 4, 5, 6}) s.Apply(cell, Via::kKeys);
  s.SelectByKeys(8);
  ASSERT_LT(s.time(), 10199u);
  s.At(10199).Apply(8, Via::kKeys);
  s.At(13000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(platform.TextAt(5, 1, 51), ResultsLine(s.catalogue(), 1, "9.9", 5));
}

// Types the keys that walk the cursor to each cell and apply its move, all
// at the same instant.
void TypeAhead(platform::InputScript& input, int fromCell, const std::vector<int>& cells,
               std::uint64_t atMs) {
  static constexpr std::uint16_t kSteps[3][3] = {
      {kHome, kUp, kPgUp}, {kLeftKey, 0, kRightKey}, {kEnd, kDown, kPgDn}};
  Place at = DigitOf(fromCell);
  for (int cell : cells) {
    Place to = DigitOf(cell);
    while (at.row != to.row || at.column != to.column) {
      int rowStep = (to.row > at.row) - (to.row < at.row);
      int columnStep = (to.column > at.column) - (to.column < at.column);
      input.Extended(kSteps[rowStep + 1][columnStep + 1], atMs);
      at.row += 2 * rowStep;
      at.column += 10 * columnStep;
    }
    input.Key(kEnterKey, atMs);
  }
}

TEST(InstantInput, TaskSolvedWithinTheTenthItStartedListsZero) {
  // The clock runs at x.1 s on whole virtual seconds. Task 2's start mark,
  // some 43 207.1 s, rounds up when stored as a float (to 43 207.1016), and
  // the moves typed ahead during the OK signal solve task 2 in that same
  // tenth. Its time is 0: not below zero, and not a day for a midnight
  // that never came.
  MemoryPlatform platform;
  platform.SetStartTime(TimeOfDay{12, 0, 0, 100});
  GameScript s(platform);
  s.At(1000).Key('x').StartTest();
  std::uint64_t done1 = s.SolveTask(1, Via::kKeys);
  std::vector<int> moves = SolvingMoves(s.board(), Entry(s, 2));
  platform::InputScript input(platform);
  TypeAhead(input, s.cursorCell(), moves, done1 + 1000);
  s.At(done1 + 8000).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(platform.TextAt(6, 1, 51),
            ResultsLine(s.catalogue(), 2, "0", static_cast<int>(moves.size())));
}

}  // namespace
}  // namespace kippfeld::game
