#include "game/solver.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kippfeld::game {

namespace {

constexpr int kFields = 512;  // nine cells of 0 or 1

// The field as nine bits, cell c in bit c - 1; none when a cell holds a
// value that is neither 0 nor -1.
std::optional<std::uint16_t> Bits(const Board& board) {
  std::uint16_t bits = 0;
  for (int cell = 1; cell <= 9; ++cell) {
    float value = board.cells[static_cast<std::size_t>(cell)];
    if (value == -1) {
      bits = static_cast<std::uint16_t>(bits | 1u << (cell - 1));
    } else if (value != 0) {
      return std::nullopt;
    }
  }
  return bits;
}

Board BoardOf(const std::array<float, 10>& pattern) {
  Board board;
  board.cells = pattern;
  return board;
}

// The fewest moves from the empty field to each of the 512 fields, found
// breadth first with the move table the game plays by (-1: out of reach).
// A move toggles its cells whatever the field, so the moves between two
// fields are those from the empty one to the cells in which they differ.
const std::array<int, kFields>& DistancesFromEmpty() {
  static const std::array<int, kFields> distances = [] {
    std::array<std::uint16_t, 10> toggles{};
    for (int cell = 1; cell <= 9; ++cell) {
      for (int toggled : MoveSet(cell)) {
        if (toggled == 0) break;
        toggles[static_cast<std::size_t>(cell)] |= static_cast<std::uint16_t>(1u << (toggled - 1));
      }
    }
    std::array<int, kFields> found{};
    found.fill(-1);
    std::array<std::uint16_t, kFields> queue{};
    std::size_t head = 0;
    std::size_t tail = 0;
    found[0] = 0;
    queue[tail++] = 0;
    while (head < tail) {
      std::uint16_t field = queue[head++];
      for (int cell = 1; cell <= 9; ++cell) {
        auto next = static_cast<std::uint16_t>(field ^ toggles[static_cast<std::size_t>(cell)]);
        if (found[next] >= 0) continue;
        found[next] = found[field] + 1;
        queue[tail++] = next;
      }
    }
    return found;
  }();
  return distances;
}

}  // namespace

int FewestMoves(const Board& from, const Board& to) {
  std::optional<std::uint16_t> a = Bits(from);
  std::optional<std::uint16_t> b = Bits(to);
  if (!a || !b) return -1;
  return DistancesFromEmpty()[*a ^ *b];
}

std::array<int, kEntryCount> TaskOptima(const TaskCatalogue& catalogue) {
  std::array<int, kEntryCount> optima{};
  Board previous;
  ClearBoard(previous);
  for (std::size_t k = 1; k < kEntryCount; ++k) {
    Board picture = BoardOf(catalogue.patterns[k]);
    optima[k] = FewestMoves(previous, picture);
    previous = picture;
  }
  return optima;
}

int OptimumTotal(const TaskCatalogue& catalogue) {
  int total = 0;
  std::array<int, kEntryCount> optima = TaskOptima(catalogue);
  for (std::size_t k = 1; k < kEntryCount; ++k) total += optima[k];
  return total;
}

}  // namespace kippfeld::game
