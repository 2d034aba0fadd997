// The US keyboard layout as data: which key (scan code) gives an ASCII
// character, and whether Shift is needed. Backends that only see characters
// (a terminal, a test script) use it to rebuild the key records a console
// would deliver.
#pragma once

#include <cstdint>

namespace kippfeld::platform {

struct KeyPosition {
  std::uint16_t scanCode = 0;  // 0: no key gives this character
  bool shift = false;
};

// For bytes 0..127. Control characters map to the key of their letter
// (Ctrl+C is scan code 46) or to Enter, Tab, Backspace and Esc.
KeyPosition KeyOfCharacter(std::uint8_t character);

}  // namespace kippfeld::platform
