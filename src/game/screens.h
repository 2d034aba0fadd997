// The introduction and playing screens, the OK signal, the status lines and
// the cursor placement, drawn through the console screen operations only.
#pragma once

#include <string_view>

#include "game/board.h"

namespace kippfeld::game {

void DrawIntroduction();
void DrawPlayingScreen(const Board& board, const Cursor& cursor);
// " OK" on row 16 for 2000 ms, then blanked again.
void ShowOkSignal();
void WriteStatusLines(float currentTask, std::string_view taskName, float moveTotal,
                      float taskMoves);
void PlaceCursor(const Cursor& cursor);

}  // namespace kippfeld::game
