#include "console/startup.h"
#include "game/flow.h"
#include "platform/backend.h"

int main() {
  std::unique_ptr<kippfeld::platform::Platform> platform =
      kippfeld::platform::OpenConsolePlatform();
  if (!platform) return 1;
  kippfeld::console::StartUp(*platform, &kippfeld::game::GameMain);
}
