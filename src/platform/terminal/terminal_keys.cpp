#include "platform/terminal/terminal_keys.h"

#include <utility>

#include "console/platform.h"
#include "platform/terminal/terminal_type.h"

// Last, for their macros (lines, columns and hundreds more).
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>

namespace kippfeld::platform {

namespace {

constexpr DecodedKey Extended(std::uint16_t scanCode) {
  return {0, scanCode, kEnhancedKey};
}

// The keypad's keys with Num Lock off, as the console gives them: no
// enhanced-key flag, unlike their grey twins.
constexpr DecodedKey Keypad(std::uint16_t scanCode) {
  return {0, scanCode, 0};
}

}  // namespace

const std::vector<KeyCapability> kKeyCapabilities = {
    {"kcuu1", Extended(72)}, {"kcud1", Extended(80)}, {"kcub1", Extended(75)},
    {"kcuf1", Extended(77)}, {"khome", Extended(71)}, {"kend", Extended(79)},
    {"kpp", Extended(73)},   {"knp", Extended(81)},   {"ka1", Keypad(71)},
    {"ka3", Keypad(73)},     {"kb2", Keypad(76)},     {"kc1", Keypad(79)},
    {"kc3", Keypad(81)},     {"kent", {13, 28, 0}},
};

std::vector<TerminalKey> TerminalKeys(const char* type, int fd) {
  std::vector<TerminalKey> keys;
  if (type == nullptr || *type == '\0') return keys;
  WithTerminfoEntry(type, fd, [&] {
    for (const KeyCapability& capability : kKeyCapabilities) {
      const char* value = tigetstr(capability.name);
      if (value == nullptr || value == reinterpret_cast<const char*>(-1) || *value == '\0')
        continue;
      std::string bytes = value;
      for (char& c : bytes)
        if (c == '\x80') c = '\0';
      keys.push_back({capability.name, std::move(bytes), capability.key});
    }
  });
  return keys;
}

}  // namespace kippfeld::platform
