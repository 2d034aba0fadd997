#include "game/history_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
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

// The history file in memory; its clock is the console's virtual one, which
// starts at noon.
class MemoryHistoryStore : public HistoryStore {
 public:
  explicit MemoryHistoryStore(MemoryPlatform& platform) : platform_(platform) {}

  std::string Place() override { return "/memory/history.tsv"; }
  std::string LocalDateTime() override {
    if (noDate) return {};
    std::uint64_t seconds = platform_.Now() / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "2025-03-14T12:%02u:%02u+01:00",
                  static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    return text;
  }
  std::string Append(std::string_view header, std::string_view record) override {
    appendedAt.push_back(platform_.Now());
    if (!failWith.empty()) return failWith;
    if (file.empty()) file.append(header);
    file.append(record);
    return {};
  }
  HistoryRead Read(const std::function<void(std::string_view)>& take, std::string&) override {
    take(file);
    return HistoryRead::kRead;
  }

  std::string file;
  std::string failWith;
  bool noDate = false;  // a clock that gives no date and time
  std::vector<std::uint64_t> appendedAt;

 private:
  MemoryPlatform& platform_;
};

class HistoryRecording : public ::testing::Test {
 protected:
  void SetUp() override { SetHistoryStore(&store); }
  void TearDown() override { SetHistoryStore(nullptr); }

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
};

TEST_F(HistoryRecording, GameEndedInPracticeIsNoTest) {
  GameScript s(platform);
  s.At(1000).Key('x').Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_TRUE(store.appendedAt.empty());
  EXPECT_EQ(store.file, "");
}

TEST_F(HistoryRecording, TestEndedByEscapeIsKeptBeforeTheFinalWait) {
  GameScript s(platform);
  s.At(1000).Key('x').At(62'000).StartTest();
  s.SolveTask(1, Via::kKeys);
  s.Key(kEnterKey).Key(kEscKey);
  std::uint64_t tableDrawn = s.time();
  std::uint64_t lastKey = s.Wait(5000).time();
  s.Key('x');
  GameEnd end = RunGame(platform);
  EXPECT_EQ(end.exitCode, 0);
  EXPECT_EQ(end.atMs, lastKey);

  ASSERT_EQ(store.appendedAt.size(), 1u);
  EXPECT_LT(store.appendedAt[0], tableDrawn);
  EXPECT_EQ(store.file.substr(0, HistoryHeader().size()), HistoryHeader());
  std::vector<TestRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  // P was taken by the poll after 62.0 s, not when task 1's clock started.
  EXPECT_EQ(records[0].started, "2025-03-14T12:01:02+01:00");
  EXPECT_EQ(records[0].tasks, 1);
  EXPECT_GT(records[0].taskTime[1], 60);  // task 1 includes the practice
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
  EXPECT_EQ(RunGame(platform).exitCode, 0);

  std::vector<TestRecord> records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].tasks, 12);
  long long moves = 0;
  for (int k = 1; k <= kTaskCount; ++k) moves += records[0].taskMoves[k];
  EXPECT_EQ(records[0].moves, moves);
  ExpectTableListsRecord(s.catalogue(), records[0]);
  EXPECT_EQ(HistoryFailure(), "");
}

TEST_F(HistoryRecording, TwoTestsInARowAreTwoLinesUnderOneHeader) {
  for (int game = 0; game < 2; ++game) {
    GameScript s(platform);
    s.At(platform.Now() + 1000).Key('x').StartTest().Key(kEscKey).Wait(1000).Key('x');
    EXPECT_EQ(RunGame(platform).exitCode, 0);
  }
  EXPECT_EQ(Records().size(), 2u);
  EXPECT_EQ(store.file.find(HistoryHeader(), 1), std::string::npos);
}

TEST_F(HistoryRecording, FileThatCannotBeWrittenCostsThePlayerNothing) {
  store.failWith = "No space left on device";
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_EQ(store.appendedAt.size(), 1u);
  EXPECT_EQ(platform.TextAt(18, 1, 11), "  gesammt :");
  EXPECT_EQ(HistoryFailure(),
            "the test was not recorded in /memory/history.tsv: No space left on device");
}

// The game never writes a line that --history would skip.
TEST_F(HistoryRecording, LineTheReaderWouldSkipIsNotWritten) {
  store.noDate = true;
  GameScript s(platform);
  s.At(1000).Key('x').StartTest().Key(kEnterKey).Key(kEscKey).Wait(1000).Key('x');
  EXPECT_EQ(RunGame(platform).exitCode, 0);
  EXPECT_TRUE(store.appendedAt.empty());
  EXPECT_EQ(HistoryFailure(),
            "the test was not recorded in /memory/history.tsv: started: \"\" is not a date and "
            "time like 2025-03-14T09:26:53+01:00");
}

TEST(HistoryRecordingWithoutStore, RecordsNothingAndStampsNothing) {
  SetHistoryStore(nullptr);
  EXPECT_EQ(TestStartStamp(), "");
  GameSession session;
  session.testRunning = 1;
  RecordTest(session);
  EXPECT_EQ(HistoryFailure(), "");
}

}  // namespace
}  // namespace kippfeld::game
