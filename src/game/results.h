// The closing table of times and moves; ends the program.
#pragma once

#include "game/flow.h"

namespace kippfeld::game {

[[noreturn]] void ShowResults(GameSession& session);

}  // namespace kippfeld::game
