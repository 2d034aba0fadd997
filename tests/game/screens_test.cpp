#include "game/screens.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "console/screen.h"
#include "console/state.h"
#include "game/catalogue.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld::game {
namespace {

constexpr int kCyan = 3;
constexpr int kGrey = 7;

class ScreensTest : public ::testing::Test {
 protected:
  void SetUp() override { console::ResetConsole(platform); }

  // Row without its trailing blanks.
  std::string Trimmed(int row) const {
    std::string text = platform.RowText(row - 1);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  }

  // The digits of board rows 6, 8, 10 at columns 9, 19, 29, left to right.
  std::string BoardRow(int row) const {
    return platform.TextAt(row, 9, 1) + platform.TextAt(row, 19, 1) + platform.TextAt(row, 29, 1);
  }

  platform::MemoryPlatform platform{80, 25};
};

struct IntroRow {
  int row;
  std::string text;
  std::size_t length;
};

const std::vector<IntroRow> kIntroduction = {
    {2, "        Spielfeld:", 18},
    {5, "        0       0       1", 25},
    {7, "        0       1       0", 25},
    {9, "        1       0       0", 25},
    {12, " erreiche geforderte Bilder (12 stk.):", 38},
    {13, "  z.B. alles 1, alles ausser mitte 0, nur mittelfeld 1....", 58},
    {15, " Funktionen:", 12},
    {16, " Eckpunkte              \x84ndern sich und alle benachbarten felder", 64},
    {17, " Mittelpunkt            \x84ndert sich und diagonale felder", 56},
    {18, " mittlere Randfelder    \x84ndern sich und Horiz./Vert. benachbarte Felder", 71},
    {20, " umwandlungsfelder sind Farblich gekennzeichnet", 47},
    {21,
     " \xFC"
     "\x81"
     "ben sie erst solange sie wollen, dann mit Taste P Test beginnen",
     66},
    {23, "  Abbruch jederzeit mit ESC", 27},
};

TEST_F(ScreensTest, IntroductionRowsAreExactAndTheRestIsBlank) {
  DrawIntroduction();
  std::map<int, const IntroRow*> byRow;
  for (const IntroRow& row : kIntroduction) byRow[row.row] = &row;
  for (int row = 1; row <= 25; ++row) {
    SCOPED_TRACE(row);
    auto found = byRow.find(row);
    if (found == byRow.end()) {
      EXPECT_EQ(Trimmed(row), "");
    } else {
      EXPECT_EQ(Trimmed(row), found->second->text);
      EXPECT_EQ(Trimmed(row).size(), found->second->length);
    }
    for (int column = 1; column <= 80; ++column) {
      ASSERT_EQ(platform.ForegroundAt(row, column), kGrey) << column;
    }
  }
  // Words the layout lines up, and the code page 850 bytes.
  EXPECT_EQ(platform.TextAt(2, 9, 10), "Spielfeld:");
  for (int row : {16, 17, 18}) EXPECT_EQ(platform.TextAt(row, 25, 1), "\x84") << row;
  EXPECT_EQ(platform.TextAt(21, 2, 2), "\xFC\x81");
  EXPECT_EQ(platform.CursorY(), 23);  // row 24, column 1
  EXPECT_EQ(platform.CursorX(), 0);
}

TEST_F(ScreensTest, IntroductionClearsWhatWasThere) {
  console::MoveTo(3, 1);
  console::WriteText("left over");
  DrawIntroduction();
  EXPECT_EQ(Trimmed(3), "");
}

TEST_F(ScreensTest, FirstPlayingScreenShowsZerosWithMoveSetOfCellThreeCyan) {
  DrawPlayingScreen(Board{}, Cursor{});
  for (int row = 1; row <= 25; ++row) {
    const bool boardRow = row == 6 || row == 8 || row == 10;
    const std::string expected =
        boardRow ? std::string(8, ' ') + "0" + std::string(9, ' ') + "0" + std::string(9, ' ') + "0"
                 : "";
    EXPECT_EQ(Trimmed(row), expected) << row;
  }
  // Every cell's ten columns (blanks, sign, digit, trailing blank) in its colour.
  const std::map<int, std::array<int, 3>> colours = {
      {6, {kGrey, kGrey, kGrey}}, {8, {kCyan, kCyan, kGrey}}, {10, {kCyan, kCyan, kGrey}}};
  for (const auto& [row, rowColours] : colours) {
    for (int i = 0; i < 3; ++i) {
      for (int column = 1 + 10 * i; column <= 10 + 10 * i; ++column) {
        EXPECT_EQ(platform.ForegroundAt(row, column), rowColours[i])
            << "row " << row << " column " << column;
      }
    }
    EXPECT_EQ(platform.ForegroundAt(row, 31), kGrey);
  }
  EXPECT_EQ(console::Console().screen.foreground, kGrey);
  EXPECT_EQ(console::Console().screen.background, 0);
}

TEST_F(ScreensTest, PlayingScreenAfterTheMoveOfCellThree) {
  Board board;
  const Cursor cursor;
  ApplyMove(board, cursor.positionCode);
  DrawPlayingScreen(board, cursor);
  EXPECT_EQ(BoardRow(6), "000");
  EXPECT_EQ(BoardRow(8), "110");
  EXPECT_EQ(BoardRow(10), "110");
  EXPECT_EQ(platform.ForegroundAt(8, 9), kCyan);
  EXPECT_EQ(platform.ForegroundAt(8, 29), kGrey);
}

TEST_F(ScreensTest, CursorOnCentreHighlightsCornersAndCentre) {
  DrawPlayingScreen(Board{}, CursorOnCell(5));
  const std::map<int, std::array<int, 3>> colours = {
      {6, {kCyan, kGrey, kCyan}}, {8, {kGrey, kCyan, kGrey}}, {10, {kCyan, kGrey, kCyan}}};
  for (const auto& [row, rowColours] : colours) {
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(platform.ForegroundAt(row, 9 + 10 * i), rowColours[i]) << row << "/" << i;
    }
  }
}

TEST_F(ScreensTest, PlayingScreenClearsInLightGreyOnBlack) {
  console::SetColour(3, 1, 0);
  console::MoveTo(20, 1);
  console::WriteText("stale");
  DrawPlayingScreen(Board{}, Cursor{});
  EXPECT_EQ(Trimmed(20), "");
  EXPECT_EQ(platform.CellAt(0, 19).attribute, 7);
  EXPECT_EQ(platform.CellAt(40, 7).attribute, 7);
}

TEST_F(ScreensTest, StatusLinesInPractice) {
  DrawPlayingScreen(Board{}, Cursor{});
  WriteStatusLines(0,
                   "\x9A"
                   "bungsmodus",
                   0, 0);
  EXPECT_EQ(platform.TextAt(16, 5, 9), " Aufgabe ");
  EXPECT_EQ(platform.TextAt(16, 14, 3), " 0 ");
  EXPECT_EQ(platform.TextAt(16, 17, 3), " : ");
  EXPECT_EQ(platform.TextAt(16, 20, 11),
            "\x9A"
            "bungsmodus");
  EXPECT_EQ(Trimmed(16).size(), 30u);
  EXPECT_EQ(platform.TextAt(18, 5, 9), " Zug Nr. ");
  EXPECT_EQ(platform.TextAt(18, 15, 1), "0");
  EXPECT_EQ(platform.TextAt(18, 29, 3), " 0 ");
  EXPECT_EQ(Trimmed(18).size(), 30u);
  EXPECT_EQ(platform.ForegroundAt(16, 20), kGrey);
  EXPECT_EQ(platform.CursorY(), 18);  // after the closing new line: row 19
  EXPECT_EQ(platform.CursorX(), 0);
}

TEST_F(ScreensTest, StatusLinesForTaskTwelveShiftOneColumn) {
  WriteStatusLines(12, "nur li.ob./ li.unt./ re.unt 0", 3, 1);
  EXPECT_EQ(platform.TextAt(16, 14, 4), " 12 ");
  EXPECT_EQ(platform.TextAt(16, 18, 3), " : ");
  EXPECT_EQ(platform.TextAt(16, 21, 29), "nur li.ob./ li.unt./ re.unt 0");
  EXPECT_EQ(platform.TextAt(18, 14, 3), " 3 ");
  EXPECT_EQ(platform.TextAt(18, 29, 3), " 1 ");
}

TEST_F(ScreensTest, TaskMoveCountStaysAtColumn29ForLargeTotals) {
  for (float total : {9.0f, 10.0f, 100.0f, 12345.0f, 9999999.0f}) {
    SCOPED_TRACE(total);
    console::ClearScreen();
    WriteStatusLines(5, "nur mittlere senkrechte 1", total, 7);
    EXPECT_EQ(platform.TextAt(18, 29, 3), " 7 ");
    EXPECT_EQ(Trimmed(18).size(), 30u);
  }
}

TEST_F(ScreensTest, TrailingBlanksOfNamesOverwriteTheRow) {
  console::MoveTo(16, 1);
  console::WriteText(std::string(80, 'x'));
  WriteStatusLines(6, "nur eckpunkte 0          ", 0, 0);
  EXPECT_EQ(platform.TextAt(16, 20, 25), "nur eckpunkte 0          ");
  EXPECT_EQ(platform.TextAt(16, 45, 1), "x");
}

TEST_F(ScreensTest, OkSignalStandsForTwoSecondsThenIsBlanked) {
  DrawPlayingScreen(Board{}, Cursor{});
  std::string during;
  platform.At(platform.Now() + 1000,
              [&during](platform::MemoryPlatform& p) { during = p.TextAt(16, 1, 3); });
  const auto start = platform.Now();
  ShowOkSignal();
  EXPECT_EQ(during, " OK");
  EXPECT_EQ(platform.Now() - start, 2000u);
  ASSERT_FALSE(platform.Sleeps().empty());
  EXPECT_EQ(platform.Sleeps().back(), 2000u);
  EXPECT_EQ(platform.TextAt(16, 1, 3), "   ");
  EXPECT_EQ(platform.CursorY(), 15);
  EXPECT_EQ(platform.CursorX(), 3);
}

TEST_F(ScreensTest, CursorPlacementIsOnTheSelectedDigit) {
  for (int cell = 1; cell <= 9; ++cell) {
    const Cursor cursor = CursorOnCell(cell);
    PlaceCursor(cursor);
    EXPECT_EQ(platform.CursorY() + 1, static_cast<int>(cursor.row)) << cell;
    EXPECT_EQ(platform.CursorX() + 1, static_cast<int>(cursor.column)) << cell;
  }
}

TEST_F(ScreensTest, WholePassShowsBoardStatusAndCursor) {
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue);
  Board board;
  const Cursor cursor = CursorOnCell(9);
  ApplyMove(board, cursor.positionCode);
  DrawPlayingScreen(board, cursor);
  WriteStatusLines(2, catalogue.names[2], 14, 3);
  PlaceCursor(cursor);
  EXPECT_EQ(BoardRow(6), "110");
  EXPECT_EQ(BoardRow(8), "110");
  EXPECT_EQ(BoardRow(10), "000");
  EXPECT_EQ(Trimmed(16), "     Aufgabe  2  : alles 0");
  EXPECT_EQ(Trimmed(18), "     Zug Nr.  14" + std::string(13, ' ') + "3");
  EXPECT_EQ(platform.CursorY(), 5);
  EXPECT_EQ(platform.CursorX(), 8);
}

}  // namespace
}  // namespace kippfeld::game
