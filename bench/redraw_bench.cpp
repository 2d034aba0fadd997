// One pass of the playing loop's drawing on the memory console: the whole
// playing screen from scratch, the status lines and the cursor, as the game
// does after every input. This is the cost the game itself adds per input,
// before any terminal is involved.
#include <benchmark/benchmark.h>

#include "console/state.h"
#include "game/board.h"
#include "game/catalogue.h"
#include "game/screens.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld {
namespace {

void PlayingScreenRedraw(benchmark::State& state) {
  platform::MemoryPlatform platform(80, 25);
  console::ResetConsole(platform);
  game::TaskCatalogue catalogue;
  game::LoadTaskCatalogue(catalogue);
  game::Board board;
  game::ClearBoard(board);
  game::Cursor cursor = game::CursorOnCell(5);
  float moves = 0;
  const std::uint64_t callsBefore = platform.WriteCalls();
  for (auto _ : state) {
    // A move every pass, so the digits and the counters change as in play.
    game::ApplyMove(board, cursor.positionCode);
    ++moves;
    game::DrawPlayingScreen(board, cursor);
    game::WriteStatusLines(0, catalogue.names[0], moves, moves);
    game::PlaceCursor(cursor);
    benchmark::DoNotOptimize(platform.CellAt(8, 9));
  }
  state.counters["cell_writes_per_redraw"] = benchmark::Counter(
      static_cast<double>(platform.WriteCalls() - callsBefore), benchmark::Counter::kAvgIterations);
}
BENCHMARK(PlayingScreenRedraw);

}  // namespace
}  // namespace kippfeld
