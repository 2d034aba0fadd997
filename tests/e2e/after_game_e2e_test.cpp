// What the real binary leaves in the terminal after the game: the results
// table as it stood, printed once the alternate screen has gone, and the
// line saying the test was kept; nothing after an end by a signal.
#include <signal.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

// Task 1 (every cell 1) from the empty board with the cursor on cell 3: the
// moves of the four edge cells and the centre.
const std::string kSolveTask1 = std::string(kRight) + "\r" + kUp + "\r" + kUp + "\r" + kDown +
                                kLeft + "\r" + kRight + kRight + "\r";

// The first row at or below `from` that starts with text; 0 when none does.
int RowStartingWith(PtySession& s, const std::string& text, int from = 1) {
  for (int row = from; row <= s.Rows(); ++row) {
    if (s.RowText(row).rfind(text, 0) == 0) return row;
  }
  return 0;
}

// From the introduction through task 1, solved with `extra` pairs of moves
// that undo each other first, to the results table after Esc.
::testing::AssertionResult PlayTask1ToTheTable(PtySession& s, int extraPairs = 0) {
  if (::testing::AssertionResult reached = ReachPlayingScreen(s); !reached) return reached;
  s.Send("P");
  if (!s.WaitForText(16, 5, " Aufgabe  1  : alles 1")) {
    return ::testing::AssertionFailure() << "no task 1: " << Dump(s);
  }
  for (int i = 0; i < extraPairs; ++i) s.Send("\r\r");
  s.Send(kSolveTask1);
  if (!s.WaitForText(16, 5, " Aufgabe  2 ")) {
    return ::testing::AssertionFailure() << "task 1 not solved: " << Dump(s);
  }
  s.Send("\x1b");
  if (!s.WaitForText(19, 39, "Min.")) return ::testing::AssertionFailure() << Dump(s);
  return ::testing::AssertionSuccess();
}

TEST(AfterGameE2E, TableAndKeptLineStayInTheTerminalAfterTheFinalKey) {
  std::unique_ptr<PtySession> s = StartGame();
  ASSERT_TRUE(PlayTask1ToTheTable(*s));
  std::vector<std::string> table;
  for (int row = 1; row <= 19; ++row) table.push_back(s->RowText(row));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  EXPECT_FALSE(s->AlternateScreen());

  // The table, row for row as it showed, from where the cursor was when the
  // game began.
  int heading = RowStartingWith(*s, "    \u00dcbung ");
  ASSERT_GT(heading, 1) << Dump(*s);
  for (int i = 0; i < 19; ++i) EXPECT_EQ(s->RowText(heading - 1 + i), table[i]) << i;
  EXPECT_EQ(s->RowText(heading - 1 + 19), "Test kept in " + s->HistoryPath() + "." +
                                              std::string(80 - 14 - s->HistoryPath().size(), ' '))
      << Dump(*s);
  // No colour came with it.
  EXPECT_EQ(s->CellAt(heading, 5).foreground, -1);
  ExpectTerminalGivenBack(*s);
}

TEST(AfterGameE2E, TheSecondTestNamesItsNewBest) {
  std::string history;
  {
    std::unique_ptr<PtySession> first = StartGame();
    history = first->HistoryPath();
    // Two moves more than it needs.
    ASSERT_TRUE(PlayTask1ToTheTable(*first, 1));
    ASSERT_TRUE(EndFromResults(*first));
    // The second game keeps its test in the same file, which the first
    // session's folder holds until it goes.
    SessionOptions options;
    options.environment = {{"KIPPFELD_HISTORY", history}};
    std::unique_ptr<PtySession> second = StartGame(options);
    ASSERT_TRUE(PlayTask1ToTheTable(*second));
    ASSERT_TRUE(EndFromResults(*second));
    int kept = RowStartingWith(*second, "Test kept in ");
    ASSERT_GT(kept, 0) << Dump(*second);
    // A long file name wraps the line onto the next row.
    std::string line = second->RowText(kept) + second->RowText(kept + 1);
    EXPECT_NE(line.find(" New personal best"), std::string::npos) << line;
    EXPECT_NE(line.find("moves of task 1."), std::string::npos) << line;
  }
}

// The line after the game in the player's language, its numbers in the
// language's form; the game's screens stay German as always.
TEST(AfterGameE2E, TheKeptLineSpeaksThePlayersLanguage) {
  std::string history;
  SessionOptions options;
  options.environment = {{"LANGUAGE", "de"}};
  std::unique_ptr<PtySession> first = StartGame(options);
  history = first->HistoryPath();
  ASSERT_TRUE(PlayTask1ToTheTable(*first, 1));
  ASSERT_TRUE(EndFromResults(*first));
  EXPECT_GT(RowStartingWith(*first, "Test in " + history + " festgehalten."), 0) << Dump(*first);
  options.environment.emplace_back("KIPPFELD_HISTORY", history);
  std::unique_ptr<PtySession> second = StartGame(options);
  ASSERT_TRUE(PlayTask1ToTheTable(*second));
  ASSERT_TRUE(EndFromResults(*second));
  int kept = RowStartingWith(*second, "Test in ");
  ASSERT_GT(kept, 0) << Dump(*second);
  std::string line = second->RowText(kept) + second->RowText(kept + 1);
  EXPECT_NE(line.find(" Neue pers\u00f6nliche Bestleistung"), std::string::npos) << line;
  EXPECT_NE(line.find("Z\u00fcge der Aufgabe 1."), std::string::npos) << line;
}

TEST(AfterGameE2E, AsciiLocaleGetsTheStandIns) {
  SessionOptions options;
  options.locale = "C";
  options.arguments = {"--no-history"};
  std::unique_ptr<PtySession> s = StartGame(options);
  ASSERT_TRUE(s->WaitForText(23, 1, "  Abbruch jederzeit mit ESC")) << Dump(*s);
  s->Send(" ");
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  0  : Ubungsmodus")) << Dump(*s);
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(19, 39, "Min.")) << Dump(*s);
  ASSERT_TRUE(EndFromResults(*s));
  int heading = RowStartingWith(*s, "    Ubung");
  ASSERT_GT(heading, 0) << Dump(*s);
  EXPECT_EQ(s->RowText(heading).substr(0, 52),
            "    Ubung                    Zeit (sec.)       Z3uge");
  // Without a history no test was kept, so nothing says so.
  EXPECT_EQ(RowStartingWith(*s, "Test kept"), 0);
}

// A terminal without an alternate screen keeps the game's picture, table
// and all: it is not printed a second time.
TEST(AfterGameE2E, TerminalWithoutAnAlternateScreenKeepsTheOneTable) {
  SessionOptions options;
  options.term = "vt100";
  std::unique_ptr<PtySession> s = StartGame(options);
  ASSERT_TRUE(PlayTask1ToTheTable(*s));
  ASSERT_TRUE(EndFromResults(*s));
  int heading = RowStartingWith(*s, "    \u00dcbung ");
  ASSERT_GT(heading, 0) << Dump(*s);
  EXPECT_EQ(RowStartingWith(*s, "    \u00dcbung ", heading + 1), 0) << Dump(*s);
}

// An end by a signal, during the table or before it, prints nothing.
TEST(AfterGameE2E, NothingAfterAnEndBySignal) {
  for (int signalNumber : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    std::unique_ptr<PtySession> s = StartGame();
    ASSERT_TRUE(PlayTask1ToTheTable(*s));
    s->Signal(signalNumber);
    ASSERT_TRUE(s->WaitExit());
    EXPECT_TRUE(WIFSIGNALED(s->Status())) << s->Status();
    EXPECT_FALSE(s->AlternateScreen());
    EXPECT_EQ(RowStartingWith(*s, "    \u00dcbung"), 0) << Dump(*s);
    EXPECT_EQ(RowStartingWith(*s, "Test kept"), 0) << Dump(*s);
  }
}

}  // namespace
}  // namespace kippfeld::e2e
