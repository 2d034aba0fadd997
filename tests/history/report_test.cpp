#include "history/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "game/history.h"
#include "report_text_testing.h"

namespace kippfeld::history {

using namespace game;
using test::Columns;
using test::CommandRun;
using test::FixedSource;
using test::Lines;
using test::RunCommand;
namespace {

constexpr const char* kPlace = "/home/anna/.local/state/kippfeld/history.tsv";

// A test of `times.size()` completed tasks; the moves of task k are moves[k-1].
std::string Line(const std::string& started, const std::vector<float>& times,
                 const std::vector<int>& moves) {
  GameSession session;
  session.testRunning = 1;
  session.currentTask = static_cast<float>(times.size() + 1);
  float total = 0;
  for (std::size_t k = 1; k <= moves.size(); ++k) {
    if (k <= times.size()) session.taskTimes[k] = times[k - 1];
    session.taskMoves[k] = static_cast<float>(moves[k - 1]);
    total += session.taskMoves[k];
  }
  session.moveTotal = total;
  return HistoryLine(RecordOfTest(session, started));
}

// All twelve tasks in `seconds` each (and 30 s for task 12), `moves` moves each.
std::string CompleteLine(const std::string& started, float seconds, int moves) {
  std::vector<float> times(11, seconds);
  times.push_back(30);
  return Line(started, times, std::vector<int>(12, moves));
}

void ExpectPlainText(const std::string& out, bool utf8) {
  for (const std::string& line : Lines(out)) {
    EXPECT_LE(Columns(line), 79u) << line;
    for (unsigned char byte : line) {
      ASSERT_TRUE(byte >= 0x20 && byte != 0x7F) << "control byte in: " << line;
      if (!utf8) {
        ASSERT_LT(byte, 0x80) << "non-ASCII in: " << line;
      }
    }
  }
}

TEST(HistoryReport, NoTestsYetIsOneLine) {
  for (const std::string& content : {std::string(), HistoryHeader()}) {
    HistoryReport report = ReportHistory(kPlace, content, {true});
    EXPECT_EQ(report.out, std::string("No tests recorded yet in ") + kPlace + ".\n");
    EXPECT_TRUE(report.errors.empty());
  }
}

TEST(HistoryReport, OneTestInAnAsciiLocale) {
  std::string content =
      HistoryHeader() + Line("2025-03-14T09:26:53+01:00", {12.2f, 1000.5f, 7}, {5, 9, 6, 2});
  HistoryReport report = ReportHistory(kPlace, content, {false});
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(report.out,
            std::string("Tests recorded in ") + kPlace +
                "\n"
                "\n"
                "Tests\n"
                "Extra: the moves of a complete test above the fewest possible, 62\n"
                "   #  Started           Tasks     Time  Moves  Extra\n"
                "   1  2025-03-14 09:26   3/12  16:59.7     22\n"
                "\n"
                "Best time and fewest moves per task, and the fewest possible (Optimum)\n"
                "  Task                               Time on          Moves on          Optimum\n"
                "  all 1                            12.2 s 2025-03-14      5 2025-03-14        5\n"
                "  all 0                          1000.5 s 2025-03-14      9 2025-03-14        5\n"
                "  only mid 1                        7.0 s 2025-03-14      6 2025-03-14        5\n"
                "  only mid 0                            - -               - -                 5\n"
                "  only middle column 1                  - -               - -                 7\n"
                "  only corners 0                        - -               - -                 6\n"
                "  only lower right 1                    - -               - -                 5\n"
                "  only middle row 1                     - -               - -                 3\n"
                "  only mid left / mid right 1           - -               - -                 5\n"
                "  only middle row 0                     - -               - -                 8\n"
                "  only btm l./ mid / top r. 1           - -               - -                 5\n"
                "  only top l./ top r./ btm r. 1         - -               - -                 3\n"
                "\n"
                "Best complete test: none yet (all twelve tasks in one test)\n"
                "\n"
                "Averages of the latest complete tests, each without its best and worst time\n"
                "  (from 5 complete tests on; 0 so far)\n"
                "\n"
                "Total time of the complete tests, oldest on the left\n"
                "  (no complete test yet)\n");
}

TEST(HistoryReport, ManyTestsShowBestsExtraMovesAndAChart) {
  std::string content = HistoryHeader() + CompleteLine("2025-03-01T10:00:00+01:00", 20, 9) +
                        Line("2025-03-02T10:00:00+01:00", {3.5f}, {5, 7}) +
                        CompleteLine("2025-03-03T10:00:00+01:00", 10, 12) +
                        CompleteLine("2025-03-04T10:00:00+01:00", 10, 8) +
                        CompleteLine("2025-03-05T21:30:00-05:00", 15, 8);
  for (bool utf8 : {true, false}) {
    SCOPED_TRACE(utf8 ? "UTF-8" : "ASCII");
    HistoryReport report = ReportHistory(kPlace, content, {utf8});
    EXPECT_TRUE(report.errors.empty());
    ExpectPlainText(report.out, utf8);
    std::vector<std::string> lines = Lines(report.out);
    EXPECT_EQ(lines[5], "   1  2025-03-01 10:00  12/12  4:10.0    108     46");
    EXPECT_EQ(lines[6], "   2  2025-03-02 10:00   1/12  0:03.5     12");
    EXPECT_EQ(lines[9], "   5  2025-03-05 21:30  12/12  3:15.0     96     34");
    // Task 1: the incomplete test was the fastest and took the fewest moves.
    EXPECT_EQ(lines[13],
              "  all 1                           3.5 s 2025-03-02      5 2025-03-02        5");
    // Task 2 was only ever completed in complete tests; the tie at 10 s and
    // the one at 8 moves go to the earlier.
    EXPECT_EQ(lines[14],
              "  all 0                          10.0 s 2025-03-03      8 2025-03-04        5");
    // The same time, and fewer moves.
    EXPECT_EQ(lines[26], "Best complete test: #4 on 2025-03-04 10:00, 2:20.0 with 96 moves");
    EXPECT_EQ(lines[29], "  (from 5 complete tests on; 4 so far)");
    EXPECT_EQ(lines[31], "Total time of the complete tests, oldest on the left");
    // Four bars of two columns and a gap: 250, 140, 140 and 195 s against
    // a top of 250 s.
    std::string full = utf8 ? "\u2588\u2588" : "##";
    EXPECT_EQ(lines[32], "     4:10.0 |" + full);
    EXPECT_EQ(lines[36], "     2:05.0 |" + full + " " + full + " " + full + " " + full);
    EXPECT_EQ(lines[40], "     0:00.0 +-----------");
    EXPECT_EQ(lines[41], "             #1 #3 #4 #5");
    if (utf8) {
      // 195 of 250 s is 49.9 of 64 eighths: the seventh row is filled by two.
      EXPECT_EQ(lines[33], "            |" + full + "       \u2582\u2582");
    } else {
      // Half a row or more shows as a whole one.
      EXPECT_EQ(lines[33], "            |##");
      EXPECT_EQ(lines[34], "            |##       ##");
    }
  }
}

// Many tests: only the most recent are listed, the rest counted.
TEST(HistoryReport, ListShowsTheLastFiftyAndCountsTheRest) {
  std::string content = HistoryHeader();
  for (int i = 0; i < 60; ++i) {
    content += i % 3 == 0 ? Line("2025-03-01T10:00:00+01:00", {3.5f}, {5, 7})
                          : CompleteLine("2025-03-01T10:00:00+01:00", 10, 9);
  }
  HistoryReport report = ReportHistory(kPlace, content, {true});
  ExpectPlainText(report.out, true);
  std::vector<std::string> lines = Lines(report.out);
  EXPECT_EQ(lines[2], "Tests: the last 50 of 60 (10 earlier ones are not listed)");
  EXPECT_EQ(lines[5].substr(0, 6), "   11 ");
  EXPECT_EQ(lines[54].substr(0, 6), "   60 ");
  EXPECT_EQ(lines[55], "");
}

// A test left running for days has a total of 10000 minutes or more, whose
// label is wider than the others: the bars of every row and the axis must
// still start in one column, and the widest chart still fit the width.
TEST(HistoryReport, ChartLabelPast10000MinutesKeepsTheBarsOnTheAxis) {
  std::string content = HistoryHeader();
  for (int i = 0; i < 100; ++i) {
    content += CompleteLine("2025-03-01T10:00:00+01:00", i == 35 ? 86399.9f : 600, 9);
  }
  HistoryReport report = ReportHistory(kPlace, content, {false});
  ASSERT_TRUE(report.errors.empty()) << report.errors[0];
  ExpectPlainText(report.out, false);
  std::vector<std::string> lines = Lines(report.out);
  std::size_t chart = 0;
  while (chart < lines.size() && lines[chart].rfind("Total time", 0) != 0) ++chart;
  ASSERT_LT(chart + 11, lines.size());
  // 100 tests in 50 bars of two; #35 and #36 together: (6630 s + 11 x
  // 86399.9 s + 30 s, which the float total holds as 950 428.8 s) / 2 =
  // 478 529.4 s, 7975:29.4 at the top.
  EXPECT_EQ(lines[chart + 1], "  (each bar the mean of 2 complete tests)");
  EXPECT_EQ(lines[chart + 2].substr(0, 14), "   7975:29.4 |");
  EXPECT_EQ(lines[chart + 2].substr(14), std::string(17, ' ') + "#");
  EXPECT_EQ(lines[chart + 10], "      0:00.0 +" + std::string(50, '-'));
  EXPECT_EQ(lines[chart + 11].substr(0, 17), "              #1 ");
  EXPECT_EQ(lines[chart + 11].substr(lines[chart + 11].size() - 5), " #100");
}

TEST(HistoryReport, BadLinesAreNamedAndNeverReachTheOutput) {
  std::string good = CompleteLine("2025-03-01T10:00:00+01:00", 20, 6);
  std::string content =
      HistoryHeader() + good + "\x1b]0;owned\x07\x1b[2J\n" + "a\tb\n" + good + good.substr(0, 30);
  for (bool utf8 : {true, false}) {
    HistoryReport report = ReportHistory(kPlace, content, {utf8});
    ASSERT_EQ(report.errors.size(), 3u);
    EXPECT_EQ(report.errors[0], std::string("kippfeld: ") + kPlace +
                                    ":3: skipped: a control character (0x1B at byte 1)");
    EXPECT_EQ(report.errors[1],
              std::string("kippfeld: ") + kPlace + ":4: skipped: 2 columns instead of 28");
    EXPECT_EQ(report.errors[2], std::string("kippfeld: ") + kPlace +
                                    ":6: skipped: the last line has no line end (a write was "
                                    "cut short)");
    ExpectPlainText(report.out, utf8);
    EXPECT_NE(report.out.find("   2  2025-03-01 10:00  12/12"), std::string::npos);
  }
}

// Whatever a damaged file holds, no byte of it that a terminal could act on
// reaches the report or the messages about skipped lines.
TEST(HistoryReport, DamagedFilesNeverPutControlBytesOut) {
  std::string good = CompleteLine("2025-03-01T10:00:00+01:00", 20, 6) +
                     Line("2025-03-02T10:00:00+01:00", {3.5f}, {2, 7});
  const std::string kNasty[] = {"\x1b", "\x9b", "\xc2\x9b", "\x07", std::string(1, '\0'),
                                "\t",   "\n",   "\r",       "\xff", "\xe2\x96"};
  unsigned seed = 12345;
  auto next = [&seed](std::size_t below) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::size_t>((seed >> 8) % below);
  };
  for (int round = 0; round < 2000; ++round) {
    std::string content = HistoryHeader() + good + good;
    for (int change = 0, changes = 1 + static_cast<int>(next(4)); change < changes; ++change) {
      std::size_t at = next(content.size());
      switch (next(3)) {
        case 0:
          content.insert(at, kNasty[next(std::size(kNasty))]);
          break;
        case 1:
          content[at] = static_cast<char>(next(256));
          break;
        default:
          content.erase(at, 1 + next(8));
          break;
      }
    }
    for (bool utf8 : {true, false}) {
      HistoryReport report = ReportHistory(kPlace, content, {utf8});
      ExpectPlainText(report.out, utf8);
      for (const std::string& error : report.errors) {
        for (unsigned char byte : error) ASSERT_TRUE(byte >= 0x20 && byte < 0x7F) << error;
      }
    }
  }
}

// Ten thousand bad lines cost no more than twenty: the first are named, the
// rest counted by kind in one line, and the report still comes.
TEST(HistoryReport, OnlyBadLinesAreNamedUpToTwentyThenCounted) {
  std::string good = CompleteLine("2025-03-01T10:00:00+01:00", 20, 9);
  for (bool withRecord : {false, true}) {
    std::string content = std::string(9990, '\n');
    for (int i = 0; i < 10; ++i) content += "a\tb\n";
    if (withRecord) content += good;
    HistoryReport report = ReportHistory(kPlace, content, {false});
    ASSERT_EQ(report.errors.size(), 21u);
    EXPECT_EQ(report.errors[0], std::string("kippfeld: ") + kPlace + ":1: skipped: an empty line");
    EXPECT_EQ(report.errors[19],
              std::string("kippfeld: ") + kPlace + ":20: skipped: an empty line");
    EXPECT_EQ(report.errors[20], std::string("kippfeld: ") + kPlace +
                                     ": skipped 9980 more lines: 9970 an empty line, 10 the "
                                     "wrong number of columns");
    if (withRecord) {
      EXPECT_EQ(Lines(report.out)[5].substr(0, 29), "   1  2025-03-01 10:00  12/12");
    } else {
      EXPECT_EQ(report.out, std::string("No tests recorded yet in ") + kPlace + ".\n");
    }
  }
}

TEST(HistoryReport, FileNameIsShownWithoutControlBytes) {
  HistoryReport report = ReportHistory("/tmp/\x1b[31mred/h\xc3\xa4.tsv", "", {false});
  EXPECT_EQ(report.out, "No tests recorded yet in /tmp/\\x1B[31mred/h\\xC3\\xA4.tsv.\n");
  report = ReportHistory("/tmp/h\xc3\xa4.tsv", "", {true});
  EXPECT_EQ(report.out, "No tests recorded yet in /tmp/h\xc3\xa4.tsv.\n");
}

using platform::HistoryRead;

TEST(HistoryCommand, ExitStatusAndStreams) {
  FixedSource store;
  store.result = HistoryRead::kMissing;
  CommandRun run = RunCommand(store);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "No tests recorded yet in /h/history.tsv.\n");
  EXPECT_EQ(run.err, "");

  store.result = HistoryRead::kFailed;
  store.reason = "Is a directory";
  run = RunCommand(store);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "kippfeld: cannot read the history /h/history.tsv: Is a directory\n");

  store.place.clear();
  store.reason = "no home folder (HOME is not set)";
  run = RunCommand(store);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kippfeld: cannot read the history: no home folder (HOME is not set)\n");

  store.place = "/h/history.tsv";
  store.result = HistoryRead::kRead;
  store.file = "x\n" + CompleteLine("2025-03-01T10:00:00+01:00", 20, 6);
  run = RunCommand(store);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "kippfeld: /h/history.tsv:1: skipped: 1 column instead of 28\n");
  EXPECT_EQ(run.out.substr(0, 33), "Tests recorded in /h/history.tsv\n");

  // Standard error gets 21 lines however many lines were bad.
  store.file = std::string(100'000, '\n') + CompleteLine("2025-03-01T10:00:00+01:00", 20, 6);
  run = RunCommand(store);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 21);
  EXPECT_NE(run.err.find(": skipped 99980 more lines: 99980 an empty line\n"), std::string::npos);
  EXPECT_EQ(run.out.substr(0, 33), "Tests recorded in /h/history.tsv\n");
}

}  // namespace
}  // namespace kippfeld::history
