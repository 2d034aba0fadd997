// Floods of input on the memory console, in virtual time: every poll costs
// 100 ms of virtual time and nothing of real time, so ten thousand inputs
// take a second of the test's time.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game_script.h"

namespace kippfeld::game {
namespace {

using namespace testing;
using platform::InputScript;
using platform::MemoryPlatform;

constexpr std::uint64_t kPollMs = 100;

// The navigation keys by scan code, with the step each makes on the grid
// (rows down, columns right), and Enter as scan code 0.
struct Input {
  std::uint16_t scanCode;
  int rows;
  int columns;
};
constexpr std::array<Input, 9> kInputs = {{{71, -1, -1},
                                           {72, -1, 0},
                                           {73, -1, 1},
                                           {75, 0, -1},
                                           {77, 0, 1},
                                           {79, 1, -1},
                                           {80, 1, 0},
                                           {81, 1, 1},
                                           {0, 0, 0}}};

// What the screen holds once the queued input has been taken, read while
// the game still runs.
struct Observed {
  std::shared_ptr<Snapshot> screen;
  std::shared_ptr<std::size_t> pending = std::make_shared<std::size_t>(~std::size_t{0});
};

Observed ObserveAt(MemoryPlatform& platform, std::uint64_t ms) {
  Observed observed{SnapshotAt(platform, ms)};
  platform.At(ms, [pending = observed.pending](MemoryPlatform& p) { *pending = p.PendingInput(); });
  return observed;
}

void ExpectMoves(const Snapshot& screen, int total) {
  ASSERT_TRUE(screen.taken);
  EXPECT_EQ(screen.Text(18, 1, 13), "     Zug Nr. ");
  EXPECT_EQ(screen.Text(18, 14, MovesText(total).size()), MovesText(total));
  EXPECT_EQ(screen.Text(18, 29, MovesText(total).size()), MovesText(total));
}

TEST(Stress, TenThousandKeysQueuedAtOnceAreAllHandledInOrder) {
  constexpr int kKeys = 10'000;
  constexpr std::uint64_t kQueuedAt = 2000;
  MemoryPlatform platform;
  InputScript input(platform);
  input.Key('x', 1000);  // leaves the introduction

  // A random walk with moves in between: the board that results depends on
  // where the cursor stood at every Enter, so a lost, repeated or reordered
  // key shows in the board, the cursor or the move count.
  std::mt19937 random(850);
  std::uniform_int_distribution<std::size_t> pick(0, kInputs.size() - 1);
  int row = 2, column = 0;  // cell 3, where practice starts
  Picture board = 0;
  int moves = 0;
  for (int i = 0; i < kKeys; ++i) {
    const Input& key = kInputs[pick(random)];
    if (key.scanCode == 0) {
      input.Key(kEnterKey, kQueuedAt);
      board ^= MoveBits(3 * (2 - row) + (2 - column) + 1);
      ++moves;
    } else {
      input.Extended(key.scanCode, kQueuedAt);
      row = std::clamp(row + key.rows, 0, 2);
      column = std::clamp(column + key.columns, 0, 2);
    }
  }
  ASSERT_EQ(platform.QueuedInput(), 2u + 2u * kKeys);  // each key: press and release

  // One poll per key, and a few to spare.
  const std::uint64_t settled = kQueuedAt + (kKeys + 10) * kPollMs;
  Observed after = ObserveAt(platform, settled);
  input.Key(kEscKey, settled + 1000).Key('x', settled + 2000);
  GameEnd end = RunGame(platform, settled + 10'000);
  EXPECT_EQ(end.exitCode, 0);

  ASSERT_TRUE(after.screen->taken);
  EXPECT_EQ(*after.pending, 0u);
  EXPECT_EQ(after.screen->Board(), board);
  EXPECT_EQ(after.screen->cursorCell, 3 * (2 - row) + (2 - column) + 1);
  ExpectMoves(*after.screen, moves);
}

TEST(Stress, InputAfterAFloodOfMouseMotionIsNotLost) {
  constexpr int kMotions = 5000;
  constexpr std::uint64_t kFloodAt = 2000;
  struct Case {
    const char* name;
    std::function<void(InputScript&, std::uint64_t)> after;
    Picture board;
    int cursorCell;
  };
  const std::vector<Case> cases = {
      {"Enter", [](InputScript& in, std::uint64_t t) { in.Key(kEnterKey, t); }, MoveBits(3), 3},
      {"click on cell 9, then Enter",
       [](InputScript& in, std::uint64_t t) {
         in.Click(DigitOf(9).column - 1, DigitOf(9).row - 1, kLeft, t).Key(kEnterKey, t);
       },
       MoveBits(9), 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryPlatform platform;
    InputScript input(platform);
    input.Key('x', 1000);
    // The mouse swept back and forth over the whole screen, over the digits
    // too, and once dragged with the left button held, pressed and released
    // beside the digits: none of it selects a cell.
    constexpr int kDragFrom = kMotions / 2, kDragTo = kDragFrom + 100;
    for (int i = 0; i < kMotions; ++i) {
      const int x = i % 80, y = (i / 80) % 25;
      const bool held = i >= kDragFrom && i < kDragTo;
      if (i == kDragFrom) platform.Schedule(platform::MouseRecord(x, y, kLeft), kFloodAt);
      if (i == kDragTo) platform.Schedule(platform::MouseRecord(x, y, 0), kFloodAt);
      platform.Schedule(platform::MouseRecord(x, y, held ? kLeft : 0, platform::kMouseMoved),
                        kFloodAt);
    }
    c.after(input, kFloodAt);

    // Whether the console merges the motion reports or the game takes them
    // one poll each, all of them are gone by then.
    const std::uint64_t settled = kFloodAt + (kMotions + 20) * kPollMs;
    Observed after = ObserveAt(platform, settled);
    input.Key(kEscKey, settled + 1000).Key('x', settled + 2000);
    EXPECT_EQ(RunGame(platform, settled + 10'000).exitCode, 0);

    ASSERT_TRUE(after.screen->taken);
    EXPECT_EQ(*after.pending, 0u);
    EXPECT_EQ(after.screen->Board(), c.board);
    EXPECT_EQ(after.screen->cursorCell, c.cursorCell);
    ExpectMoves(*after.screen, 1);
  }
}

}  // namespace
}  // namespace kippfeld::game
