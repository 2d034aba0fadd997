#include "game/board.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

namespace kippfeld::game {
namespace {

// The nine cursor positions and move sets as the game's rules state them,
// kept apart from the program's own tables so that a slip in either shows.
struct CellRule {
  int cell;
  float row;
  float column;
  float positionCode;
  std::vector<int> moveSet;
};

const std::vector<CellRule> kRules = {
    {1, 10, 29, 2330, {1, 2, 4, 5}},   {2, 10, 19, 1530, {1, 2, 3, 5}},
    {3, 10, 9, 730, {2, 3, 5, 6}},     {4, 8, 29, 2328, {1, 4, 5, 7}},
    {5, 8, 19, 1528, {1, 3, 5, 7, 9}}, {6, 8, 9, 728, {3, 5, 6, 9}},
    {7, 6, 29, 2326, {4, 5, 7, 8}},    {8, 6, 19, 1526, {5, 7, 8, 9}},
    {9, 6, 9, 726, {5, 6, 8, 9}},
};

bool InSet(const std::vector<int>& set, int cell) {
  for (int c : set) {
    if (c == cell) return true;
  }
  return false;
}

Board WithCells(std::initializer_list<int> minusOneCells) {
  Board board;
  for (int c : minusOneCells) board.cells[c] = -1;
  return board;
}

bool SameBoard(const Board& a, const Board& b) {
  for (int j = 1; j <= 9; ++j) {
    if (a.cells[j] != b.cells[j]) return false;
  }
  return true;
}

TEST(CursorPositions, EachCellHasItsRowColumnAndCode) {
  for (const CellRule& rule : kRules) {
    SCOPED_TRACE(rule.cell);
    const Cursor cursor = CursorOnCell(rule.cell);
    EXPECT_EQ(cursor.row, rule.row);
    EXPECT_EQ(cursor.column, rule.column);
    EXPECT_EQ(cursor.positionCode, rule.positionCode);
    EXPECT_EQ(PositionCode(rule.row, rule.column), rule.positionCode);
    EXPECT_EQ(CellOfPositionCode(rule.positionCode), rule.cell);
  }
}

TEST(CursorPositions, StartCursorIsOnCellThree) {
  const Cursor start;
  EXPECT_EQ(start.positionCode, PositionCode(start.row, start.column));
  EXPECT_EQ(CellOfPositionCode(start.positionCode), 3);
}

TEST(CursorPositions, CodesOffTheBoardFindNoCell) {
  for (float code : {0.0f, 729.0f, 731.0f, 1528.5f, 2331.0f, 808.0f}) {
    EXPECT_EQ(CellOfPositionCode(code), 0) << code;
  }
}

TEST(Toggle, FlipsBetweenZeroAndMinusOne) {
  Board board;
  ToggleCell(board, 4);
  EXPECT_EQ(board.cells[4], -1.0f);
  EXPECT_EQ(ShownDigit(board, 4), 1.0f);
  ToggleCell(board, 4);
  EXPECT_EQ(board.cells[4], 0.0f);
  EXPECT_EQ(ShownDigit(board, 4), 0.0f);
  for (int j = 1; j <= 9; ++j) {
    if (j != 4) {
      EXPECT_EQ(board.cells[j], 0.0f) << j;
    }
  }
}

TEST(Toggle, CellsOutsideOneToNineAreIgnored) {
  Board board;
  ToggleCell(board, 0);
  ToggleCell(board, 10);
  ToggleCell(board, -3);
  EXPECT_TRUE(SameBoard(board, Board{}));
  EXPECT_EQ(board.cells[0], 0.0f);
  EXPECT_EQ(ShownDigit(board, 10), 0.0f);
}

TEST(Toggle, ClearBoardSetsAllCellsToZero) {
  Board board = WithCells({1, 5, 9});
  ClearBoard(board);
  EXPECT_TRUE(SameBoard(board, Board{}));
}

TEST(MoveRules, EachMoveTogglesExactlyItsMoveSet) {
  const Board mixed = WithCells({2, 5, 7, 9});
  for (const CellRule& rule : kRules) {
    SCOPED_TRACE(rule.cell);
    for (const Board& start : {Board{}, mixed}) {
      Board board = start;
      ApplyMove(board, rule.positionCode);
      for (int j = 1; j <= 9; ++j) {
        const bool toggled = board.cells[j] != start.cells[j];
        EXPECT_EQ(toggled, InSet(rule.moveSet, j)) << "cell " << j;
        EXPECT_TRUE(board.cells[j] == 0.0f || board.cells[j] == -1.0f);
      }
    }
  }
}

TEST(MoveRules, MoveSetTableMatchesTheRules) {
  for (const CellRule& rule : kRules) {
    std::vector<int> set;
    for (int c : MoveSet(rule.cell)) {
      if (c == 0) break;
      set.push_back(c);
    }
    EXPECT_EQ(set, rule.moveSet) << rule.cell;
  }
  EXPECT_EQ(MoveSet(0)[0], 0);
  EXPECT_EQ(MoveSet(10)[0], 0);
}

TEST(MoveRules, CodeOfNoCellChangesNothing) {
  Board board = WithCells({3});
  ApplyMove(board, 731);
  EXPECT_TRUE(SameBoard(board, WithCells({3})));
}

TEST(MoveRules, EachMoveUndoesItself) {
  for (const Board& start : {Board{}, WithCells({1, 2, 3}), WithCells({4, 6, 8, 9})}) {
    for (const CellRule& rule : kRules) {
      Board board = start;
      ApplyMove(board, rule.positionCode);
      EXPECT_FALSE(SameBoard(board, start)) << rule.cell;
      ApplyMove(board, rule.positionCode);
      EXPECT_TRUE(SameBoard(board, start)) << rule.cell;
    }
  }
}

TEST(MoveRules, MovesCommute) {
  const Board start = WithCells({1, 5, 8});
  for (const CellRule& a : kRules) {
    for (const CellRule& b : kRules) {
      Board ab = start;
      ApplyMove(ab, a.positionCode);
      ApplyMove(ab, b.positionCode);
      Board ba = start;
      ApplyMove(ba, b.positionCode);
      ApplyMove(ba, a.positionCode);
      EXPECT_TRUE(SameBoard(ab, ba)) << a.cell << " then " << b.cell;
    }
  }
}

TEST(MoveRules, AllFiveHundredTwelveMoveCombinationsGiveDifferentBoards) {
  std::set<std::array<float, 10>> boards;
  for (int mask = 0; mask < 512; ++mask) {
    Board board;
    for (int bit = 0; bit < 9; ++bit) {
      if (mask & (1 << bit)) ApplyMove(board, kRules[bit].positionCode);
    }
    boards.insert(board.cells);
  }
  EXPECT_EQ(boards.size(), 512u);
}

TEST(Highlight, MoveSetOfTheSelectedCellIsCyanAllElseLightGrey) {
  for (const CellRule& rule : kRules) {
    SCOPED_TRACE(rule.cell);
    const HighlightColours highlight = ComputeHighlightColours(rule.positionCode);
    EXPECT_EQ(highlight.colours[rule.cell], 3.0f);  // the selected cell itself
    for (int j = 1; j <= 9; ++j) {
      EXPECT_EQ(highlight.colours[j], InSet(rule.moveSet, j) ? 3.0f : 7.0f) << "cell " << j;
    }
  }
}

TEST(Highlight, CodeOfNoCellLeavesAllLightGrey) {
  const HighlightColours highlight = ComputeHighlightColours(0);
  for (int j = 1; j <= 9; ++j) EXPECT_EQ(highlight.colours[j], 7.0f) << j;
}

}  // namespace
}  // namespace kippfeld::game
