// Whether the game can play on a terminal of a given type, decided from its
// terminfo entry alone. It runs before curses starts on the terminal, so a
// terminal that cannot play is refused before it receives a single byte.
#pragma once

#include <functional>
#include <string>

namespace kippfeld::platform {

// Empty when the game can play on a terminal of this type (TERM's value,
// nullptr when TERM is not set); otherwise why not, naming the type. The
// game draws by moving the cursor, so a type without cursor addressing
// (dumb, a printing terminal) cannot play. fd is the terminal, for terminfo
// to look at; nothing is written to it and its settings stay as they are.
std::string TerminalTypeProblem(const char* type, int fd);

// Makes a terminal type's entry the one tigetstr reads, runs read, then puts
// the entry away again, so that curses starts afresh. 1 when read ran; read
// not run, 0 for a type that is unknown or a hardcopy type (which setupterm
// refuses), -1 without a terminal database. fd is as for TerminalTypeProblem.
int WithTerminfoEntry(const char* type, int fd, const std::function<void()>& read);

}  // namespace kippfeld::platform
