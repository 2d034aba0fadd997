// The fewest moves between two pictures of the field, found by trying the
// game's own moves: what a perfect player needs for each task of the test.
#pragma once

#include <array>

#include "game/board.h"
#include "game/catalogue.h"

namespace kippfeld::game {

// The fewest moves that turn the field `from` into `to`; -1 when no moves
// do, as for a field holding a value no move makes (only 0 and -1 occur).
int FewestMoves(const Board& from, const Board& to);

// Task k's optimum (index 1..12): the fewest moves from the picture the
// previous task leaves on the field (for task 1 the empty field P starts
// with) to task k's picture. Entry 0 (practice) is 0.
std::array<int, kEntryCount> TaskOptima(const TaskCatalogue& catalogue);

// The optimum of the whole test: the twelve tasks' optima added up.
int OptimumTotal(const TaskCatalogue& catalogue);

}  // namespace kippfeld::game
