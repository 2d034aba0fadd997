// The backend the executable runs on. Each real backend defines this once;
// the executable links exactly one of them.
#pragma once

#include <memory>

#include "console/platform.h"

namespace kippfeld::platform {

// Opens the player's console. Returns nullptr after saying why on standard
// error when there is none to play on.
std::unique_ptr<Platform> OpenConsolePlatform();

}  // namespace kippfeld::platform
