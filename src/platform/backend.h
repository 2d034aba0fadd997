// The backend the executable runs on. Each real backend defines this once;
// the executable links exactly one of them.
#pragma once

#include <memory>
#include <string>

#include "console/platform.h"

namespace kippfeld::platform {

// Opens the player's console for the program started with main's arguments
// (argv[0] its name). Returns nullptr after saying why on standard error
// when there is none to play on.
std::unique_ptr<Platform> OpenConsolePlatform(int argc, const char* const* argv);

// Has action run when the game ends the process through the platform's
// ExitProcess, after the console has been given back, so that what it writes
// to standard error is seen after the game rather than inside its screen.
void AtProcessEnd(void (*action)());

// Called first thing: where the program was given a console window of its
// own (Windows, started by a double click or a shortcut), what it prints
// before it returns stays until a key is pressed instead of vanishing with
// the window. Elsewhere it does nothing.
void KeepOwnConsoleOpen();

// The language of the system's user interface where it keeps one apart
// from the environment, as a locale name ("de-DE"): Windows. Empty where the
// environment's locale variables say it (POSIX).
std::string UserInterfaceLanguage();

}  // namespace kippfeld::platform
