// The introduction and playing screens, the OK signal, the status lines and
// the cursor placement, drawn through the console screen operations only.
#pragma once

#include <string_view>

#include "game/board.h"
#include "game/language.h"

namespace kippfeld::game {

// The screens' words are German unless English is asked for; the field,
// the numbers, the colours and the timing are the same in either language.
void DrawIntroduction(Language language = Language::German);
void DrawPlayingScreen(const Board& board, const Cursor& cursor);
// " OK" on row 16 for 2000 ms, then blanked again.
void ShowOkSignal(Language language = Language::German);
// The task's name comes as the catalogue of the same language holds it.
void WriteStatusLines(float currentTask, std::string_view taskName, float moveTotal,
                      float taskMoves, Language language = Language::German);
void PlaceCursor(const Cursor& cursor);

}  // namespace kippfeld::game
