// Process start and end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "console/platform.h"

namespace kippfeld::console {

// What the main procedure is called with; the game ignores it.
struct StartParameters {
  std::uintptr_t instance = 0;
  int previousInstance = 0;
  std::string commandTail;
  int showMode = 10;
};

// The program's main routine. A function object, so that the program can
// hand the game what it lends it along with the routine, where a global
// would otherwise have to carry it.
using MainProcedure = std::function<int(const StartParameters&)>;

// Prepares the console on the platform, sets the console layer's initial
// state and calls the main procedure; a main procedure that returns ends the
// program with its result as the exit code.
[[noreturn]] void StartUp(platform::Platform& platform, const MainProcedure& main);

// Closes the console input, releases what the run-time holds and ends the
// process with the exit code.
[[noreturn]] void EndProgram(int exitCode);

}  // namespace kippfeld::console
