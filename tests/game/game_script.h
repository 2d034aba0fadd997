// Whole games on the memory console in virtual time: a script of inputs at
// chosen milliseconds, a tracked model of the board and cursor to solve the
// tasks with, and readers for the screen.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/startup.h"
#include "game/board.h"
#include "game/catalogue.h"
#include "game/flow.h"
#include "game/history_store.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld::game::testing {

using platform::MemoryPlatform;

inline constexpr std::uint32_t kLeft = platform::kLeftButton;
inline constexpr std::uint32_t kRight = platform::kRightButton;
inline constexpr std::uint32_t kMiddle = platform::kMiddleButton;
inline constexpr std::uint8_t kEnterKey = 13;
inline constexpr std::uint8_t kEscKey = 27;
inline constexpr std::uint64_t kOkPause = 2000;
// Between scripted inputs; the game takes each at once, so this only keeps
// the script's times apart and readable.
inline constexpr std::uint64_t kGap = 500;

struct Place {
  int row;
  int column;
};

// The screen place of a cell's digit (1-based).
inline Place DigitOf(int cell) {
  return {10 - 2 * ((cell - 1) / 3), 29 - 10 * ((cell - 1) % 3)};
}

// Cells as a bit set: bit j-1 is cell j showing 1.
using Picture = unsigned;

inline Picture MoveBits(int cell) {
  Picture bits = 0;
  for (int c : MoveSet(cell)) {
    if (c == 0) break;
    bits |= 1u << (c - 1);
  }
  return bits;
}

inline Picture PictureOfEntry(const TaskCatalogue& catalogue, int k) {
  Picture bits = 0;
  for (int j = 1; j <= 9; ++j) {
    if (catalogue.patterns[k][j] == -1) bits |= 1u << (j - 1);
  }
  return bits;
}

// The cells whose moves turn `from` into `to`. The nine moves are
// independent, so exactly one of the 512 subsets does it.
inline std::vector<int> SolvingMoves(Picture from, Picture to) {
  for (unsigned subset = 0; subset < 512; ++subset) {
    Picture board = from;
    for (int cell = 1; cell <= 9; ++cell) {
      if (subset & (1u << (cell - 1))) board ^= MoveBits(cell);
    }
    if (board != to) continue;
    std::vector<int> cells;
    for (int cell = 1; cell <= 9; ++cell) {
      if (subset & (1u << (cell - 1))) cells.push_back(cell);
    }
    return cells;
  }
  ADD_FAILURE() << "no moves lead from " << from << " to " << to;
  return {};
}

// The cell the hidden text cursor stands on, 0 for none.
inline int CellUnderTextCursor(const MemoryPlatform& platform) {
  for (int cell = 1; cell <= 9; ++cell) {
    Place p = DigitOf(cell);
    if (platform.CursorY() == p.row - 1 && platform.CursorX() == p.column - 1) return cell;
  }
  return 0;
}

// Scripts the input of a game. Every input goes in at time(), which then moves
// on by kGap; the script keeps its own board and cursor in step with the game.
class GameScript {
 public:
  enum class Via { kKeys, kDoubleClicks };

  explicit GameScript(MemoryPlatform& platform) : input_(platform) {
    LoadTaskCatalogue(catalogue_);
  }

  std::uint64_t time() const { return time_; }
  Picture board() const { return board_; }
  int cursorCell() const { return cursorCell_; }
  const TaskCatalogue& catalogue() const { return catalogue_; }

  GameScript& At(std::uint64_t ms) {
    time_ = ms;
    return *this;
  }
  GameScript& Wait(std::uint64_t ms) {
    time_ += ms;
    return *this;
  }
  GameScript& Key(std::uint8_t character) {
    input_.Key(character, time_);
    time_ += kGap;
    return *this;
  }
  GameScript& Extended(std::uint16_t scanCode) {
    input_.Extended(scanCode, time_);
    time_ += kGap;
    return *this;
  }
  GameScript& Click(Place p, std::uint32_t button = kLeft) {
    input_.Click(p.column - 1, p.row - 1, button, time_);
    time_ += kGap;
    return *this;
  }
  GameScript& DoubleClick(Place p, std::uint32_t button = kLeft) {
    input_.DoubleClick(p.column - 1, p.row - 1, button, time_);
    time_ += kGap;
    return *this;
  }

  // P starts the test on an all-0 board.
  GameScript& StartTest() {
    board_ = 0;
    return Key('P');
  }

  // A drill round sets the field itself: the script follows.
  GameScript& SetBoard(Picture board) {
    board_ = board;
    return *this;
  }

  // Walks the cursor to the cell with the navigation keys.
  GameScript& SelectByKeys(int cell) {
    static constexpr std::uint16_t kSteps[3][3] = {{71, 72, 73}, {75, 0, 77}, {79, 80, 81}};
    while (cursorCell_ != cell) {
      int rowStep = Sign(GridRow(cell) - GridRow(cursorCell_));
      int columnStep = Sign(GridColumn(cell) - GridColumn(cursorCell_));
      Extended(kSteps[rowStep + 1][columnStep + 1]);
      cursorCell_ =
          CellAtGrid(GridRow(cursorCell_) + rowStep, GridColumn(cursorCell_) + columnStep);
    }
    return *this;
  }

  // The move of the cell; returns the time at which the game applies it.
  std::uint64_t Apply(int cell, Via via) {
    std::uint64_t applied;
    if (via == Via::kKeys) {
      SelectByKeys(cell);
      applied = time_;
      Key(kEnterKey);
    } else {
      // Press, release and the double click all come at once and are taken
      // at once: the double click applies the move at the same instant.
      applied = time_;
      DoubleClick(DigitOf(cell));
      cursorCell_ = cell;
    }
    board_ ^= MoveBits(cell);
    return applied;
  }

  // Solves test task k from the tracked board. The completing move is timed
  // to land on a whole second, so clock readings and task times are exact.
  // Returns the completion time; the script then waits out the OK signal.
  std::uint64_t SolveTask(int k, Via via) {
    std::vector<int> moves = SolvingMoves(board_, PictureOfEntry(catalogue_, k));
    std::uint64_t completed = 0;
    for (std::size_t i = 0; i < moves.size(); ++i) {
      if (i + 1 == moves.size()) {
        if (via == Via::kKeys) SelectByKeys(moves[i]);
        time_ = (time_ + 999) / 1000 * 1000;
      }
      completed = Apply(moves[i], via);
    }
    time_ = completed + kOkPause + kGap;
    return completed;
  }

 private:
  static int Sign(int v) { return (v > 0) - (v < 0); }
  static int GridRow(int cell) { return 2 - (cell - 1) / 3; }
  static int GridColumn(int cell) { return 2 - (cell - 1) % 3; }
  static int CellAtGrid(int row, int column) { return 3 * (2 - row) + (2 - column) + 1; }

  platform::InputScript input_;
  TaskCatalogue catalogue_;
  std::uint64_t time_ = 1000;
  Picture board_ = 0;
  int cursorCell_ = 3;
};

// A history file (or the drill file) in memory; its clock is the console's
// virtual one, which starts at noon.
class MemoryHistoryStore : public HistoryStore {
 public:
  explicit MemoryHistoryStore(platform::MemoryPlatform& platform,
                              std::string place = "/memory/history.tsv")
      : platform_(platform), place_(std::move(place)) {}

  std::string Place() override { return place_; }
  std::string LocalDateTime() override {
    if (noDate) return {};
    std::uint64_t seconds = platform_.Now() / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "2025-03-14T12:%02u:%02u+01:00",
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
  }
  std::string Append(std::string_view header, std::string_view record) override {
    appendedAt.push_back(platform_.Now());
    // The player's screen as it stood when the store was asked; then the
    // time a slow disk or another game's lock may take.
    for (int y = 0; y < platform_.Height(); ++y) shownAtAppend.push_back(platform_.ShownRowText(y));
    platform_.Advance(appendTakesMs);
    if (!failWith.empty()) return failWith;
    if (file.empty()) file.append(header);
    file.append(record);
    return {};
  }

  std::string file;
  std::string failWith;
  bool noDate = false;  // a clock that gives no date and time
  std::vector<std::uint64_t> appendedAt;
  std::vector<std::string> shownAtAppend;
  std::uint64_t appendTakesMs = 0;

 private:
  platform::MemoryPlatform& platform_;
  std::string place_;
};

struct GameEnd {
  int exitCode = -1;  // -1: still waiting when the virtual time ran out
  std::uint64_t atMs = 0;
};

// Runs a whole game from start-up, with what the program lends it; the game
// ends the process, which the memory console turns into ProcessExit.
inline GameEnd RunGame(MemoryPlatform& platform, std::uint64_t timeLimitMs = 600'000,
                       const GameSetting& setting = {}) {
  platform.SetTimeLimit(timeLimitMs);
  try {
    console::StartUp(platform, [&setting](const console::StartParameters& start) {
      return GameMain(start, setting);
    });
  } catch (const platform::ProcessExit& exit) {
    return {exit.exitCode, platform.Now()};
  } catch (const platform::VirtualTimeLimit& limit) {
    return {-1, limit.now};
  }
  ADD_FAILURE() << "StartUp returned";
  return {};
}

// A copy of the screen taken while the game runs.
struct Snapshot {
  bool taken = false;
  std::vector<std::string> rows;         // 0-based
  std::vector<std::vector<int>> colour;  // foreground, 0-based
  int cursorCell = 0;

  std::string Text(int row, int column, int count) const {
    return rows[row - 1].substr(column - 1, count);
  }
  int Foreground(int row, int column) const { return colour[row - 1][column - 1]; }
  Picture Board() const {
    Picture bits = 0;
    for (int cell = 1; cell <= 9; ++cell) {
      Place p = DigitOf(cell);
      if (Text(p.row, p.column, 1) == "1") bits |= 1u << (cell - 1);
    }
    return bits;
  }
};

// The screen as it stands now.
inline Snapshot SnapshotOf(const MemoryPlatform& p) {
  Snapshot snapshot;
  snapshot.taken = true;
  for (int y = 0; y < p.Height(); ++y) {
    snapshot.rows.push_back(p.RowText(y));
    std::vector<int> line;
    for (int x = 0; x < p.Width(); ++x) line.push_back(p.CellAt(x, y).attribute & 15);
    snapshot.colour.push_back(line);
  }
  snapshot.cursorCell = CellUnderTextCursor(p);
  return snapshot;
}

inline std::shared_ptr<Snapshot> SnapshotAt(MemoryPlatform& platform, std::uint64_t ms) {
  auto snapshot = std::make_shared<Snapshot>();
  platform.At(ms, [snapshot](MemoryPlatform& p) { *snapshot = SnapshotOf(p); });
  return snapshot;
}

// The number text form of a whole number of 0 or more.
inline std::string MovesText(int moves) {
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
  std::string text(1, ' ');
  return text.append(std::to_string(moves)).append(" ");
}
// The task line of the playing screen from column 5.
inline std::string TaskLine(const TaskCatalogue& catalogue, int task) {
  return " Aufgabe " + MovesText(task) + " : " + catalogue.names[task];
}

// Results rows: entry k on row 4 + k while no line was pushed down.
inline int ResultsRow(int k) {
  return 4 + k;
}

// A results line that is not pushed down: number, name and listed time
// (as its digits, e.g. "12.2"), blanks up to column 48, the moves from 49.
inline std::string ResultsLine(const TaskCatalogue& catalogue, int k, const std::string& time,
                               int moves) {
  std::string line = MovesText(k);
  line.append(". Aufgabe ").append(catalogue.names[k]).append(" ").append(time).append(" ");
  line.resize(48, ' ');
  return line + MovesText(moves);
}

// The time line: minutes from column 35, then the seconds.
inline std::string TotalTimeLine(int minutes, int seconds) {
  std::string line = MovesText(minutes);
  return line.append(" Min. ").append(MovesText(seconds)).append(" Sec.");
}

}  // namespace kippfeld::game::testing
