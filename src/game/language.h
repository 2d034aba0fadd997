// The languages the program speaks. The game's screens are German unless the
// player asks for English; the program's own words follow the player's choice
// or locale.
#pragma once

namespace kippfeld::game {

enum class Language { German, English };

}  // namespace kippfeld::game
