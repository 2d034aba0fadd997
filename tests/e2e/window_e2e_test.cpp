// A terminal smaller than the game's screens is a window on them: it shows
// their top-left part, cut rather than wrapped, and growing it shows the rest
// at once, with nothing lost, whatever the game is waiting for.
#include <sys/wait.h>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

const std::string kPracticeLine = " Aufgabe  0  : \u00dcbungsmodus";
const std::string kHeading = "    \u00dcbung                    Zeit (sec.)       Z\u00b3\u00fcge";

// From the introduction to the playing screen where the status lines may lie
// outside the window: the board and the cursor on cell 3 show it.
::testing::AssertionResult LeaveIntroduction(PtySession& s) {
  if (!s.WaitForText(2, 1, "        Spielfeld:"))
    return ::testing::AssertionFailure() << "no introduction:\n" << Dump(s);
  s.Send(" ");
  // The screen arrives in pieces: wait for its last part, the selected
  // cell's set in cyan, as well as for the introduction to be gone.
  if (!s.WaitFor([&] {
        return s.TextAt(2, 1, 18) == std::string(18, ' ') && Board(s) == "000/000/000" &&
               s.CellAt(10, 9).foreground == kCyan && s.CursorRow() == 10;
      }))
    return ::testing::AssertionFailure() << "no playing screen:\n" << Dump(s);
  return ::testing::AssertionSuccess();
}

TEST(WindowE2E, SmallTerminalCutsTheIntroductionAndShowsTheWholeField) {
  SessionOptions options;
  options.columns = 40;
  options.rows = 12;
  auto s = StartGame(options);
  ASSERT_TRUE(s->WaitForText(9, 1, "        1       0       0")) << Dump(*s);
  // Cut at the window's edge, not wrapped onto the next row.
  EXPECT_EQ(s->TextAt(2, 1, 18), "        Spielfeld:");
  ASSERT_TRUE(LeaveIntroduction(*s));
  EXPECT_EQ(Board(*s), "000/000/000");
  EXPECT_EQ(s->CellAt(10, 9).foreground, kCyan) << "the selected cell's set is shown";
  EXPECT_EQ(s->RowText(11), std::string(40, ' ')) << "nothing lands below the field";

  // Grown with no input at all: the status lines are there at once.
  s->Resize(80, 25);
  ASSERT_TRUE(s->WaitForText(16, 5, kPracticeLine, 3000)) << Dump(*s);
  EXPECT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(0, 0); }, 3000)) << Dump(*s);
}

TEST(WindowE2E, LongestIntroductionLineFitsSeventyOneColumnsWithoutScrolling) {
  SessionOptions options;
  options.columns = 71;
  options.rows = 24;
  auto s = StartGame(options);
  ASSERT_TRUE(s->WaitForText(23, 1, "  Abbruch jederzeit mit ESC")) << Dump(*s);
  EXPECT_EQ(s->TextAt(2, 1, 18), "        Spielfeld:") << Dump(*s);
}

TEST(WindowE2E, ResultsSurviveShrinkingAndGrowingBack) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("\r\x1b");
  ASSERT_TRUE(s->WaitForText(19, 35, " 0  Min.  0  Sec."));
  std::vector<std::string> table;
  for (int row = 1; row <= 25; ++row) table.push_back(s->RowText(row));

  for (auto [columns, rows] : {std::pair{30, 8}, {1, 1}, {79, 24}, {200, 60}}) {
    s->Resize(columns, rows);
    s->Settle(150);
    s->Resize(80, 25);
    ASSERT_TRUE(s->WaitForText(19, 35, " 0  Min.  0  Sec.", 3000)) << Dump(*s);
    for (int row = 1; row <= 25; ++row)
      EXPECT_EQ(s->RowText(row), table[row - 1]) << "after " << columns << "x" << rows;
  }
  EXPECT_FALSE(s->Exited()) << "no input was sent, so the table stays";
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

TEST(WindowE2E, ResizeDuringTheOkSignalRedrawsAtOnce) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("P");
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  1  : alles 1"));
  // Task 1 (all 1) from cell 3: cells 2, 4, 5, 6 and 8.
  s->Send(std::string(kRight) + "\r" + kUp + "\r" + kLeft + "\r" + kRight + kRight + "\r" + kHome +
          "\r");
  ASSERT_TRUE(s->WaitForText(16, 1, " OK")) << Dump(*s);
  s->Resize(40, 12);
  s->Settle(100);
  s->Resize(80, 25);
  // Well inside the two seconds of the signal, and without any input.
  ASSERT_TRUE(s->WaitForText(16, 1, " OK", 1000)) << Dump(*s);
  EXPECT_EQ(Board(*s), "111/111/111");
}

TEST(WindowE2E, ResizeWithoutAControllingTerminalIsNoticedAllTheSame) {
  SessionOptions options;
  options.columns = 40;
  options.rows = 12;
  options.controllingTerminal = false;
  auto s = StartGame(options);
  ASSERT_TRUE(LeaveIntroduction(*s));
  s->Resize(80, 25);
  ASSERT_TRUE(s->WaitForText(16, 5, kPracticeLine, 3000)) << Dump(*s);
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(2, 1, kHeading));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
}

// A window larger than the drawing library's coordinates can hold (32,767
// columns or rows) is drawn as if it were that large: the game goes on in
// its top-left part, at the start and after a resize. The emulator stays at
// 80 x 25, the part the game draws on.
TEST(WindowE2E, WindowBeyondWhatCursesCanHoldKeepsTheGameGoing) {
  struct Size {
    int columns;
    int rows;
  };
  for (Size start : {Size{65535, 65535}, Size{32767, 32767}}) {
    SCOPED_TRACE(testing::Message() << "started at " << start.columns << "x" << start.rows);
    SessionOptions options;
    options.reportedColumns = start.columns;
    options.reportedRows = start.rows;
    auto s = StartGame(options);
    ASSERT_TRUE(ReachPlayingScreen(*s)) << Dump(*s);
    EXPECT_EQ(Board(*s), "000/000/000");
    bool right = true;
    for (Size size : {Size{32767, 25}, Size{32768, 25}, Size{80, 32767}, Size{80, 32768},
                      Size{32768, 32768}, Size{65535, 65535}, Size{80, 25}}) {
      SCOPED_TRACE(testing::Message() << "resized to " << size.columns << "x" << size.rows);
      s->ReportSize(size.columns, size.rows);
      s->Send(right ? kRight : kLeft);
      ASSERT_TRUE(s->WaitForCursor(10, right ? 19 : 9)) << Dump(*s);
      right = !right;
    }
    s->Send("\x1b");
    ASSERT_TRUE(s->WaitForText(18, 1, "  gesammt :")) << Dump(*s);
    ASSERT_TRUE(EndFromResults(*s));
    EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
    ExpectTerminalGivenBack(*s);
  }
}

}  // namespace
}  // namespace kippfeld::e2e
