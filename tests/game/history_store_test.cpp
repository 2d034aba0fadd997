#include "game/history_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "game/history.h"
#include "game_script.h"

namespace kippfeld::game {
namespace {

using namespace testing;
using platform::MemoryPlatform;
using Via = GameScript::Via;

class HistoryRecording : public ::testing::Test {
 protected:
  GameEnd Run() { return RunGame(platform, 600'000, {&store, &report}); }

  std::vector<TestRecord> Records() {
    History history = ParseHistory(store.file);
    EXPECT_TRUE(history.problems.empty());
    return history.records;
  }

  // The record's time and moves for task k are what the table lists.
  void ExpectTableListsRecord(const TaskCatalogue& c, const TestRecord& record) {
    std::vector<std::string> columns;
    std::string line = HistoryLine(record);
    for (std::size_t start = 0, tab; start < line.size(); start = tab + 1) {
      tab = line.find_first_of("\t\n", start);
      columns.push_back(line.substr(start, tab - start));
    }
    for (int k = 1; k <= kTaskCount; ++k) {
      SCOPED_TRACE(k);
      std::string time = columns[2 + 2 * static_cast<std::size_t>(k)];
      int moves = static_cast<int>(record.taskMoves[k]);
      EXPECT_EQ(platform.TextAt(ResultsRow(k), 1, 48 + MovesText(moves).size()),
                ResultsLine(c, k, time, moves));
    }
    EXPECT_EQ(platform.TextAt(18, 49, MovesText(static_cast<int>(record.moves)).size()),
              MovesText(static_cast<int>(record.moves)));
    int seconds = static_cast<int>(record.time + 0.5f);
    std::string timeLine = TotalTimeLine(seconds / 60, seconds % 60);
    EXPECT_EQ(platform.TextAt(19, 35, timeLine.size()), timeLine);
  }

  MemoryPlatform platform;
  MemoryHistoryStore store{platform};
  GameReport report;
};

TEST_F(HistoryRecording, GameEndedInPracticeIsNoTest) {
  GameScript s(platform);
  s.At(1000).Key('x').Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(Run().exitCode, 0);
  EXPECT_TRUE(store.appendedAt.empty());
  EXPECT_EQ(store.file, "");
}

TEST_F(HistoryRecording, TestEndedByEscapeIsKeptBeforeTheFinalWait) {
  GameScript s(platform);
  s.At(1000).Key('x').At(62'000).StartTest();
  std::uint64_t solved = s.SolveTask(1, Via::kKeys);
  s.Key(kEnterKey).Key(kEscKey);
  std::uint64_t tableDrawn = s.time();
  std::uint64_t lastKey = s.Wait(5000).time();
  s.Key('x');
  GameEnd end = Run();
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(end.atMs, lastKey);

  ASSERT_EQ(store.appendedAt.size(), 1u);
  EXPECT_LT(store.appendedAt[0], tableDrawn);
  EXPECT_EQ(store.file.substr(0, HistoryHeader().size()), HistoryHeader());
  std::vector<TestRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  // Stamped when P was taken, 62.0 s in: the time task 1's clock started.
  EXPECT_EQ(records[0].started, "2025-03-14T12:01:02+01:00");
  EXPECT_EQ(records[0].tasks, 1);
  // Task 1 is timed from P: the minute of practice before it is no part of
  // the test.
  EXPECT_EQ(records[0].taskTime[1], static_cast<long double>(solved - 62'000) / 1000);
  EXPECT_EQ(records[0].taskMoves[2], 1);  // the move made in task 2 so far
  ExpectTableListsRecord(s.catalogue(), records[0]);
}

TEST_F(HistoryRecording, CompleteTestMatchesItsTable) {
  GameScript s(platform);
  s.At(1000).Key('x');
  s.Apply(5, Via::kKeys);  // practice moves are not part of the test
  s.StartTest();
  for (int k = 1; k <= kTaskCount; ++k) s.SolveTask(k, Via::kDoubleClicks);
  s.Wait(1000).Key('x');
  EXPECT_EQ(Run().exitCode, 0);

  std::vector<TestRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].tasks, 12);
  long long moves = 0;
  for (int k = 1; k <= kTaskCount; ++k) moves += records[0].taskMoves[k];
  EXPECT_EQ(records[0].moves, moves);
  ExpectTableListsRecord(s.catalogue(), records[0]);
  EXPECT_EQ(report.historyFailure, "");
}

TEST_F(HistoryRecording, TwoTestsInARowAreTwoLinesUnderOneHeader) {
  for (int game = 0; game < 2; ++game) {
    GameScript s(platform);
    s.At(platform.Now() + 1000).Key('x').StartTest().Key(kEscKey).Wait(1000).Key('x');
    EXPECT_EQ(Run().exitCode, 0);
  }
  EXPECT_EQ(Records().size(), 2u);
  EXPECT_EQ(store.file.find(HistoryHeader(), 1), std::string::npos);
}

TEST_F(HistoryRecording, FileThatCannotBeWrittenCostsThePlayerNothing) {
  store.failWith = "No space left on device";
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(Run().exitCode, 0);
  EXPECT_EQ(store.appendedAt.size(), 1u);
  EXPECT_EQ(platform.TextAt(18, 1, 11), "  gesammt :");
  EXPECT_EQ(report.historyFailure,
            "the test was not recorded in /memory/history.tsv: No space left on device");
}

// The game never writes a line that --history would skip.
TEST_F(HistoryRecording, LineTheReaderWouldSkipIsNotWritten) {
  store.noDate = true;
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(Run().exitCode, 0);
  EXPECT_TRUE(store.appendedAt.empty());
  EXPECT_EQ(report.historyFailure,
            "the test was not recorded in /memory/history.tsv: started: \"\" is not a date and "
            "time like 2025-03-14T09:26:53+01:00");
  EXPECT_EQ(report.keptRecord, "");
}

// A store that blocks (a slow disk, a lock another game holds) keeps the
// table off the screen for none of that time: it is on the screen before
// the store is asked, and the record is still kept before the final wait.
TEST_F(HistoryRecording, TableIsOnTheScreenBeforeTheRecordIsKept) {
  store.appendTakesMs = 5000;
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEnterKey).Key(kEscKey);
  std::uint64_t lastKey = s.Wait(7000).time();
  s.Key('x');
  GameEnd end = Run();
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(end.atMs, lastKey);
  ASSERT_EQ(store.appendedAt.size(), 1u);
  ASSERT_EQ(store.shownAtAppend.size(), 25u);
  for (int y = 0; y < 25; ++y) EXPECT_EQ(store.shownAtAppend[y], platform.RowText(y)) << y;
  EXPECT_EQ(store.shownAtAppend[17].substr(0, 11), "  gesammt :");
  EXPECT_EQ(Records().size(), 1u);
}

// After the final input the game leaves the table as it stood, rows cut at
// their last character, for the program to print once the console is
// given back.
TEST_F(HistoryRecording, FinalInputLeavesTheTableAndTheKeptRecord) {
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(Run().exitCode, 0);
  ASSERT_EQ(report.table.size(), 19u);
  EXPECT_EQ(report.table[0], "");
  EXPECT_EQ(report.table[1],
            "    \x9A"
            "bung                    Zeit (sec.)       Z\xFC\x81ge");
  for (int y = 0; y < 19; ++y) {
    std::string row = platform.RowText(y);
    row.erase(row.find_last_not_of(' ') + 1);
    EXPECT_EQ(report.table[y], row) << y;
  }
  EXPECT_EQ(report.table[18].substr(report.table[18].size() - 4), "Sec.");
  EXPECT_EQ(report.keptRecord, store.file.substr(HistoryHeader().size()));
}

// A game that never got its final input (the terminal went away, a signal
// ended it) leaves no table; without a history the table is still left.
TEST_F(HistoryRecording, NoTableWithoutTheFinalInput) {
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEscKey);
  EXPECT_EQ(RunGame(platform, 60'000, {&store, &report}).exitCode, -1);
  EXPECT_TRUE(report.table.empty());
  EXPECT_FALSE(report.keptRecord.empty());

  MemoryPlatform other;
  GameScript t(other);
  t.At(1000).Key('x').Key(kEscKey).Wait(1000).Key('x');
  GameReport practice;
  EXPECT_EQ(RunGame(other, 600'000, {nullptr, &practice}).exitCode, 0);
  EXPECT_EQ(practice.table.size(), 19u);
  EXPECT_EQ(practice.keptRecord, "");
}

TEST(HistoryRecordingWithoutStore, RecordsNothingAndStampsNothing) {
  GameReport report;
  GameSession session;
  session.setting.report = &report;
  EXPECT_EQ(TestStartStamp(session), "");
  session.testRunning = 1;
  RecordTest(session);
  EXPECT_EQ(report.historyFailure, "");
  EXPECT_EQ(report.keptRecord, "");
}

}  // namespace
}  // namespace kippfeld::game
