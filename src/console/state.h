// The console layer's one state record: the platform it runs on, the screen
// output state, the key reader's memory and the running procedure's error
// state. There is one per process; start-up sets it to its initial values.
#pragma once

#include <cstdint>

#include "console/platform.h"

namespace kippfeld::console {

struct MouseSettings {
  bool on = false;
  // Low 16 bits: button mask (1 left, 2 right, 4 middle). Bits 16..19 select
  // the event kinds moved, double click, pressed, released.
  std::uint32_t selection = 0;
};

struct ConsoleScreen {
  int foreground = 7;
  int background = 0;
  bool pendingScroll = false;
  platform::CursorShape cursor;
  MouseSettings mouse;
  // 1-based position of the last mouse event returned as a key string.
  int mouseColumn = 0;
  int mouseRow = 0;
};

struct InputState {
  // Button state of the last mouse record taken out of the queue.
  std::uint32_t buttonMemory = 0;
};

using ErrorHandler = void (*)();

struct ErrorState {
  std::uint8_t number = 0;
  bool pending = false;
  bool inHandler = false;
  ErrorHandler handler = nullptr;
};

struct ConsoleState {
  platform::Platform* platform = nullptr;
  ConsoleScreen screen;
  InputState input;
  ErrorState error;
};

ConsoleState& Console();

// The platform the console runs on; start-up (or a test) must have set it.
platform::Platform& CurrentPlatform();

// Puts the console layer into its initial state on the given platform:
// colours 7 on 0, no pending scroll, mouse reporting off with selection 0,
// last mouse position (0, 0), empty button memory, no error, no handler. The
// cursor shape is left for start-up to read from the console.
void ResetConsole(platform::Platform& platform);

}  // namespace kippfeld::console
