// One complete test of twelve tasks, played with the navigation keys and
// Enter as a player would: every task's picture is reached, each completion
// shows " OK", and the results list every task's moves and the total.
#include <sys/wait.h>

#include <array>
#include <vector>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

// Cells 1..9 as bits 0..8.
constexpr int Cells(std::initializer_list<int> cells) {
  int bits = 0;
  for (int cell : cells) bits |= 1 << (cell - 1);
  return bits;
}

constexpr std::array<int, 10> kMoveSets = {
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
constexpr std::array<int, 13> kTargets = {
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
std::vector<int> Solve(int from, int to) {
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

Position PositionOf(int cell) {
  return {10 - 2 * ((cell - 1) / 3), 29 - 10 * ((cell - 1) % 3)};
}

// Keys that take the cursor from one cell to another, diagonals first.
std::string Path(Position from, Position to) {
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

TEST(FullGameE2E, TwelveTasksByKeyboardThenResults) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("P");
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  1  : alles 1")) << s->RowText(16);

  Position cursor{10, 9};
  int board = 0;
  int total = 0;
  for (int task = 1; task <= 12; ++task) {
    std::string keys;
    for (int cell : Solve(board, kTargets[task])) {
      Position target = PositionOf(cell);
      keys += Path(cursor, target) + "\r";
      cursor = target;
      ++total;
    }
    board = kTargets[task];
    s->Send(keys);
    ASSERT_TRUE(s->WaitForText(16, 1, " OK")) << "task " << task << "\n" << Dump(*s);
    if (task < 12) {
      std::string next = " Aufgabe  " + std::to_string(task + 1) + " ";
      ASSERT_TRUE(s->WaitForText(16, 5, next)) << "task " << task + 1 << "\n" << Dump(*s);
    }
  }

  ASSERT_TRUE(s->WaitForText(2, 1, "    \u00dcbung                    Zeit (sec.)"));
  // Find the total line wherever long entries may have pushed it, once the
  // count on it has arrived too: the table reaches the terminal in pieces.
  const std::string moves = " " + std::to_string(total) + " ";
  int totalRow = 0;
  EXPECT_TRUE(s->WaitFor([&] {
    for (int row = 17; row <= 22; ++row)
      if (s->TextAt(row, 1, 11) == "  gesammt :") totalRow = row;
    return totalRow != 0 && s->TextAt(totalRow, 49, 4) == moves;
  })) << Dump(*s);
  EXPECT_EQ(s->TextAt(16, 1, 13), " 12 . Aufgabe") << Dump(*s);

  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

}  // namespace
}  // namespace kippfeld::e2e
