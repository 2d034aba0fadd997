#include <cstdlib>
#include <string>

#include "platform/backend.h"

namespace kippfeld::platform {

void AtProcessEnd(void (*action)()) {
  // Every orderly end (ExitProcess, a terminal that went away) gives the
  // terminal back before it calls std::exit, which then runs the action.
  std::atexit(action);
}

std::string UserInterfaceLanguage() {
  // A POSIX system has no language apart from its locale variables.
  return {};
}

}  // namespace kippfeld::platform
