// The program in a browser page: the game on the page's console, and the
// functions the page calls (keys, pointer events). The page loads one
// instance per game; main runs the game in it and never returns.
#include <emscripten/emscripten.h>

#include <string>

#include "console/startup.h"
#include "game/flow.h"
#include "game/history_store.h"
#include "platform/web/web_host.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_mouse.h"
#include "platform/web/web_platform.h"

namespace {

using namespace kippfeld;

// Made on first use: the page may push input before main runs.
platform::WebPlatform& ThePlatform() {
  static platform::BrowserHost host;
  static platform::WebPlatform console(host);
  return console;
}

platform::MouseRecords& TheMouse() {
  static platform::MouseRecords mouse;
  return mouse;
}

}  // namespace

extern "C" {

// A key pressed in the page. Returns 2 when a record was queued.
EMSCRIPTEN_KEEPALIVE int kippfeld_key(const char* code, const char* key, int modifiers) {
  platform::BrowserKey browserKey{code, key, static_cast<std::uint32_t>(modifiers)};
  std::optional<platform::InputRecord> record = platform::KeyDownRecord(browserKey);
  return record && ThePlatform().Push(*record) ? 2 : 0;
}

// 1 when the browser is to act on the key itself.
EMSCRIPTEN_KEEPALIVE int kippfeld_browser_keeps(const char* code, const char* key, int modifiers) {
  return platform::BrowserKeepsKey({code, key, static_cast<std::uint32_t>(modifiers)}) ? 1 : 0;
}

// A pointer event on a cell: action 0 down, 1 up, 2 move, 3 wheel. Returns
// 1 when a record was queued.
EMSCRIPTEN_KEEPALIVE int kippfeld_pointer(int action, int x, int y, int button, double timeMs) {
  platform::PointerEvent event;
  event.action = static_cast<platform::PointerAction>(action < 0 || action > 3 ? 2 : action);
  event.x = x;
  event.y = y;
  event.button = button;
  event.timeMs = timeMs;
  bool pushed = false;
  for (const platform::InputRecord& record : TheMouse().On(event)) {
    pushed = ThePlatform().Push(record) || pushed;
  }
  return pushed ? 1 : 0;
}

// Why the last test could not be kept, empty when it was.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_failure() {
  return game::HistoryFailure().c_str();
}

}  // extern "C"

int main() {
  console::StartUp(ThePlatform(), &game::GameMain);
}
