// A whole test played as a player would: the keys that solve each task
// from the board the one before left, with the cursor walked there by the
// navigation keys.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace kippfeld::e2e {

// Cells 1..9 as bits 0..8.
constexpr int Cells(std::initializer_list<int> cells) {
  int bits = 0;
  for (int cell : cells) bits |= 1 << (cell - 1);
  return bits;
}

inline constexpr std::array<int, 10> kMoveSets = {
    0,
    Cells({1, 2, 4, 5}),
    Cells({1, 2, 3, 5}),
    Cells({2, 3, 5, 6}),
    Cells({1, 4, 5, 7}),
    Cells({1, 3, 5, 7, 9}),
    Cells({3, 5, 6, 9}),
    Cells({4, 5, 7, 8}),
    Cells({5, 7, 8, 9}),
    Cells({5, 6, 8, 9}),
};

// The twelve target pictures, cells that show 1.
inline constexpr std::array<int, 13> kTargets = {
    0,
    Cells({1, 2, 3, 4, 5, 6, 7, 8, 9}),
    Cells({}),
    Cells({5}),
    Cells({1, 2, 3, 4, 6, 7, 8, 9}),
    Cells({2, 5, 8}),
    Cells({2, 4, 5, 6, 8}),
    Cells({1}),
    Cells({4, 5, 6}),
    Cells({4, 6}),
    Cells({1, 2, 3, 7, 8, 9}),
    Cells({3, 5, 7}),
    Cells({1, 7, 9}),
};

// The cells whose moves turn one board into the other; the nine moves are
// independent, so exactly one set of them does.
inline std::vector<int> Solve(int from, int to) {
  for (int choice = 0; choice < 512; ++choice) {
    int board = from;
    for (int cell = 1; cell <= 9; ++cell)
      if (choice & (1 << (cell - 1))) board ^= kMoveSets[cell];
    if (board != to) continue;
    std::vector<int> cells;
    for (int cell = 1; cell <= 9; ++cell)
      if (choice & (1 << (cell - 1))) cells.push_back(cell);
    return cells;
  }
  return {};
}

struct Position {
  int row;
  int column;
};

inline Position PositionOf(int cell) {
  return {10 - 2 * ((cell - 1) / 3), 29 - 10 * ((cell - 1) % 3)};
}

// Keys that take the cursor from one cell to another, diagonals first.
inline std::string Path(Position from, Position to) {
  std::string keys;
  int down = (to.row - from.row) / 2;
  int right = (to.column - from.column) / 10;
  while (down != 0 && right != 0) {
    keys += down < 0 ? (right < 0 ? "\x1b[H" : "\x1b[5~") : (right < 0 ? "\x1b[F" : "\x1b[6~");
    down += down < 0 ? 1 : -1;
    right += right < 0 ? 1 : -1;
  }
  for (; down < 0; ++down) keys += kUp;
  for (; down > 0; --down) keys += kDown;
  for (; right < 0; ++right) keys += kLeft;
  for (; right > 0; --right) keys += kRight;
  return keys;
}

// The keys that solve the task from the board, moving the cursor on.
inline std::string SolvingKeys(int& board, Position& cursor, int task, int* moves = nullptr) {
  std::string keys;
  for (int cell : Solve(board, kTargets[task])) {
    Position target = PositionOf(cell);
    keys += Path(cursor, target) + "\r";
    cursor = target;
    if (moves != nullptr) ++*moves;
  }
  board = kTargets[task];
  return keys;
}

}  // namespace kippfeld::e2e
