// What one input costs the terminal: the bytes the terminal backend (curses,
// sending only the cells that changed) writes into a pty for a cursor step
// and for a move, next to what a program that clears the terminal and
// rewrites every cell on every input would write for the same screen. Both
// figures come from the same screens, drawn by the game's own code on the
// memory console, in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "console/state.h"
#include "game/board.h"
#include "game/catalogue.h"
#include "game/screens.h"
#include "platform/cell_buffer.h"
#include "platform/cp850.h"
#include "platform/memory/memory_platform.h"
#include "platform/terminal/terminal_screen.h"

namespace kippfeld {
namespace {

using platform::Cell;
using platform::MemoryPlatform;

constexpr int kColumns = 80;
constexpr int kRows = 25;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// SGR for a console attribute: the ANSI colour numbers, 90+/100+ for the
// bright half.
std::string Sgr(std::uint8_t attribute) {
  const int foreground = attribute & 15, background = attribute >> 4;
  const int fg = (foreground & 8 ? 90 : 30) + platform::CursesColour(foreground & 7);
  const int bg = (background & 8 ? 100 : 40) + platform::CursesColour(background & 7);
  return "\x1b[0;" + std::to_string(fg) + ";" + std::to_string(bg) + "m";
}

// The naive repaint: clear, then every cell row by row in UTF-8 with an SGR
// wherever the attribute changes, then the cursor to its place. This is the
// least such a program can send without remembering what the terminal shows.
std::string NaiveRepaint(const MemoryPlatform& screen) {
  std::string out = "\x1b[H\x1b[2J";
  int attribute = -1;
  for (int y = 0; y < screen.Height(); ++y) {
    if (y > 0) out += "\r\n";
    for (int x = 0; x < screen.Width(); ++x) {
      const Cell cell = screen.CellAt(x, y);
      if (cell.attribute != attribute) {
        attribute = cell.attribute;
        out += Sgr(cell.attribute);
      }
      AppendUtf8(out, platform::Cp850ToUnicode(cell.character));
    }
  }
  out += "\x1b[" + std::to_string(screen.CursorY() + 1) + ";" +
         std::to_string(screen.CursorX() + 1) + "H";
  return out;
}

// The game's playing screen on the memory console, and a pty with the
// terminal backend's screen on its slave side.
class Fixture {
 public:
  Fixture() : memory_(kColumns, kRows), buffer_(kColumns, kRows) {
    console::ResetConsole(memory_);
    game::LoadTaskCatalogue(catalogue_);
    game::ClearBoard(board_);
    cursor_ = game::CursorOnCell(3);
    // Fixed, so that the figures do not depend on the caller's terminal.
    setenv("TERM", "xterm-256color", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    winsize size{};
    size.ws_col = kColumns;
    size.ws_row = kRows;
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0)
      throw std::runtime_error("no pty");
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    std::string error;
    if (!curses_.Open(slave_, error)) throw std::runtime_error(error);
    Redraw();
    Drain();
  }
  ~Fixture() {
    curses_.Close();
    close(slave_);
    close(master_);
  }

  void Step(int cell) { cursor_ = game::CursorOnCell(cell); }
  // The counters run through 1..99, as in a game, instead of growing to
  // the benchmark's iteration count.
  void Move() {
    game::ApplyMove(board_, cursor_.positionCode);
    moves_ = moves_ >= 99 ? 1 : moves_ + 1;
  }

  // The game's pass after an input, then the terminal brought up to date.
  void Redraw() {
    game::DrawPlayingScreen(board_, cursor_);
    game::WriteStatusLines(0, catalogue_.names[0], moves_, moves_);
    game::PlaceCursor(cursor_);
    for (int y = 0; y < kRows; ++y) {
      Cell row[kColumns];
      for (int x = 0; x < kColumns; ++x) row[x] = memory_.CellAt(x, y);
      buffer_.Write(0, y, row, kColumns);
    }
    // The game hides the text cursor while it waits.
    curses_.Present(buffer_, memory_.CursorX(), memory_.CursorY(), {25, false});
  }

  // Bytes the terminal received since the last call. A pty hands written
  // bytes to its master side a little later, so a marker written after them
  // tells when all have arrived; it is not counted.
  std::size_t Drain() {
    static constexpr std::string_view kMarker = "<kippfeld bench mark>";
    if (write(slave_, kMarker.data(), kMarker.size()) != static_cast<ssize_t>(kMarker.size()))
      throw std::runtime_error("cannot write the marker");
    std::string received;
    char bytes[65536];
    while (received.size() < kMarker.size() ||
           received.compare(received.size() - kMarker.size(), kMarker.size(), kMarker) != 0) {
      pollfd ready{master_, POLLIN, 0};
      if (poll(&ready, 1, 5000) <= 0) throw std::runtime_error("the pty went quiet");
      const ssize_t n = read(master_, bytes, sizeof bytes);
      if (n > 0) received.append(bytes, static_cast<std::size_t>(n));
    }
    return received.size() - kMarker.size();
  }

  const MemoryPlatform& memory() const { return memory_; }

 private:
  MemoryPlatform memory_;
  platform::CellBuffer buffer_;
  platform::CursesScreen curses_;
  game::TaskCatalogue catalogue_;
  game::Board board_;
  game::Cursor cursor_;
  float moves_ = 0;
  int master_ = -1;
  int slave_ = -1;
};

void Report(benchmark::State& state, std::uint64_t terminalBytes, std::uint64_t naiveBytes) {
  using benchmark::Counter;
  state.counters["terminal_bytes"] =
      Counter(static_cast<double>(terminalBytes), Counter::kAvgIterations);
  state.counters["naive_bytes"] = Counter(static_cast<double>(naiveBytes), Counter::kAvgIterations);
  state.counters["naive_over_terminal"] =
      static_cast<double>(naiveBytes) / static_cast<double>(terminalBytes);
}

// The cursor going back and forth between cells 3 and 2: the selection's
// highlight moves, nothing else changes.
void RepaintCursorStep(benchmark::State& state) {
  Fixture fixture;
  std::uint64_t terminalBytes = 0, naiveBytes = 0;
  int cell = 3;
  for (auto _ : state) {
    cell = cell == 3 ? 2 : 3;
    fixture.Step(cell);
    fixture.Redraw();
    terminalBytes += fixture.Drain();
    naiveBytes += NaiveRepaint(fixture.memory()).size();
  }
  Report(state, terminalBytes, naiveBytes);
}
BENCHMARK(RepaintCursorStep);

// Enter on the centre cell again and again: five digits flip and both move
// counters go up.
void RepaintMove(benchmark::State& state) {
  Fixture fixture;
  fixture.Step(5);
  fixture.Redraw();
  fixture.Drain();
  std::uint64_t terminalBytes = 0, naiveBytes = 0;
  for (auto _ : state) {
    fixture.Move();
    fixture.Redraw();
    terminalBytes += fixture.Drain();
    naiveBytes += NaiveRepaint(fixture.memory()).size();
  }
  Report(state, terminalBytes, naiveBytes);
}
BENCHMARK(RepaintMove);

}  // namespace
}  // namespace kippfeld
