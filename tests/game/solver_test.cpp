#include "game/solver.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstddef>

#include "game/board.h"
#include "game/catalogue.h"

namespace kippfeld::game {
namespace {

TaskCatalogue Catalogue() {
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue);
  return catalogue;
}

Board Picture(const TaskCatalogue& catalogue, std::size_t k) {
  Board board;
  board.cells = catalogue.patterns[k];
  return board;
}

// The fewest moves found another way: a move undone by a second one is no
// move, and the order of moves does not matter, so every way of playing is
// one of the 512 sets of cells, each played once on the screen's cursor.
int FewestBySets(const Board& from, const Board& to) {
  int fewest = -1;
  for (unsigned set = 0; set < 512; ++set) {
    Board board = from;
    for (int cell = 1; cell <= 9; ++cell) {
      if ((set >> (cell - 1) & 1u) != 0) ApplyMove(board, CursorOnCell(cell).positionCode);
    }
    int count = std::popcount(set);
    if (board.cells == to.cells && (fewest < 0 || count < fewest)) fewest = count;
  }
  return fewest;
}

TEST(Solver, EveryTasksOptimumFromThePreviousPicture) {
  const TaskCatalogue catalogue = Catalogue();
  const std::array<int, kEntryCount> expected = {0, 5, 5, 5, 5, 7, 6, 5, 3, 5, 8, 5, 3};
  EXPECT_EQ(TaskOptima(catalogue), expected);
  EXPECT_EQ(OptimumTotal(catalogue), 62);
  Board previous;
  ClearBoard(previous);
  for (std::size_t k = 1; k < kEntryCount; ++k) {
    SCOPED_TRACE(k);
    Board picture = Picture(catalogue, k);
    EXPECT_EQ(FewestBySets(previous, picture), expected[k]);
    previous = picture;
  }
}

TEST(Solver, EveryFieldIsWithinReachBothWays) {
  // Any two fields of 0 and 1: the distance is the same both ways, and
  // zero only from a field to itself.
  for (unsigned a = 0; a < 512; a += 37) {
    for (unsigned b = 0; b < 512; ++b) {
      Board from;
      Board to;
      for (int cell = 1; cell <= 9; ++cell) {
        from.cells[static_cast<std::size_t>(cell)] = (a >> (cell - 1) & 1u) != 0 ? -1.0f : 0.0f;
        to.cells[static_cast<std::size_t>(cell)] = (b >> (cell - 1) & 1u) != 0 ? -1.0f : 0.0f;
      }
      int moves = FewestMoves(from, to);
      ASSERT_GE(moves, 0);
      ASSERT_LE(moves, 9);
      ASSERT_EQ(moves, FewestMoves(to, from));
      ASSERT_EQ(moves == 0, a == b);
    }
  }
}

TEST(Solver, AFieldNoMoveMakesIsOutOfReach) {
  const TaskCatalogue catalogue = Catalogue();
  Board empty;
  ClearBoard(empty);
  // Practice's picture holds a 2, which the game never shows.
  EXPECT_EQ(FewestMoves(empty, Picture(catalogue, 0)), -1);
  Board positiveOne = empty;
  positiveOne.cells[5] = 1;
  EXPECT_EQ(FewestMoves(positiveOne, empty), -1);
}

}  // namespace
}  // namespace kippfeld::game
