// The real game in a terminal: what the player sees and what keys and the
// mouse do, from the introduction to the exit status.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

TEST(GameE2E, IntroductionThenFirstPlayingScreenInItsColours) {
  auto s = StartGame();
  ASSERT_TRUE(s->WaitForText(2, 1, "        Spielfeld:"));
  ASSERT_TRUE(s->WaitForText(23, 1, "  Abbruch jederzeit mit ESC"));
  EXPECT_EQ(s->TextAt(9, 1, 25), "        1       0       0");
  EXPECT_EQ(s->TextAt(16, 1, 30), " Eckpunkte              \u00e4ndern");
  EXPECT_EQ(s->TextAt(21, 1, 7), " \u00b3\u00fcben ");
  EXPECT_TRUE(s->AlternateScreen());

  ASSERT_TRUE(ReachPlayingScreen(*s));
  EXPECT_EQ(Board(*s), "000/000/000");
  // Cursor on cell 3: its move set 2, 3, 5, 6 is cyan, the rest light grey.
  const int cyan[][2] = {{8, 9}, {8, 19}, {10, 9}, {10, 19}};
  for (int row : {6, 8, 10}) {
    for (int column : {9, 19, 29}) {
      bool highlighted = false;
      for (const auto& c : cyan) highlighted |= c[0] == row && c[1] == column;
      ScreenCell cell = s->CellAt(row, column);
      EXPECT_EQ(cell.foreground, highlighted ? kCyan : kLightGrey) << row << "," << column;
      EXPECT_EQ(cell.background, 0) << row << "," << column;
    }
  }
  EXPECT_EQ(MoveLine(*s), Moves(0, 0));
  EXPECT_FALSE(s->CursorVisible());
  EXPECT_NE(s->MouseMode(), 0) << "mouse reports are on while the game waits";
}

// In an ASCII locale the umlauts lose their dots, not their letters.
TEST(GameE2E, IntroductionInAnAsciiLocaleShowsPlainLetters) {
  SessionOptions options;
  options.locale = "C";
  auto s = StartGame(options);
  ASSERT_TRUE(s->WaitForText(23, 1, "  Abbruch jederzeit mit ESC"));
  EXPECT_TRUE(s->WaitForText(16, 1, " Eckpunkte              andern sich und alle"))
      << s->RowText(16);
  EXPECT_TRUE(s->WaitForText(17, 1, " Mittelpunkt            andert sich und")) << s->RowText(17);
  EXPECT_TRUE(s->WaitForText(21, 1, " 3uben sie erst solange")) << s->RowText(21);
  s->Send(" ");
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  0  : Ubungsmodus"));
}

// Which of the nine digits show emphasised, top row first: 'x' for a digit
// drawn with the attribute, '.' for a plain one.
std::string Emphasised(PtySession& s, bool (*has)(const ScreenCell&)) {
  std::string marks;
  for (int row : {6, 8, 10}) {
    if (!marks.empty()) marks += '/';
    for (int column : {9, 19, 29}) marks += has(s.CellAt(row, column)) ? 'x' : '.';
  }
  return marks;
}

// Without colours the highlight must still show: the cells a move would
// flip are bold, the rest plain.
TEST(GameE2E, MonochromeTerminalShowsTheHighlightInBold) {
  SessionOptions options;
  options.term = "vt100";
  auto s = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*s));
  auto bold = [](const ScreenCell& cell) { return cell.bold; };
  auto other = [](const ScreenCell& cell) { return cell.underline || cell.reverse; };
  ASSERT_TRUE(s->WaitFor([&] { return Emphasised(*s, bold) == ".../xx./xx."; }))
      << Emphasised(*s, bold);
  EXPECT_EQ(Emphasised(*s, other), ".../.../...");
  EXPECT_EQ(s->CellAt(10, 9).foreground, -1) << "no colour on a terminal without colours";
  s->Send(kRight);
  ASSERT_TRUE(s->WaitFor([&] { return Emphasised(*s, bold) == ".../.x./xxx"; }))
      << Emphasised(*s, bold);
  // The blanks beside a highlighted digit stay plain.
  EXPECT_FALSE(s->CellAt(10, 30).bold);
  // The reset a signal writes is made of vt100's own sequences, which carry
  // padding ("$<2>"): padding is timing, never text.
  s->Signal(SIGTERM);
  ASSERT_TRUE(s->WaitExit());
  ExpectTerminalGivenBack(*s);
  EXPECT_EQ(s->Output().find("$<"), std::string::npos);
}

// A terminal without colours and without bold underlines the highlight
// instead: a vt100 with its bold cancelled, compiled with tic.
TEST(GameE2E, MonochromeTerminalWithoutBoldUnderlinesTheHighlight) {
  char directory[] = "/tmp/kippfeld-terminfo-XXXXXX";
  ASSERT_NE(mkdtemp(directory), nullptr);
  const std::string source = std::string(directory) + "/entry";
  {
    std::ofstream entry(source);
    entry << "kippfeld-nobold|vt100 without bold,\n\tbold@, use=vt100,\n";
  }
  const std::string compile = "tic -o " + std::string(directory) + " " + source + " 2>/dev/null";
  if (std::system(compile.c_str()) != 0) {
    std::filesystem::remove_all(directory);
    GTEST_SKIP() << "tic cannot compile a terminal description";
  }
  SessionOptions options;
  options.term = "kippfeld-nobold";
  options.environment = {{"TERMINFO", directory}};
  auto s = StartGame(options);
  bool reached = ReachPlayingScreen(*s);
  std::filesystem::remove_all(directory);  // read by now: curses loads it at start
  ASSERT_TRUE(reached);
  auto underline = [](const ScreenCell& cell) { return cell.underline; };
  auto other = [](const ScreenCell& cell) { return cell.bold || cell.reverse; };
  ASSERT_TRUE(s->WaitFor([&] { return Emphasised(*s, underline) == ".../xx./xx."; }))
      << Emphasised(*s, underline);
  EXPECT_EQ(Emphasised(*s, other), ".../.../...");
  EXPECT_FALSE(s->CellAt(10, 10).underline) << "a blank beside a highlighted digit";
}

// Terminal types whose navigation keys send what only their terminfo
// entries tell: cons25's PgUp and PgDn, sun's Home, End, PgUp and PgDn.
TEST(GameE2E, NavigationKeysOfTheTerminalsOwnDescriptionMoveTheCursor) {
  struct Step {
    const char* bytes;
    int row;
    int column;
  };
  struct Terminal {
    const char* term;
    std::vector<Step> steps;
  };
  const Terminal terminals[] = {
      {"cons25", {{"\x1b[I", 8, 19}, {"\x1b[G", 10, 29}, {"\x1b[H", 8, 19}, {"\x1b[F", 10, 9}}},
      {"sun",
       {{"\x1b[216z", 8, 19}, {"\x1b[214z", 6, 9}, {"\x1b[222z", 8, 19}, {"\x1b[220z", 10, 9}}},
  };
  for (const Terminal& terminal : terminals) {
    SCOPED_TRACE(terminal.term);
    SessionOptions options;
    options.term = terminal.term;
    auto s = StartGame(options);
    ASSERT_TRUE(ReachPlayingScreen(*s)) << Dump(*s);
    for (const Step& step : terminal.steps) {
      s->Send(step.bytes);
      ASSERT_TRUE(s->WaitForCursor(step.row, step.column))
          << "after " << step.bytes + 1 << ": " << s->CursorRow() << "," << s->CursorColumn();
    }
    EXPECT_EQ(MoveLine(*s), Moves(0, 0));
  }
}

TEST(GameE2E, NavigationKeysStopAtTheEdgesAndCountNoMove) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send(kUp);
  ASSERT_TRUE(s->WaitForCursor(8, 9));
  s->Send(kUp);
  ASSERT_TRUE(s->WaitForCursor(6, 9));
  // Home on the top-left cell stays; the Right after it shows it did.
  s->Send(kHome);
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(6, 19));
  s->Send(kPageDown);
  ASSERT_TRUE(s->WaitForCursor(8, 29));
  s->Send(kPageDown);
  ASSERT_TRUE(s->WaitForCursor(10, 29));
  s->Send(kPageDown);
  s->Send(kLeft);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  s->Send(kDown);
  s->Send(kHome);
  ASSERT_TRUE(s->WaitForCursor(8, 9));
  // Cell 6 selected: cells 3, 5, 6 and 9 are cyan.
  ASSERT_TRUE(s->WaitFor([&] { return s->CellAt(6, 9).foreground == kCyan; }));
  EXPECT_EQ(s->CellAt(6, 19).foreground, kLightGrey);
  EXPECT_EQ(s->CellAt(8, 19).foreground, kCyan);
  EXPECT_EQ(MoveLine(*s), Moves(0, 0));
  EXPECT_EQ(Board(*s), "000/000/000");
}

// Ctrl+C is the key with code 3, which the game ignores; it is no signal.
TEST(GameE2E, CtrlCIsAKeyNotASignal) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("\x03");
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  EXPECT_FALSE(s->Exited());
  EXPECT_EQ(MoveLine(*s), Moves(0, 0));
}

// Curses sends only what changed; light grey on black being its pair 0, an
// answer that ends on a light grey cell (a move ends on the move counter)
// sends no reset of the colours after it.
TEST(GameE2E, AnswersSendOnlyWhatChanged) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Settle(200);
  std::size_t mark = s->Mark();
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  s->Settle(200);
  EXPECT_LE(s->Mark() - mark, 70u) << "one cursor step";

  mark = s->Mark();
  s->Send("\r");
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(1, 1); }));
  s->Settle(200);
  const std::string answer = s->Output().substr(mark);
  EXPECT_LE(answer.size(), 95u) << "one move";
  const std::string reset = "\x1b[39;49m\x1b[37m\x1b[40m";
  EXPECT_TRUE(answer.size() < reset.size() ||
              answer.compare(answer.size() - reset.size(), reset.size(), reset) != 0)
      << "the move's answer ends resetting the colours";
  EXPECT_EQ(s->CellAt(18, 15).foreground, kLightGrey);
  EXPECT_EQ(s->CellAt(18, 15).background, 0);
}

TEST(GameE2E, EnterAppliesTheMoveAndCountsIt) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("\r");
  ASSERT_TRUE(s->WaitFor([&] { return Board(*s) == "000/110/110"; })) << Board(*s);
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(1, 1); })) << MoveLine(*s);
  s->Send("\r");
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(2, 2); })) << MoveLine(*s);
  EXPECT_EQ(Board(*s), "000/000/000");
}

TEST(GameE2E, ClickSelectsDoubleClickMovesRightDoubleClickEnds) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->SendMouse(0, 6, 29, false);
  s->SendMouse(0, 6, 29, true);
  ASSERT_TRUE(s->WaitForCursor(6, 29));
  EXPECT_EQ(MoveLine(*s), Moves(0, 0));

  // The centre's move toggles the centre and the four corners.
  s->SendMouse(0, 8, 19, false);
  s->SendMouse(0, 8, 19, true);
  s->SendMouse(0, 8, 19, false);
  s->SendMouse(0, 8, 19, true);
  ASSERT_TRUE(s->WaitFor([&] { return Board(*s) == "101/010/101"; })) << Board(*s);
  ASSERT_TRUE(s->WaitForCursor(8, 19));
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(1, 1); })) << MoveLine(*s);

  s->SendMouse(2, 1, 70, false);
  s->SendMouse(2, 1, 70, true);
  s->SendMouse(2, 1, 70, false);
  s->SendMouse(2, 1, 70, true);
  ASSERT_TRUE(s->WaitForText(2, 5, "\u00dcbung"));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

TEST(GameE2E, EscShowsResultsAndOneMoreKeyEndsWithStatusZero) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("\r");
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(1, 1); }));
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(2, 1, "    \u00dcbung                    Zeit (sec.)"));
  ASSERT_TRUE(s->WaitForText(18, 1, "  gesammt :"));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

// Keys typed faster than any poll: forty steps, then moves, in one write.
TEST(GameE2E, BurstTypedAtOnceEndsOnTheRightBoard) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  std::string burst;
  for (int i = 0; i < 20; ++i) burst += std::string(kUp) + kDown;
  // From cell 3: Enter (cell 3), Up Up Enter (cell 9), PgDn Enter (cell 5).
  burst += std::string("\r") + kUp + kUp + "\r" + kPageDown + "\r";
  s->Send(burst);
  // Cells 3 {2,3,5,6}, 9 {5,6,8,9} and 5 {1,3,5,7,9}: 1, 2, 5, 7, 8 show 1.
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(3, 3); })) << Dump(*s);
  EXPECT_EQ(Board(*s), "011/010/011");
  EXPECT_TRUE(s->WaitForCursor(8, 19));
}

}  // namespace
}  // namespace kippfeld::e2e
