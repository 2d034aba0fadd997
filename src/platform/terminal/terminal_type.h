// Whether the game can play on a terminal of a given type, decided from its
// terminfo entry alone. It runs before curses starts on the terminal, so a
// terminal that cannot play is refused before it receives a single byte.
#pragma once

#include <string>

namespace kippfeld::platform {

// Empty when the game can play on a terminal of this type (TERM's value,
// nullptr when TERM is not set); otherwise why not, naming the type. The
// game draws by moving the cursor, so a type without cursor addressing
// (dumb, a printing terminal) cannot play. fd is the terminal, for terminfo
// to look at; nothing is written to it and its settings stay as they are.
std::string TerminalTypeProblem(const char* type, int fd);

}  // namespace kippfeld::platform
