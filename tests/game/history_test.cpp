#include "game/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "game/flow.h"
#include "game/results.h"

namespace kippfeld::game {
namespace {

constexpr const char* kStarted = "2025-03-14T09:26:53+01:00";

// A sound line's columns: three tasks done, the fourth begun.
std::vector<std::string> GoodColumns() {
  std::vector<std::string> columns = {kStarted, "3",  "43.7", "20", "12.2", "5",
                                      "30.5",   "12", "1",    "1",  "0",    "2"};
  while (columns.size() < static_cast<std::size_t>(kHistoryColumns)) columns.push_back("0");
  return columns;
}

std::string Join(const std::vector<std::string>& columns) {
  std::string line;
  for (const std::string& column : columns) {
    if (!line.empty()) line += '\t';
    line += column;
  }
  return line + '\n';
}

std::string WithColumn(int index, const std::string& text) {
  std::vector<std::string> columns = GoodColumns();
  columns[static_cast<std::size_t>(index)] = text;
  return Join(columns);
}

GameSession FinishedSession() {
  GameSession session;
  session.testRunning = 1;
  session.currentTask = 13;
  const float times[] = {12.2f, 1000.5f, 0.7f, 30, 2.3f, 9.9f, 15.1f, 4.4f, 60.5f, 7, 8.8f, 1.1f};
  float moves = 0;
  for (int k = 1; k <= kTaskCount; ++k) {
    session.taskTimes[k] = times[k - 1];
    session.taskMoves[k] = static_cast<float>(k + 2);
    moves += session.taskMoves[k];
  }
  session.taskMoves[0] = 40;  // practice is not part of the record
  session.moveTotal = moves;
  return session;
}

TEST(HistoryLine, ListsTimesWithTheTablesDigits) {
  std::string line = HistoryLine(RecordOfTest(FinishedSession(), kStarted));
  EXPECT_EQ(line,
            "2025-03-14T09:26:53+01:00\t12\t1152.5\t102\t"
            "12.2\t3\t1000.5\t4\t0.7\t5\t30\t6\t2.3\t7\t9.9\t8\t"
            "15.1\t9\t4.4\t10\t60.5\t11\t7\t12\t8.8\t13\t1.1\t14\n");
}

TEST(HistoryLine, HeaderNamesEveryColumn) {
  std::string header = HistoryHeader();
  EXPECT_EQ(header.substr(0, 38), "started\ttasks\ttime_s\tmoves\tt1_s\tt1_mov");
  std::string end = "\tt12_s\tt12_moves\n";
  EXPECT_EQ(header.substr(header.size() - end.size()), end);
  EXPECT_EQ(std::count(header.begin(), header.end(), '\t'), kHistoryColumns - 1);
}

TEST(HistoryLine, RoundTripKeepsEveryColumn) {
  TestRecord written = RecordOfTest(FinishedSession(), kStarted);
  History history = ParseHistory(HistoryHeader() + HistoryLine(written));
  ASSERT_TRUE(history.problems.empty()) << history.problems[0].reason;
  ASSERT_EQ(history.records.size(), 1u);
  const TestRecord& read = history.records[0];
  EXPECT_EQ(read.started, written.started);
  EXPECT_EQ(read.tasks, 12);
  // The total goes out at its float's seven digits, which the last line checks.
  EXPECT_EQ(read.moves, 102);
  EXPECT_EQ(read.taskTime, written.taskTime);
  EXPECT_EQ(read.taskMoves, written.taskMoves);
  EXPECT_EQ(HistoryLine(read), HistoryLine(written));
}

TEST(HistoryLine, TestEndedMidTaskKeepsThatTasksMovesButNoTime) {
  GameSession session;
  session.testRunning = 1;
  session.currentTask = 3;  // Esc during task 3
  session.taskTimes[1] = 12.25f;
  session.taskTimes[2] = 1000.5f;
  session.taskTimes[3] = 0;
  session.taskMoves = {7, 5, 9, 4};
  session.moveTotal = 18;
  TestRecord record = RecordOfTest(session, kStarted);
  EXPECT_EQ(record.tasks, 2);
  std::string line = HistoryLine(record);
  std::string start = "2025-03-14T09:26:53+01:00\t2\t1012.7\t18\t12.2\t5\t1000.5\t9\t0\t4\t0\t0\t";
  EXPECT_EQ(line.substr(0, start.size()), start);
  History history = ParseHistory(line);
  EXPECT_TRUE(history.problems.empty());
  EXPECT_EQ(history.records.size(), 1u);
}

TEST(HistoryParse, HeaderAnywhereAndWindowsLineEndsAreAccepted) {
  std::string good = Join(GoodColumns());
  std::string crlf = good;
  crlf.insert(crlf.size() - 1, "\r");
  History history = ParseHistory(HistoryHeader() + good + HistoryHeader() + crlf);
  EXPECT_TRUE(history.problems.empty());
  EXPECT_EQ(history.records.size(), 2u);
  EXPECT_TRUE(ParseHistory("").records.empty());
  EXPECT_TRUE(ParseHistory(HistoryHeader()).problems.empty());
}

TEST(HistoryParse, TornLastLineIsNamedAndTheRestKept) {
  std::string good = Join(GoodColumns());
  // Cut in its last column, the torn line would still read as a record.
  std::string torn = good.substr(0, good.size() - 1);
  History history = ParseHistory(HistoryHeader() + good + torn);
  ASSERT_EQ(history.records.size(), 1u);
  ASSERT_EQ(history.problems.size(), 1u);
  EXPECT_EQ(history.problems[0].line, 3);
  EXPECT_NE(history.problems[0].reason.find("no line end"), std::string::npos);

  // The next record, on a line of its own, leaves only the fragment behind.
  history = ParseHistory(HistoryHeader() + good + torn.substr(0, 40) + "\n" + good);
  EXPECT_EQ(history.records.size(), 2u);
  ASSERT_EQ(history.problems.size(), 1u);
  EXPECT_EQ(history.problems[0].line, 3);
}

TEST(HistoryParse, EveryKindOfBadLineIsSkippedWithItsReason) {
  struct Case {
    std::string line;
    std::string reason;
  };
  std::string good = Join(GoodColumns());
  const std::vector<Case> cases = {
      {"\n", "an empty line"},
      {"a\tb\tc\n", "3 columns instead of 28"},
      {good.substr(0, good.size() - 1) + "\t0\n", "29 columns instead of 28"},
      {WithColumn(0, "yesterday"), "started: \"yesterday\" is not a date and time"},
      {WithColumn(0, "2025-02-29T09:26:53+01:00"), "is not a date and time"},
      {WithColumn(0, "2025-03-14T24:00:00+01:00"), "is not a date and time"},
      {WithColumn(0, "2025-03-14T09:26:53+24:00"), "is not a date and time"},
      {WithColumn(0, "2025-03-14T09:26:53-01:60"), "is not a date and time"},
      {WithColumn(0, "2025-03-14 09:26:53+01:00"), "is not a date and time"},
      {WithColumn(1, "three"), "tasks: \"three\" is not a whole number"},
      {WithColumn(1, "13"), "tasks: 13 is more than the 12 tasks there are"},
      {WithColumn(1, "-1"), "tasks: \"-1\" is negative"},
      {WithColumn(1, "3.0"), "tasks: \"3.0\" is not a whole number"},
      {WithColumn(1, ""), "tasks: \"\" is not a whole number"},
      {WithColumn(2, "43,7"), "time_s: \"43,7\" is not a number of seconds"},
      {WithColumn(2, "4e1"), "time_s: \"4e1\" is not a number of seconds"},
      {WithColumn(2, "1036800.1"), "time_s: 1036800.1 seconds is more than twelve tasks"},
      {WithColumn(2, "43.8"), "time_s: 43.8 is not the sum of the task times (43.7)"},
      {WithColumn(3, "21"), "moves: 21 is not the sum of the task moves (20)"},
      {WithColumn(3, "99999999999999"),
       "moves: \"99999999999999\" is more moves than the game counts"},
      {WithColumn(4, "-12.2"), "t1_s: \"-12.2\" is negative"},
      {WithColumn(4, "12.2.1"), "t1_s: \"12.2.1\" is not a number of seconds"},
      {WithColumn(4, "."), "t1_s: \".\" is not a number of seconds"},
      {WithColumn(4, "12.25"), "t1_s: 12.25 is not a whole number of tenths"},
      {WithColumn(4, "86400"), "t1_s: 86400 seconds is more than a task can take (86399.9)"},
      {WithColumn(5, "16777217"),
       "t1_moves: 16777217 is more moves than the game counts (16777216)"},
      {WithColumn(10, "3.5"), "t4_s: a time for a task that was not completed (tasks is 3)"},
      {WithColumn(13, "1"), "t5_moves: moves for a task that was never reached (tasks is 3)"},
      {WithColumn(4, std::string("12\0.2", 5)), "a NUL byte at byte 39"},
      {WithColumn(0, "\x1b[31m2025-03-14T09:26:53+01"), "a control character (0x1B at byte 1)"},
      {WithColumn(4, "12\x7f"), "a control character (0x7F"},
      {WithColumn(4, "12\xc2\x9b"), "a control character (0x9B"},
      {WithColumn(4, "12\xff"), "not UTF-8 (byte 0xFF"},
      {WithColumn(4, "12\xc3"), "not UTF-8 (byte 0xC3"},
      {WithColumn(4, "12\xc0\xaf"), "not UTF-8 (byte 0xC0"},
      {WithColumn(4, "12\xed\xa0\x80"), "not UTF-8 (byte 0xED"},
      {WithColumn(4, "12.\xc3\xa4"), "t1_s: \"12.\\xC3\\xA4\" is not a number of seconds"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    History history = ParseHistory(HistoryHeader() + good + c.line + good);
    EXPECT_EQ(history.records.size(), 2u);
    ASSERT_EQ(history.problems.size(), 1u);
    EXPECT_EQ(history.problems[0].line, 3);
    EXPECT_NE(history.problems[0].reason.find(c.reason), std::string::npos)
        << history.problems[0].reason;
    for (char byte : history.problems[0].reason) {
      EXPECT_TRUE(byte >= 0x20 && byte < 0x7f) << "unprintable byte in the reason";
    }
  }
}

TEST(HistoryParse, SpreadsheetFormsOfTheSameNumbersAreAccepted) {
  // Trailing zeros and a bare point do not change a value.
  std::vector<std::string> columns = GoodColumns();
  columns[2] = "43.70";
  columns[4] = "12.20";
  columns[8] = "1.0";
  History history = ParseHistory(Join(columns));
  EXPECT_TRUE(history.problems.empty()) << history.problems[0].reason;
  ASSERT_EQ(history.records.size(), 1u);
  EXPECT_EQ(HistoryLine(history.records[0]), Join(GoodColumns()));
}

// A test at the edge of what the game produces: every task one tenth short
// of a day, and the float counters stopped at 2^24.
GameSession SessionAtTheBounds() {
  GameSession session;
  session.testRunning = 1;
  session.currentTask = 13;
  for (int k = 1; k <= kTaskCount; ++k) {
    session.taskTimes[k] = static_cast<float>(kMostTaskSeconds);
    session.taskMoves[k] = static_cast<float>(kMostMoves);
  }
  session.moveTotal = static_cast<float>(kMostMoves);
  return session;
}

TEST(HistoryBounds, CountersStopWhereTheReaderStops) {
  // One more move leaves a float counter at the bound, so the game can
  // never write more.
  float count = static_cast<float>(kMostMoves);
  EXPECT_EQ(static_cast<float>(static_cast<long double>(count) + 1), count);
  EXPECT_NE(static_cast<float>(static_cast<long double>(count - 1) + 1), count - 1);
  EXPECT_LT(TotalTime(SessionAtTheBounds().taskTimes), kMostTotalSeconds);
}

TEST(HistoryBounds, WhatTheWriterWritesAtTheBoundsReadsBack) {
  std::vector<GameSession> sessions;
  sessions.push_back(SessionAtTheBounds());
  // The total stopped at 2^24 while the tasks went on counting.
  GameSession stopped;
  stopped.testRunning = 1;
  stopped.currentTask = 3;
  stopped.taskTimes[1] = 0;
  stopped.taskTimes[2] = static_cast<float>(kMostTaskSeconds);
  stopped.taskMoves = {0, static_cast<float>(kMostMoves), 5, static_cast<float>(kMostMoves)};
  stopped.moveTotal = static_cast<float>(kMostMoves);
  sessions.push_back(stopped);
  GameSession nothing;  // Esc right after P
  nothing.testRunning = 1;
  nothing.currentTask = 1;
  sessions.push_back(nothing);
  for (const char* started : {kStarted, "1969-12-31T19:00:00-05:00", "2025-03-14T09:26:53+23:59",
                              "9999-12-31T23:59:60-23:59"}) {
    for (const GameSession& session : sessions) {
      SCOPED_TRACE(started);
      TestRecord written = RecordOfTest(session, started);
      std::string line = HistoryLine(written);
      EXPECT_EQ(HistoryLineFault(line.substr(0, line.size() - 1)), "");
      History history = ParseHistory(line);
      ASSERT_EQ(history.records.size(), 1u) << history.problems[0].reason;
      EXPECT_EQ(HistoryLine(history.records[0]), line);
    }
  }
  EXPECT_EQ(HistoryLine(RecordOfTest(SessionAtTheBounds(), kStarted)).substr(26, 28),
            "12\t1036799\t16777216\t86399.9\t");
}

TEST(HistoryBounds, OnePastEachBoundIsRejected) {
  struct Case {
    TestRecord record;
    std::string reason;
  };
  TestRecord bound = RecordOfTest(SessionAtTheBounds(), kStarted);
  std::vector<Case> cases;
  cases.push_back({bound, "t1_s: 86400 seconds is more than a task can take (86399.9)"});
  cases.back().record.taskTime[1] = 86400;
  cases.push_back({bound, "t12_moves: 16777217 is more moves than the game counts (16777216)"});
  cases.back().record.taskMoves[12] = kMostMoves + 1;
  cases.push_back({bound, "moves: 16777217 is more moves than the game counts (16777216)"});
  cases.back().record.moves = kMostMoves + 1;
  cases.push_back({bound,
                   "moves: 16777215 is not the sum of the task moves (201326592, where "
                   "the count stops at 16777216)"});
  cases.back().record.moves = kMostMoves - 1;
  cases.push_back({bound, "time_s: 1036801 seconds is more than twelve tasks can take (1036800)"});
  cases.back().record.time = 1036801;
  cases.push_back({bound, "started: \"\" is not a date and time"});
  cases.back().record.started.clear();
  for (const Case& c : cases) {
    std::string line = HistoryLine(c.record);
    std::string fault = HistoryLineFault(line.substr(0, line.size() - 1));
    EXPECT_EQ(fault.substr(0, c.reason.size()), c.reason);
    EXPECT_TRUE(ParseHistory(line).records.empty()) << c.reason;
  }
}

TEST(HistoryParse, ProblemsOfOneKindShareTheirKind) {
  struct Case {
    std::string first;
    std::string second;
    std::string kind;
  };
  std::string good = Join(GoodColumns());
  const std::vector<Case> cases = {
      {"\n", "\r\n", "an empty line"},
      {"a\tb\n", "1\t2\t3\n", "the wrong number of columns"},
      {WithColumn(0, "yesterday"), WithColumn(0, "2025-02-30T00:00:00+00:00"),
       "started: not a date and time"},
      {WithColumn(4, "-1"), WithColumn(4, "-12.5"), "t1_s: negative"},
      {WithColumn(7, "x"), WithColumn(7, "1.5"), "t2_moves: not a whole number"},
      {WithColumn(4, "12\xff"), WithColumn(0, "\xc3"), "not UTF-8"},
      {WithColumn(4, "\x1b"), WithColumn(9, "\x07"), "a control character"},
      {WithColumn(3, "21"), WithColumn(3, "0"), "moves: not the sum of the task moves"},
      {std::string(2000, 'x') + "\n", std::string(1025, '\t') + "\n",
       "a line longer than any record"},
  };
  for (const Case& c : cases) {
    History history = ParseHistory(c.first + good + c.second);
    ASSERT_EQ(history.problems.size(), 2u) << c.kind;
    EXPECT_EQ(history.problems[0].kind, c.kind);
    EXPECT_EQ(history.problems[1].kind, c.kind);
    EXPECT_EQ(history.problems[1].line, 3);
    EXPECT_EQ(history.records.size(), 1u) << c.kind;
  }
}

// A file comes in pieces that end anywhere: in a line, in a CR LF, in a
// UTF-8 character, in a line far longer than any record.
TEST(HistoryReader, PiecesOfAnySizeReadAsTheWholeContent) {
  std::string good = Join(GoodColumns());
  std::string crlf = good;
  crlf.insert(crlf.size() - 1, "\r");
  std::string content = HistoryHeader() + good + "\n" + crlf + std::string(5000, 'y') + "\n" +
                        WithColumn(4, "12\xc3\xa4") + good + std::string(3000, 'z');
  History whole = ParseHistory(content);
  ASSERT_EQ(whole.records.size(), 3u);
  ASSERT_EQ(whole.problems.size(), 4u);
  EXPECT_EQ(whole.problems[1].line, 5);
  EXPECT_EQ(whole.problems[1].reason, "a line longer than any record (more than 1024 bytes)");
  EXPECT_EQ(whole.problems[3].line, 8);
  EXPECT_EQ(whole.problems[3].kind, "the last line has no line end");
  for (std::size_t size : {1, 2, 3, 7, 64, 1023, 1024, 1025, 4096}) {
    SCOPED_TRACE(size);
    History pieces;
    HistoryReader reader([&](const TestRecord& r) { pieces.records.push_back(r); },
                         [&](const HistoryProblem& p) { pieces.problems.push_back(p); });
    for (std::size_t at = 0; at < content.size(); at += size) {
      reader.Read(std::string_view(content).substr(at, size));
    }
    reader.Finish();
    ASSERT_EQ(pieces.records.size(), whole.records.size());
    for (std::size_t i = 0; i < whole.records.size(); ++i) {
      EXPECT_EQ(HistoryLine(pieces.records[i]), HistoryLine(whole.records[i]));
    }
    ASSERT_EQ(pieces.problems.size(), whole.problems.size());
    for (std::size_t i = 0; i < whole.problems.size(); ++i) {
      EXPECT_EQ(pieces.problems[i].line, whole.problems[i].line);
      EXPECT_EQ(pieces.problems[i].reason, whole.problems[i].reason);
    }
  }
}

TEST(PrintableText, ShowsEveryByteATerminalCouldActOn) {
  struct Case {
    std::string text;
    bool utf8;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {"/home/anna/history.tsv", false, "/home/anna/history.tsv"},
      {"a\x1b[2Jb", true, "a\\x1B[2Jb"},
      {"tab\there", true, "tab\\x09here"},
      {"j\xc3\xbcrgen", true, "j\xc3\xbcrgen"},
      {"j\xc3\xbcrgen", false, "j\\xC3\\xBCrgen"},
      {"csi\xc2\x9b", true, "csi\\xC2\\x9B"},
      {"bad\xff", true, "bad\\xFF"},
      {"cut\xe2\x82", true, "cut\\xE2\\x82"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrintableText(c.text, c.utf8), c.shown) << c.shown;
  }
}

}  // namespace
}  // namespace kippfeld::game
