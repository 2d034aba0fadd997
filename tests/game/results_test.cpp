#include "game/results.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/state.h"
#include "game_script.h"

namespace kippfeld::game {
namespace {

using namespace testing;
using platform::MemoryPlatform;

// Draws the table for the session on a fresh console and ends it with a key
// a second later; the key must be what ends it.
std::unique_ptr<MemoryPlatform> Show(GameSession& session) {
  auto platform = std::make_unique<MemoryPlatform>();
  console::ResetConsole(*platform);
  platform::InputScript(*platform).Key('x', 1000);
  platform->SetTimeLimit(10'000);
  try {
    ShowResults(session);
  } catch (const platform::ProcessExit& exit) {
    EXPECT_EQ(exit.exitCode, 0);
    EXPECT_EQ(platform->Now(), 1000u);
  }
  return platform;
}

class ResultsTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadTaskCatalogue(session.catalogue); }
  GameSession session;
};

TEST_F(ResultsTest, EntryLineColumnsAndTotals) {
  // 12.25 s is listed as 12.2; the entry's text is the worked example.
  session.taskTimes[1] = 12.25f;
  session.taskMoves[1] = 5;
  session.taskTimes[2] = 30.5f;
  session.taskMoves[2] = 12;
  session.taskMoves[0] = 3;
  session.moveTotal = 17;
  auto screen = Show(session);
  const MemoryPlatform& platform = *screen;
  auto Row = [&](int row) { return platform.RowText(row - 1); };
  EXPECT_EQ(Row(1), std::string(80, ' '));
  EXPECT_EQ(Row(2).substr(0, 53),
            "    \x9A"
            "bung                    Zeit (sec.)       Z\xFC\x81ge ");
  EXPECT_EQ(Row(3), std::string(80, ' '));
  EXPECT_EQ(platform.TextAt(4, 1, 52), ResultsLine(session.catalogue, 0, "0", 3) + " ");
  EXPECT_EQ(platform.TextAt(5, 1, 3), " 1 ");
  EXPECT_EQ(platform.TextAt(5, 4, 10), ". Aufgabe ");
  EXPECT_EQ(platform.TextAt(5, 14, 11), "alles 1    ");
  EXPECT_EQ(platform.TextAt(5, 25, 6), " 12.2 ");
  EXPECT_EQ(platform.TextAt(5, 31, 18), std::string(18, ' '));
  EXPECT_EQ(platform.TextAt(5, 49, 3), " 5 ");
  EXPECT_EQ(platform.TextAt(6, 1, 52), ResultsLine(session.catalogue, 2, "30.5", 12));
  EXPECT_EQ(platform.TextAt(16, 1, 51), ResultsLine(session.catalogue, 12, "0", 0));
  EXPECT_EQ(Row(17), std::string(80, ' '));
  std::string total = "  gesammt :" + std::string(37, ' ') + " 17 ";
  EXPECT_EQ(platform.TextAt(18, 1, total.size()), total);
  // 42.7 s: 0 minutes, 43 seconds; no colour was set, all stays 7.
  EXPECT_EQ(platform.TextAt(19, 1, 52), std::string(34, ' ') + TotalTimeLine(0, 43));
  for (int row = 1; row <= 20; ++row) {
    for (int column = 1; column <= 80; ++column) {
      ASSERT_EQ(platform.ForegroundAt(row, column), 7) << row << "," << column;
    }
  }
}

TEST_F(ResultsTest, MinutesAreFlooredBeforeSecondsAreRounded) {
  struct Case {
    std::vector<float> times;
    int minutes;
    int seconds;
  };
  // 119.6 s reads 1 minute and 60 seconds; halves round to even.
  const std::vector<Case> cases = {
      {{100.5f, 19.1f}, 1, 60}, {{60.5f}, 1, 0}, {{62.5f}, 1, 2},
      {{3.5f}, 0, 4},           {{0.4f}, 0, 0},  {{600, 600, 600}, 30, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.minutes * 60 + c.seconds);
    session.taskTimes = {};
    for (std::size_t i = 0; i < c.times.size(); ++i) session.taskTimes[i + 1] = c.times[i];
    std::string line = TotalTimeLine(c.minutes, c.seconds);
    EXPECT_EQ(Show(session)->TextAt(19, 35, line.size()), line);
  }
}

TEST_F(ResultsTest, LongTimePushesTheMovesOntoTheNextRow) {
  struct Case {
    int entry;
    float time;
    bool pushed;
  };
  // The text before the moves ends past column 48 for entries 11 and 12
  // from a 6-character time text, entry 10 from 8, entry 9 from 9.
  const std::vector<Case> cases = {
      {11, 10.5f, true},   {12, 10.5f, true},   {11, 9.5f, false},   {10, 1000.5f, true},
      {10, 100.5f, false}, {9, 10000.5f, true}, {9, 1000.5f, false}, {8, 10000.5f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    session.taskTimes = {};
    session.taskMoves = {};
    session.taskTimes[c.entry] = c.time;
    session.taskMoves[c.entry] = 4;
    session.moveTotal = 4;
    auto screen = Show(session);
    const MemoryPlatform& platform = *screen;
    int row = ResultsRow(c.entry);
    int shift = c.pushed ? 1 : 0;
    if (c.pushed) {
      EXPECT_EQ(platform.TextAt(row + 1, 1, 51), std::string(48, ' ') + " 4 ");
    } else {
      EXPECT_EQ(platform.TextAt(row, 49, 3), " 4 ");
    }
    // Every later row moves down with it.
    if (c.entry < 12) {
      EXPECT_EQ(platform.TextAt(row + 1 + shift, 1, 51),
                ResultsLine(session.catalogue, c.entry + 1, "0", 0));
    }
    std::string total = "  gesammt :" + std::string(37, ' ') + " 4 ";
    EXPECT_EQ(platform.TextAt(18 + shift, 1, total.size()), total);
    EXPECT_EQ(platform.RowText(18 + shift - 2), std::string(80, ' '));
  }
}

TEST_F(ResultsTest, TimesStoredJustBelowTheirTenthAreListedInFull) {
  // As floats these lie just below the tenth (12.2 is 12.1999998); cutting
  // the raw value would list each one tenth short.
  struct Case {
    float time;
    const char* listed;
  };
  const std::vector<Case> cases = {{12.2f, " 12.2 "}, {2.3f, " 2.3 "}, {0.7f, " .7 "}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listed);
    session.taskTimes = {};
    session.taskTimes[1] = c.time;
    EXPECT_EQ(Show(session)->TextAt(5, 25, std::string(c.listed).size()), c.listed);
  }
}

}  // namespace
}  // namespace kippfeld::game
