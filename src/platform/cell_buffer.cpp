#include "platform/cell_buffer.h"

#include <algorithm>

namespace kippfeld::platform {

CellBuffer::CellBuffer(int width, int height)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      cells_(static_cast<std::size_t>(width_) * height_) {}

void CellBuffer::Resize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == width_ && height == height_) return;
  std::vector<Cell> cells(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < std::min(height, height_); ++y)
    for (int x = 0; x < std::min(width, width_); ++x)
      cells[static_cast<std::size_t>(y) * width + x] = At(x, y);
  cells_ = std::move(cells);
  width_ = width;
  height_ = height;
}

void CellBuffer::Write(int x, int y, const Cell* cells, int count) {
  if (y < 0 || y >= height_ || count <= 0) return;
  for (int i = 0; i < count; ++i) {
    int column = x + i;
    if (column >= width_) break;
    if (column >= 0) cells_[Index(column, y)] = cells[i];
  }
}

void CellBuffer::ScrollUp(Cell fill) {
  std::copy(cells_.begin() + width_, cells_.end(), cells_.begin());
  std::fill(cells_.end() - width_, cells_.end(), fill);
}

bool CellBuffer::FillRange(int x, int y, int count, std::size_t& begin, std::size_t& end) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || count <= 0) return false;
  begin = Index(x, y);
  end = std::min(cells_.size(), begin + static_cast<std::size_t>(count));
  return true;
}

void CellBuffer::FillCharacter(int x, int y, std::uint8_t character, int count) {
  std::size_t begin = 0, end = 0;
  if (!FillRange(x, y, count, begin, end)) return;
  for (std::size_t i = begin; i < end; ++i) cells_[i].character = character;
}

void CellBuffer::FillAttribute(int x, int y, std::uint8_t attribute, int count) {
  std::size_t begin = 0, end = 0;
  if (!FillRange(x, y, count, begin, end)) return;
  for (std::size_t i = begin; i < end; ++i) cells_[i].attribute = attribute;
}

}  // namespace kippfeld::platform
