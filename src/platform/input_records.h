// Key and mouse records filled in as a console delivers them, for the
// backends that build records of their own (the browser page from its
// events, the memory console from a test's script).
#pragma once

#include <cstdint>

#include "console/platform.h"

namespace kippfeld::platform {

inline InputRecord KeyRecord(bool down, std::uint8_t character, std::uint16_t scanCode,
                             std::uint32_t controlKeyState = 0) {
  InputRecord record;
  record.eventType = kKeyEvent;
  record.keyDown = down;
  record.character = character;
  record.virtualScanCode = scanCode;
  record.controlKeyState = controlKeyState;
  return record;
}

// At a 0-based cell.
inline InputRecord MouseRecord(int x, int y, std::uint32_t buttons, std::uint32_t flags = 0) {
  InputRecord record;
  record.eventType = kMouseEvent;
  record.mouseX = static_cast<std::int16_t>(x);
  record.mouseY = static_cast<std::int16_t>(y);
  record.buttonState = buttons;
  record.eventFlags = flags;
  return record;
}

}  // namespace kippfeld::platform
