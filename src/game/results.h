// The closing table of times and moves; ends the program.
#pragma once

#include <array>

#include "game/catalogue.h"
#include "game/flow.h"

namespace kippfeld::game {

[[noreturn]] void ShowResults(GameSession& session);

// Keeps the input of the moments before a closing table from ending it
// unseen.
void IgnoreInputBeforeTheEnd();

// The time the table lists for a stored task time: cut down to tenths. It
// stays long double, so that a listed 12.2 is written as 12.2.
long double ListedTime(float seconds);

// The table's total time: the listed times of tasks 1 to 12 added up, the sum
// rounded to float after each addition. Practice (entry 0) is not counted.
float TotalTime(const std::array<float, kEntryCount>& taskTimes);

}  // namespace kippfeld::game
