// A console's screen buffer: W x H cells of a code page 850 byte and a text
// attribute, with the console's clipping rules. The memory console holds its
// screen in one, and the terminal shows only what one holds, so both follow
// the same rules.
#pragma once

#include <cstdint>
#include <vector>

#include "console/platform.h"

namespace kippfeld::platform {

class CellBuffer {
 public:
  // A size below 1 x 1 is raised to it: a terminal reporting 0 columns must
  // still give the console layer a cell to write into.
  CellBuffer(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const Cell& At(int x, int y) const { return cells_[Index(x, y)]; }
  const std::vector<Cell>& Cells() const { return cells_; }

  // Takes a new size keeping the top-left cells, as a console does when its
  // window is resized; new cells are blanks in 7 on 0.
  void Resize(int width, int height);

  // Cells beyond the right edge or outside the buffer are dropped.
  void Write(int x, int y, const Cell* cells, int count);
  // Rows 1..H-1 move up one row, the bottom row takes the fill cell.
  void ScrollUp(Cell fill);
  // count cells in reading order from (x, y), stopping at the buffer's end.
  void FillCharacter(int x, int y, std::uint8_t character, int count);
  void FillAttribute(int x, int y, std::uint8_t attribute, int count);

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  // The run of cell indices a fill from (x, y) covers; empty when (x, y) lies
  // outside the buffer.
  bool FillRange(int x, int y, int count, std::size_t& begin, std::size_t& end) const;

  int width_;
  int height_;
  std::vector<Cell> cells_;
};

}  // namespace kippfeld::platform
