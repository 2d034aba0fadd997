#include "platform/backend.h"

namespace kippfeld::platform {

std::unique_ptr<Platform> OpenConsolePlatform() { return nullptr; }

}  // namespace kippfeld::platform
