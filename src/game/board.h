// The 3x3 board, the cursor that selects a cell, the move of each cell and
// the colours that show which cells the selected move would toggle.
//
// Cells are numbered 1..9 backwards from reading order: 9 is top-left, 1 is
// bottom-right. A cell holds 0 (shown "0") or -1 (shown "1").
#pragma once

#include <array>

namespace kippfeld::game {

struct Board {
  std::array<float, 10> cells{};  // index 1..9; index 0 unused
};

// The selected cell as the screen position of its digit (rows 6, 8, 10 and
// columns 9, 19, 29, 1-based) and its position code row + 80 * column.
struct Cursor {
  float row = 10;
  float column = 9;
  float positionCode = 730;
};

struct HighlightColours {
  std::array<float, 10> colours{};  // index 1..9; 3 cyan or 7 light grey
};

void ClearBoard(Board& board);
// 0 or 1: the absolute value of the cell.
float ShownDigit(const Board& board, int cell);
void ToggleCell(Board& board, int cell);
// Toggles the move set of the cell whose position code this is; a code that
// is no cell's changes nothing.
void ApplyMove(Board& board, float positionCode);

float PositionCode(float row, float column);
// The cell (1..9) whose digit stands at this position code, 0 for none.
int CellOfPositionCode(float positionCode);
// The cursor placed on a cell's digit.
Cursor CursorOnCell(int cell);

// The cells (1..9) toggled by the move of `cell`, ended by 0.
const std::array<int, 6>& MoveSet(int cell);

HighlightColours ComputeHighlightColours(float positionCode);

}  // namespace kippfeld::game
