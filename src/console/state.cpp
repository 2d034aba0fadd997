#include "console/state.h"

namespace kippfeld::console {

namespace {
ConsoleState theConsole;
}

ConsoleState& Console() {
  return theConsole;
}

platform::Platform& CurrentPlatform() {
  return *theConsole.platform;
}

void ResetConsole(platform::Platform& platform) {
  theConsole = ConsoleState{};
  theConsole.platform = &platform;
}

}  // namespace kippfeld::console
