// A browser's key event as the console would have delivered it: the page
// hands over what the KeyboardEvent says (its code, its key and the state
// of the modifiers) and gets back the key record of the native console, so
// that the key reader above sees the same scan codes, characters and
// control-key bits in the page as on Windows. Pure data in, data out: the
// rules are tested natively, without a browser.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "console/platform.h"

namespace kippfeld::platform {

// The modifier state of a KeyboardEvent (getModifierState and the flags).
enum BrowserModifier : std::uint32_t {
  kBrowserShift = 0x01,
  kBrowserCtrl = 0x02,
  kBrowserAlt = 0x04,
  kBrowserMeta = 0x08,
  kBrowserAltGraph = 0x10,
  kBrowserCapsLock = 0x20,
  kBrowserNumLock = 0x40,
  kBrowserScrollLock = 0x80,
  kBrowserComposing = 0x100,  // an input method is composing
};

struct BrowserKey {
  std::string_view code;  // KeyboardEvent.code: the key's place, "KeyP", "Numpad8"
  std::string_view key;   // KeyboardEvent.key, UTF-8: "p", "P", "ArrowUp", "Dead"
  std::uint32_t modifiers = 0;
};

// The key-down record the console delivers for the key, or nothing for a
// key press that is no key of the console's (an input method at work).
std::optional<InputRecord> KeyDownRecord(const BrowserKey& key);

// True for Tab and Shift+Tab, which move the focus between the console and
// the page's buttons: a console that kept them would hold the keyboard's
// user in it. The game never gets them (it takes no Tab).
bool MovesFocus(const BrowserKey& key);

// True when the browser is to act on the key as usual: its shortcuts with
// Ctrl, Alt or the system key, the function keys, and Tab, which moves the
// focus. Every other key (arrows, PgUp/PgDn, Home/End, Space, Enter, Esc,
// Backspace and the characters) belongs to the game alone while the
// console has the focus.
bool BrowserKeepsKey(const BrowserKey& key);

}  // namespace kippfeld::platform
