// The languages the program speaks. The game's screens are German unless the
// player asks for English; the program's own words follow the player's choice
// or locale. The one list of them is the words' own.
#pragma once

#include "words/language.h"

namespace kippfeld::game {

using Language = words::Language;

}  // namespace kippfeld::game
