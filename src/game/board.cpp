#include "game/board.h"

#include <cmath>
#include <cstddef>

#include "console/numbers.h"

namespace kippfeld::game {

namespace {

// Where each cell's digit stands on the playing screen. The digits are what
// the cursor sits on, so these are also the nine cursor positions.
struct CellPlace {
  float row;
  float column;
};

constexpr std::array<CellPlace, 10> kCellPlaces = {{
    {0, 0},    // no cell 0
    {10, 29},  // 1 bottom-right
    {10, 19},  // 2 bottom-middle
    {10, 9},   // 3 bottom-left
    {8, 29},   // 4 middle-right
    {8, 19},   // 5 centre
    {8, 9},    // 6 middle-left
    {6, 29},   // 7 top-right
    {6, 19},   // 8 top-middle
    {6, 9},    // 9 top-left
}};

// The move set of each cell, ended by 0. Corners toggle their 2x2 block with
// the centre, the centre toggles the four corners, a middle edge cell toggles
// the corners on its side and the centre. Row 0 is the empty set, so a lookup
// that finds no cell toggles nothing.
constexpr std::array<std::array<int, 6>, 10> kMoveTable = {{
    {0},                 // no cell
    {1, 2, 4, 5, 0},     // 1 corner
    {1, 2, 3, 5, 0},     // 2 middle edge
    {2, 3, 5, 6, 0},     // 3 corner
    {1, 4, 5, 7, 0},     // 4 middle edge
    {1, 3, 5, 7, 9, 0},  // 5 centre
    {3, 5, 6, 9, 0},     // 6 middle edge
    {4, 5, 7, 8, 0},     // 7 corner
    {5, 7, 8, 9, 0},     // 8 middle edge
    {5, 6, 8, 9, 0},     // 9 corner
}};

constexpr float kLightGrey = 7;
constexpr float kCyan = 3;

bool IsCell(int cell) {
  return cell >= 1 && cell <= 9;
}

}  // namespace

void ClearBoard(Board& board) {
  board.cells.fill(0);
}

float ShownDigit(const Board& board, int cell) {
  if (!IsCell(cell)) return 0;
  return std::fabs(board.cells[static_cast<std::size_t>(cell)]);
}

void ToggleCell(Board& board, int cell) {
  if (!IsCell(cell)) return;
  float& value = board.cells[static_cast<std::size_t>(cell)];
  // A cell is all bits clear (0) or all set (-1), so the bitwise complement
  // flips it; a plain negation would turn 0 into -0 and -1 into 1.
  value = static_cast<float>(console::Complement(value));
}

void ApplyMove(Board& board, float positionCode) {
  for (int cell : MoveSet(CellOfPositionCode(positionCode))) {
    if (cell == 0) break;
    ToggleCell(board, cell);
  }
}

float PositionCode(float row, float column) {
  return static_cast<float>(static_cast<long double>(row) + 80.0L * column);
}

int CellOfPositionCode(float positionCode) {
  for (int cell = 1; cell <= 9; ++cell) {
    const CellPlace& place = kCellPlaces[static_cast<std::size_t>(cell)];
    if (PositionCode(place.row, place.column) == positionCode) return cell;
  }
  return 0;
}

Cursor CursorOnCell(int cell) {
  // Not a cell: the start position (cell 3) rather than a cursor off the board.
  if (!IsCell(cell)) return Cursor{};
  const CellPlace& place = kCellPlaces[static_cast<std::size_t>(cell)];
  return Cursor{place.row, place.column, PositionCode(place.row, place.column)};
}

const std::array<int, 6>& MoveSet(int cell) {
  return kMoveTable[static_cast<std::size_t>(IsCell(cell) ? cell : 0)];
}

HighlightColours ComputeHighlightColours(float positionCode) {
  HighlightColours highlight;
  for (int cell = 1; cell <= 9; ++cell) {
    highlight.colours[static_cast<std::size_t>(cell)] = kLightGrey;
  }
  for (int cell : MoveSet(CellOfPositionCode(positionCode))) {
    if (cell == 0) break;
    highlight.colours[static_cast<std::size_t>(cell)] = kCyan;
  }
  return highlight;
}

}  // namespace kippfeld::game
