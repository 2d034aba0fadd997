#include <cstdlib>

#include "platform/backend.h"

namespace kippfeld::platform {

void AtProcessEnd(void (*action)()) {
  // Every orderly end (ExitProcess, a terminal that went away) gives the
  // terminal back before it calls std::exit, which then runs the action.
  std::atexit(action);
}

}  // namespace kippfeld::platform
