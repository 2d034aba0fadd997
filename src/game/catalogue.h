// The thirteen named target pictures: entry 0 is practice, 1..12 the test.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "game/board.h"
#include "game/language.h"

namespace kippfeld::game {

inline constexpr int kTaskCount = 12;
inline constexpr int kEntryCount = 13;

struct TaskCatalogue {
  std::array<std::string, kEntryCount> names;
  // patterns[k][j]: entry k's value for cell j (index 0 unused).
  std::array<std::array<float, 10>, kEntryCount> patterns{};
};

// The built-in pattern item list: 117 number texts, entry by entry, cell 1..9.
std::string_view PatternItemList();

// Reads all 117 items through ItemText and ParseNumber, then names the
// entries in the language of the screens. The patterns are the same in
// either language.
void LoadTaskCatalogue(TaskCatalogue& catalogue, Language language = Language::German);

// Completion test: every cell 1..9 equals entry k's value, compared exactly.
bool BoardShowsEntry(const Board& board, const TaskCatalogue& catalogue, int k);

}  // namespace kippfeld::game
