// The training history through the real binary: tests played in a pty go
// into the file as their tables show them, `kippfeld --history` reports
// them, a damaged file is reported line by line and left as it was, and a
// place that cannot be written costs the player nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "e2e_support.h"
#include "history_file_testing.h"

namespace kippfeld::e2e {
namespace {

using test::Contents;
using test::TemporaryFolder;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) parts.push_back(text.substr(start));
  return parts;
}

SessionOptions WithHistory(const std::string& path) {
  SessionOptions options;
  options.environment = {{"KIPPFELD_HISTORY", path}};
  return options;
}

// The number text at a 1-based column: the digits up to the next blank.
std::string NumberAt(PtySession& s, int row, int column) {
  std::string text = s.RowText(row).substr(static_cast<std::size_t>(column - 1));
  return text.substr(0, text.find(' '));
}

// What one game's results table showed.
struct Table {
  std::string time1, moves1, time2, moves2, totalMoves, minutes, seconds;
};

Table ReadTable(PtySession& s) {
  // Entry 1's 11-character name ends at column 24, entry 2's 7-character one
  // at column 20; each time's sign place follows.
  return {NumberAt(s, 5, 26),  NumberAt(s, 5, 50),  NumberAt(s, 6, 22), NumberAt(s, 6, 50),
          NumberAt(s, 18, 50), NumberAt(s, 19, 36), NumberAt(s, 19, 45)};
}

// From the introduction into task 1 of the test that `key` starts.
::testing::AssertionResult StartTest(PtySession& s, const char* key = "P") {
  if (::testing::AssertionResult reached = ReachPlayingScreen(s); !reached) return reached;
  s.Send(key);
  if (!s.WaitForText(16, 5, " Aufgabe  1  : alles 1")) {
    return ::testing::AssertionFailure() << "no task 1: " << Dump(s);
  }
  return ::testing::AssertionSuccess();
}

// Esc, the table, and the key that ends the game; the table as it showed.
Table EndWithTable(PtySession& s) {
  s.Send("\x1b");
  EXPECT_TRUE(s.WaitForText(18, 1, "  gesammt :")) << Dump(s);
  EXPECT_TRUE(s.WaitForText(19, 39, "Min.")) << Dump(s);
  Table table = ReadTable(s);
  EXPECT_TRUE(EndFromResults(s));
  EXPECT_TRUE(WIFEXITED(s.Status()) && WEXITSTATUS(s.Status()) == 0) << s.Status();
  ExpectTerminalGivenBack(s);
  return table;
}

// The time shown as minutes and seconds, from a total in seconds.
void ExpectTotalTime(const Table& table, const std::string& seconds) {
  double total = std::stod(seconds);
  double minutes = std::floor(total / 60);
  EXPECT_EQ(table.minutes, std::to_string(static_cast<int>(minutes)));
  EXPECT_EQ(table.seconds, std::to_string(static_cast<int>(std::nearbyint(total - 60 * minutes))));
}

// Times as the number text form writes them: .7 for 0.7.
std::string AsListed(const std::string& column) {
  return column.rfind("0.", 0) == 0 ? column.substr(1) : column;
}

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the binary with standard output and error on pipes.
CommandResult RunKippfeld(const std::vector<std::string>& arguments,
                          const std::vector<std::pair<std::string, std::string>>& environment) {
  int out[2];
  int err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    std::vector<std::string> argv{KIPPFELD_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  CommandResult result;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) result.out.append(buffer, n);
  for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) result.err.append(buffer, n);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// All of task 1 (every cell 1) from the empty board, the cursor on cell 3:
// the moves of the four edge cells and the centre.
const std::string kSolveTask1 = std::string(kRight) + "\r" + kUp + "\r" + kUp + "\r" + kDown +
                                kLeft + "\r" + kRight + kRight + "\r";

TEST(HistoryE2E, TwoTestsInARowAreTwoLinesMatchingTheirTables) {
  TemporaryFolder folder;
  // The folders do not exist yet.
  std::string path = folder.path() + "/state/kippfeld/history.tsv";

  auto first = StartGame(WithHistory(path));
  ASSERT_TRUE(StartTest(*first));
  first->Send(kSolveTask1);
  ASSERT_TRUE(first->WaitForText(16, 5, " Aufgabe  2  : alles 0")) << Dump(*first);
  first->Send("\r");  // one move into task 2
  ASSERT_TRUE(first->WaitForText(18, 5, " Zug Nr.  6 ")) << Dump(*first);
  Table firstTable = EndWithTable(*first);
  ASSERT_EQ(Split(Contents(path), '\n').size(), 2u) << Contents(path);

  auto second = StartGame(WithHistory(path));
  ASSERT_TRUE(StartTest(*second, "p"));
  Table secondTable = EndWithTable(*second);

  std::string content = Contents(path);
  std::vector<std::string> lines = Split(content, '\n');
  ASSERT_EQ(lines.size(), 3u) << content;
  EXPECT_EQ(content.back(), '\n');
  EXPECT_EQ(lines[0].substr(0, 32), "started\ttasks\ttime_s\tmoves\tt1_s\t");
  std::vector<std::string> a = Split(lines[1], '\t');
  std::vector<std::string> b = Split(lines[2], '\t');
  ASSERT_EQ(a.size(), 28u) << lines[1];
  ASSERT_EQ(b.size(), 28u) << lines[2];

  // started, tasks, time_s, moves, t1_s, t1_moves, t2_s, t2_moves.
  EXPECT_EQ(a[0].size(), 25u);
  EXPECT_EQ(a[0][10], 'T');
  EXPECT_EQ(a[1], "1");
  EXPECT_EQ(AsListed(a[4]), firstTable.time1);
  EXPECT_EQ(a[5], firstTable.moves1);
  EXPECT_EQ(a[5], "5");
  EXPECT_EQ(AsListed(a[6]), firstTable.time2);
  EXPECT_EQ(a[7], firstTable.moves2);
  EXPECT_EQ(a[7], "1");
  EXPECT_EQ(a[3], firstTable.totalMoves);
  EXPECT_EQ(a[2], a[4]);
  ExpectTotalTime(firstTable, a[2]);

  EXPECT_EQ(b[1], "0");
  EXPECT_EQ(b[2], "0");
  EXPECT_EQ(b[3], secondTable.totalMoves);
  EXPECT_EQ(b[4], secondTable.time1);
  EXPECT_EQ(b[5], secondTable.moves1);
  EXPECT_LE(a[0], b[0]);

  CommandResult report =
      RunKippfeld({"--history"}, {{"KIPPFELD_HISTORY", path}, {"LC_ALL", "C.UTF-8"}});
  EXPECT_EQ(report.status, 0);
  EXPECT_EQ(report.err, "");
  std::string day = a[0].substr(0, 10);
  EXPECT_NE(report.out.find("   1  " + day + " " + a[0].substr(11, 5) + "   1/12"),
            std::string::npos)
      << report.out;
  EXPECT_NE(report.out.find("   2  " + day), std::string::npos) << report.out;
  // Task 1's best is the first test's, with its day; the English report
  // names it as the English screens do.
  std::string best = "  all 1 ";
  std::size_t at = report.out.find(best);
  ASSERT_NE(at, std::string::npos) << report.out;
  std::string bestLine = report.out.substr(at, report.out.find('\n', at) - at);
  // Every time with its tenth; then the fewest moves, and the optimum.
  std::string time = a[4].find('.') == std::string::npos ? a[4] + ".0" : a[4];
  EXPECT_NE(bestLine.find(" " + time + " s " + day + "      5 " + day), std::string::npos)
      << bestLine;
  EXPECT_EQ(bestLine.substr(bestLine.size() - 2), " 5") << bestLine;
  EXPECT_NE(report.out.find("  (no complete test yet)"), std::string::npos);
}

TEST(HistoryE2E, HangUpDuringTheTableLosesNothing) {
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  auto s = StartGame(WithHistory(path));
  ASSERT_TRUE(StartTest(*s));
  s->Send("\r\x1b");
  ASSERT_TRUE(s->WaitForText(18, 1, "  gesammt :")) << Dump(*s);
  s->CloseMaster();
  ASSERT_TRUE(s->WaitExit(5000));
  std::vector<std::string> lines = Split(Contents(path), '\n');
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Split(lines[1], '\t')[3], "1");
}

TEST(HistoryE2E, NoHistoryOptionAndPracticeRecordNothing) {
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  SessionOptions options = WithHistory(path);
  options.arguments = {"--no-history"};
  auto s = StartGame(options);
  ASSERT_TRUE(StartTest(*s));
  EndWithTable(*s);

  // A game ended in practice took no test.
  auto practice = StartGame(WithHistory(path));
  ASSERT_TRUE(ReachPlayingScreen(*practice));
  EndWithTable(*practice);
  EXPECT_NE(access(path.c_str(), F_OK), 0) << Contents(path);
}

TEST(HistoryE2E, PlaceThatCannotBeWrittenIsNamedAfterTheTerminalIsGivenBack) {
  TemporaryFolder folder;
  for (const test::UnwritablePlace& c : test::UnwritablePlaces(folder)) {
    SCOPED_TRACE(c.path);
    auto s = StartGame(WithHistory(c.path));
    ASSERT_TRUE(StartTest(*s));
    EndWithTable(*s);
    std::string message = "kippfeld: the test was not recorded in " + c.path + ": " + c.reason;
    const std::string& output = s->Output();
    std::size_t said = output.find(message);
    ASSERT_NE(said, std::string::npos)
        << output.substr(output.size() > 400 ? output.size() - 400 : 0);
    // One line, and only after the alternate screen was left.
    EXPECT_EQ(output.substr(said + message.size(), 2), "\r\n");
    EXPECT_EQ(output.find("kippfeld:", said + 1), std::string::npos);
    std::size_t left = output.rfind("\x1b[?1049l");
    ASSERT_NE(left, std::string::npos);
    EXPECT_LT(left, said);
  }
  EXPECT_EQ(Contents(folder.path() + "/file"), "x");
}

TEST(HistoryE2E, ThePlaceThatCannotBeWrittenIsNamedInThePlayersLanguage) {
  TemporaryFolder folder;
  SessionOptions options = WithHistory(folder.path());
  options.environment.emplace_back("LANGUAGE", "de");
  auto s = StartGame(options);
  ASSERT_TRUE(StartTest(*s));
  EndWithTable(*s);
  std::string message =
      "kippfeld: der Test wurde nicht in " + folder.path() + " festgehalten: Ist ein Ordner\r\n";
  EXPECT_NE(s->Output().find(message), std::string::npos) << s->Output();
}

// A complete test of twelve tasks of `seconds` each, 3 moves each.
std::string CompleteLine(const std::string& day, int seconds) {
  std::string line = day + "T10:00:00+01:00\t12\t" + std::to_string(12 * seconds) + "\t36";
  for (int k = 1; k <= 12; ++k) line.append("\t").append(std::to_string(seconds)).append("\t3");
  return line + "\n";
}

TEST(HistoryE2E, DamagedFileIsReportedLineByLineAndLeftAsItWas) {
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  std::string header = "started\ttasks\ttime_s\tmoves";
  for (int k = 1; k <= 12; ++k) {
    header += "\tt" + std::to_string(k) + "_s\tt" + std::to_string(k) + "_moves";
  }
  std::string content = header + "\n" + CompleteLine("2025-03-01", 20) +
                        "2025-03-02T10:00:00+01:00\t\x1b]0;pwned\x07\x1b[2J\n" +
                        CompleteLine("2025-03-03", 15) + "only\tthree\tcolumns\n" +
                        CompleteLine("2025-03-04", 12) +
                        CompleteLine("2025-03-05", 30).substr(0, 50);
  test::Write(path, content);

  struct Case {
    const char* locale;
    std::string bar;
  };
  for (const Case& c : {Case{"C.UTF-8", "\u2588"}, Case{"C", "#"}}) {
    SCOPED_TRACE(c.locale);
    CommandResult report =
        RunKippfeld({"--history"}, {{"KIPPFELD_HISTORY", path}, {"LC_ALL", c.locale}});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.err,
              "kippfeld: " + path +
                  ":3: skipped: a control character (0x1B at byte 27)\n"
                  "kippfeld: " +
                  path +
                  ":5: skipped: 3 columns instead of 28\n"
                  "kippfeld: " +
                  path + ":7: skipped: the last line has no line end (a write was cut short)\n");
    EXPECT_NE(report.out.find("   3  2025-03-04 10:00  12/12  2:24.0     36"), std::string::npos)
        << report.out;
    EXPECT_NE(report.out.find("Best complete test: #3 on 2025-03-04 10:00, 2:24.0 with 36 moves"),
              std::string::npos)
        << report.out;
    // Three tests: bars two columns wide.
    EXPECT_NE(report.out.find("     4:00.0 |" + c.bar + c.bar + "\n"), std::string::npos)
        << report.out;
    for (unsigned char byte : report.out) {
      ASSERT_TRUE(byte == '\n' || (byte >= 0x20 && byte != 0x7F)) << "control byte " << int(byte);
      if (std::string_view(c.locale) == "C") {
        ASSERT_LT(byte, 0x80);
      }
    }
  }
  EXPECT_EQ(Contents(path), content);
}

// A file of nothing but bad lines: standard error gets the first 20 and one
// line counting the rest, not a line for each, and the report still comes.
TEST(HistoryE2E, OnlyBadLinesGiveTwentyOneLinesAndTheReport) {
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  std::string content(200'000, '\n');
  for (int i = 0; i < 1000; ++i) content += "not\ta\trecord\n";
  test::Write(path, content);
  CommandResult report = RunKippfeld({"--history"}, {{"KIPPFELD_HISTORY", path}, {"LC_ALL", "C"}});
  EXPECT_EQ(report.status, 0);
  EXPECT_EQ(std::count(report.err.begin(), report.err.end(), '\n'), 21)
      << report.err.substr(0, 500);
  EXPECT_NE(report.err.find("kippfeld: " + path +
                            ": skipped 200980 more lines: 199980 an empty line, 1000 the wrong "
                            "number of columns\n"),
            std::string::npos)
      << report.err.substr(0, 500);
  EXPECT_EQ(report.out, "No tests recorded yet in " + path + ".\n");
}

// In a terminal the report is plain text too, and the terminal's settings
// and screen are left alone.
TEST(HistoryE2E, HistoryCommandLeavesTheTerminalAlone) {
  TemporaryFolder folder;
  SessionOptions options = WithHistory(folder.path() + "/none.tsv");
  options.arguments = {"--history"};
  PtySession s(KIPPFELD_BINARY, options);
  ASSERT_TRUE(s.WaitExit());
  EXPECT_TRUE(WIFEXITED(s.Status()) && WEXITSTATUS(s.Status()) == 0) << s.Status();
  EXPECT_EQ(s.Output(), "No tests recorded yet in " + folder.path() + "/none.tsv.\r\n");
  EXPECT_TRUE(SameSettings(s.SettingsAtStart(), s.SettingsNow()));
}

}  // namespace
}  // namespace kippfeld::e2e
