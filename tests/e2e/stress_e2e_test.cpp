// A thousand resizes of the terminal while the game is played, down to a
// single cell: the game must not crash, must lose none of the keys sent in
// between, and must show the right screen once the terminal is whole again.
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <string>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

// Navigation keys with the step each makes on the 3 x 3 grid (rows down,
// columns right); Enter is sent separately.
struct NavigationKey {
  const char* bytes;
  int rows;
  int columns;
};
constexpr std::array<NavigationKey, 8> kNavigation = {{{"\x1b[H", -1, -1},
                                                       {"\x1b[A", -1, 0},
                                                       {"\x1b[5~", -1, 1},
                                                       {"\x1b[D", 0, -1},
                                                       {"\x1b[C", 0, 1},
                                                       {"\x1b[F", 1, -1},
                                                       {"\x1b[B", 1, 0},
                                                       {"\x1b[6~", 1, 1}}};

// The board the player should see, row by row from the top.
struct Model {
  std::array<std::array<bool, 3>, 3> digits{};
  int row = 2;  // practice starts on the bottom-left cell
  int column = 0;
  int moves = 0;

  // Whether the move of the selected cell flips the cell at (r, c): a corner
  // flips its 2 x 2 block, the centre itself and the corners, an edge cell
  // itself, the centre and the two corners beside it.
  bool Flips(int r, int c) const {
    const bool corner = row != 1 && column != 1;
    const bool centre = row == 1 && column == 1;
    if (corner) return std::abs(r - row) <= 1 && std::abs(c - column) <= 1;
    const bool isCorner = r != 1 && c != 1;
    if (centre) return (r == 1 && c == 1) || isCorner;
    if (r == 1 && c == 1) return true;
    if (r == row && c == column) return true;
    return isCorner && (row == 1 ? c == column : r == row);
  }
  void Move() {
    std::array<std::array<bool, 3>, 3> next = digits;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        if (Flips(r, c)) next[r][c] = !next[r][c];
    digits = next;
    ++moves;
  }
  void Step(const NavigationKey& key) {
    row = std::clamp(row + key.rows, 0, 2);
    column = std::clamp(column + key.columns, 0, 2);
  }
  std::string Board() const {
    std::string text;
    for (int r = 0; r < 3; ++r) {
      if (r > 0) text += '/';
      for (int c = 0; c < 3; ++c) text += digits[r][c] ? '1' : '0';
    }
    return text;
  }
};

TEST(StressE2E, AThousandResizesWhilePlayingDownToOneCell) {
  constexpr int kRounds = 25;
  constexpr int kResizesPerRound = 40;
  // The size each round ends on, while its key is handled: the edges first.
  constexpr std::array<std::array<int, 2>, 10> kRoundSizes = {{{1, 1},
                                                               {1, 25},
                                                               {80, 1},
                                                               {2, 2},
                                                               {10, 3},
                                                               {40, 10},
                                                               {70, 23},
                                                               {71, 24},
                                                               {80, 25},
                                                               {132, 50}}};

  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  std::mt19937 random(850);
  std::uniform_int_distribution<int> columns(1, 140), rows(1, 60), small(1, 4), key(0, 7);
  Model model;
  int resizes = 0;
  for (int round = 0; round < kRounds; ++round) {
    // A burst of sizes, a quarter of them tiny, sent without waiting for the
    // game to answer any: it must cope with a size changing under any
    // operation.
    for (int i = 0; i + 1 < kResizesPerRound; ++i, ++resizes) {
      const bool tiny = i % 4 == 0;
      s->Resize(tiny ? small(random) : columns(random), tiny ? small(random) : rows(random));
    }
    const auto& size = kRoundSizes[round % kRoundSizes.size()];
    s->Resize(size[0], size[1]);
    ++resizes;
    // A key at that size; every fourth one a move.
    if (round % 4 == 3) {
      s->Send("\r");
      model.Move();
    } else {
      const NavigationKey& step = kNavigation[key(random)];
      s->Send(step.bytes);
      model.Step(step);
    }
    // Lets the game take the key and draw at that size, and keeps the pty
    // from filling up with its output.
    s->Settle(120, 2000);
    ASSERT_FALSE(s->Exited()) << "ended after " << resizes << " resizes, status " << s->Status();
  }
  ASSERT_EQ(resizes, 1000);

  // Back to full size. The buffer kept only what the small sizes left in
  // its top-left corner; the next key's redraw fills the screen again.
  s->Resize(80, 25);
  const NavigationKey left = kNavigation[3], right = kNavigation[4];
  s->Send(left.bytes);
  model.Step(left);
  s->Send(right.bytes);
  model.Step(right);
  const int cursorRow = 6 + 2 * model.row, cursorColumn = 9 + 10 * model.column;
  // Left and right may bring the cursor back to where it was, so no single
  // condition tells that both keys were handled: the whole screen has to
  // match at one moment, not a piece before and a piece after a redraw.
  auto highlightMatches = [&] {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        if (s->CellAt(6 + 2 * r, 9 + 10 * c).foreground != (model.Flips(r, c) ? kCyan : kLightGrey))
          return false;
    return true;
  };
  ASSERT_TRUE(s->WaitFor([&] {
    return s->CursorRow() == cursorRow && s->CursorColumn() == cursorColumn &&
           s->TextAt(16, 5, 26) == " Aufgabe  0  : \u00dcbungsmodus" &&
           MoveLine(*s) == Moves(model.moves, model.moves) && Board(*s) == model.Board() &&
           highlightMatches();
  })) << Dump(*s)
      << "expected board " << model.Board() << ", cursor " << cursorRow << "," << cursorColumn;

  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(18, 1, "  gesammt :")) << Dump(*s);
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

}  // namespace
}  // namespace kippfeld::e2e
