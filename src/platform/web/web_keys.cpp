#include "platform/web/web_keys.h"

#include <string>

#include "platform/cp850.h"
#include "platform/input_records.h"
#include "platform/us_layout.h"
#include "platform/utf8.h"

namespace kippfeld::platform {

namespace {

// A key by its place on the PC keyboard: KeyboardEvent.code, the scan code
// the console reports for it, and whether the console marks it as one of
// the enhanced keys (the separate arrow and navigation block, the right
// Ctrl and Alt, keypad Enter and divide).
struct KeyPlace {
  std::string_view code;
  std::uint16_t scanCode;
  bool enhanced;
};

constexpr KeyPlace kPlaces[] = {
    {"Escape", 1, false},
    {"Digit1", 2, false},
    {"Digit2", 3, false},
    {"Digit3", 4, false},
    {"Digit4", 5, false},
    {"Digit5", 6, false},
    {"Digit6", 7, false},
    {"Digit7", 8, false},
    {"Digit8", 9, false},
    {"Digit9", 10, false},
    {"Digit0", 11, false},
    {"Minus", 12, false},
    {"Equal", 13, false},
    {"Backspace", 14, false},
    {"Tab", 15, false},
    {"KeyQ", 16, false},
    {"KeyW", 17, false},
    {"KeyE", 18, false},
    {"KeyR", 19, false},
    {"KeyT", 20, false},
    {"KeyY", 21, false},
    {"KeyU", 22, false},
    {"KeyI", 23, false},
    {"KeyO", 24, false},
    {"KeyP", 25, false},
    {"BracketLeft", 26, false},
    {"BracketRight", 27, false},
    {"Enter", 28, false},
    {"ControlLeft", 29, false},
    {"KeyA", 30, false},
    {"KeyS", 31, false},
    {"KeyD", 32, false},
    {"KeyF", 33, false},
    {"KeyG", 34, false},
    {"KeyH", 35, false},
    {"KeyJ", 36, false},
    {"KeyK", 37, false},
    {"KeyL", 38, false},
    {"Semicolon", 39, false},
    {"Quote", 40, false},
    {"Backquote", 41, false},
    {"ShiftLeft", 42, false},
    {"Backslash", 43, false},
    {"KeyZ", 44, false},
    {"KeyX", 45, false},
    {"KeyC", 46, false},
    {"KeyV", 47, false},
    {"KeyB", 48, false},
    {"KeyN", 49, false},
    {"KeyM", 50, false},
    {"Comma", 51, false},
    {"Period", 52, false},
    {"Slash", 53, false},
    {"ShiftRight", 54, false},
    {"NumpadMultiply", 55, false},
    {"AltLeft", 56, false},
    {"Space", 57, false},
    {"CapsLock", 58, false},
    {"F1", 59, false},
    {"F2", 60, false},
    {"F3", 61, false},
    {"F4", 62, false},
    {"F5", 63, false},
    {"F6", 64, false},
    {"F7", 65, false},
    {"F8", 66, false},
    {"F9", 67, false},
    {"F10", 68, false},
    {"NumLock", 69, true},
    {"ScrollLock", 70, false},
    {"Numpad7", 71, false},
    {"Numpad8", 72, false},
    {"Numpad9", 73, false},
    {"NumpadSubtract", 74, false},
    {"Numpad4", 75, false},
    {"Numpad5", 76, false},
    {"Numpad6", 77, false},
    {"NumpadAdd", 78, false},
    {"Numpad1", 79, false},
    {"Numpad2", 80, false},
    {"Numpad3", 81, false},
    {"Numpad0", 82, false},
    {"NumpadDecimal", 83, false},
    {"IntlBackslash", 86, false},
    {"F11", 87, false},
    {"F12", 88, false},
    {"IntlRo", 115, false},
    {"IntlYen", 125, false},
    {"NumpadEnter", 28, true},
    {"ControlRight", 29, true},
    {"NumpadDivide", 53, true},
    {"PrintScreen", 55, true},
    {"AltRight", 56, true},
    {"Pause", 69, false},
    {"Home", 71, true},
    {"ArrowUp", 72, true},
    {"PageUp", 73, true},
    {"ArrowLeft", 75, true},
    {"ArrowRight", 77, true},
    {"End", 79, true},
    {"ArrowDown", 80, true},
    {"PageDown", 81, true},
    {"Insert", 82, true},
    {"Delete", 83, true},
    {"MetaLeft", 91, true},
    {"MetaRight", 92, true},
    {"ContextMenu", 93, true},
    {"NumpadEqual", 89, false},
    {"F13", 100, false},
    {"F14", 101, false},
    {"F15", 102, false},
    {"F16", 103, false},
    {"F17", 104, false},
    {"F18", 105, false},
    {"F19", 106, false},
    {"F20", 107, false},
    {"F21", 108, false},
    {"F22", 109, false},
    {"F23", 110, false},
    {"F24", 118, false},
    {"Lang1", 114, false},
    {"Lang2", 113, false},
    {"Convert", 121, false},
    {"NonConvert", 123, false},
};

// On-screen keyboards and some systems leave the code empty; the key's
// name still tells the navigation keys apart.
struct NamedKey {
  std::string_view key;
  std::string_view code;
};

constexpr NamedKey kNamedKeys[] = {
    {"Escape", "Escape"},       {"Enter", "Enter"},         {"Tab", "Tab"},
    {"Backspace", "Backspace"}, {"Home", "Home"},           {"End", "End"},
    {"PageUp", "PageUp"},       {"PageDown", "PageDown"},   {"ArrowUp", "ArrowUp"},
    {"ArrowDown", "ArrowDown"}, {"ArrowLeft", "ArrowLeft"}, {"ArrowRight", "ArrowRight"},
    {"Insert", "Insert"},       {"Delete", "Delete"},       {"Shift", "ShiftLeft"},
    {"Control", "ControlLeft"},
};

const KeyPlace* PlaceOf(std::string_view code) {
  for (const KeyPlace& place : kPlaces)
    if (place.code == code) return &place;
  return nullptr;
}

// The one code point the key's text holds; nothing for a named key ("Enter",
// "Dead") or a text of several characters.
std::optional<char32_t> SingleCodePoint(std::string_view text) {
  if (text.empty()) return std::nullopt;
  Utf8Step step = ReadUtf8(text, 0);
  if (!step.complete || step.length != text.size()) return std::nullopt;
  return step.codePoint;
}

bool IsAsciiLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// What the console types for a character key with Ctrl held: the control
// character of a letter and of the few punctuation keys that have one, and
// nothing (0) for the rest, whose key then reports as an extended key.
std::uint8_t ControlCharacter(char32_t c) {
  if (IsAsciiLetter(c)) return static_cast<std::uint8_t>(c & 0x1F);
  switch (c) {
    case '[':
      return 27;
    case '\\':
      return 28;
    case ']':
      return 29;
    case '^':
      return 30;
    case '_':
      return 31;
    case ' ':
      return ' ';
    default:
      return 0;
  }
}

// The character of a named key, 0 for the keys that type none.
std::uint8_t NamedCharacter(std::string_view key, bool ctrl) {
  if (key == "Enter") return ctrl ? 10 : 13;
  if (key == "Escape") return 27;
  if (key == "Tab") return 9;
  if (key == "Backspace") return ctrl ? 127 : 8;
  return 0;
}

}  // namespace

std::optional<InputRecord> KeyDownRecord(const BrowserKey& key) {
  const std::uint32_t modifiers = key.modifiers;
  if ((modifiers & kBrowserComposing) != 0 || key.key == "Process") return std::nullopt;
  // AltGr is Ctrl and Alt to the console, whichever flags the browser set.
  const bool altGraph = (modifiers & kBrowserAltGraph) != 0;
  const bool ctrl = !altGraph && (modifiers & kBrowserCtrl) != 0;
  const bool alt = !altGraph && (modifiers & kBrowserAlt) != 0;
  const std::optional<char32_t> point = SingleCodePoint(key.key);

  const KeyPlace* place = PlaceOf(key.code);
  if (place == nullptr) {
    for (const NamedKey& named : kNamedKeys)
      if (named.key == key.key) place = PlaceOf(named.code);
  }
  std::uint16_t scanCode = place != nullptr ? place->scanCode : 0;
  if (place == nullptr && point && *point < 0x80) {
    scanCode = KeyOfCharacter(static_cast<std::uint8_t>(*point)).scanCode;
  }

  std::uint8_t character = 0;
  if (point) {
    if (ctrl) {
      character = ControlCharacter(*point);
    } else {
      // A character code page 850 lacks arrives as "?", as on the console.
      int byte = TypedCp850(*point);
      character = static_cast<std::uint8_t>(byte >= 0 ? byte : '?');
    }
  } else {
    character = NamedCharacter(key.key, ctrl);
  }
  // Neither a place nor a character: nothing the console would report.
  if (scanCode == 0 && character == 0) return std::nullopt;

  std::uint32_t state = 0;
  if ((modifiers & kBrowserShift) != 0) state |= kShiftPressed;
  if (ctrl) state |= key.code == "ControlRight" ? kRightCtrlPressed : kLeftCtrlPressed;
  if (alt) state |= key.code == "AltRight" ? kRightAltPressed : kLeftAltPressed;
  if (altGraph) state |= kRightAltPressed | kLeftCtrlPressed;
  if ((modifiers & kBrowserCapsLock) != 0) state |= kCapsLockOn;
  if ((modifiers & kBrowserNumLock) != 0) state |= kNumLockOn;
  if ((modifiers & kBrowserScrollLock) != 0) state |= kScrollLockOn;
  if (place != nullptr && place->enhanced) state |= kEnhancedKey;

  return KeyRecord(true, character, scanCode, state);
}

bool MovesFocus(const BrowserKey& key) {
  constexpr std::uint32_t kShortcut = kBrowserCtrl | kBrowserAlt | kBrowserMeta;
  return (key.code == "Tab" || key.key == "Tab") && (key.modifiers & kShortcut) == 0;
}

bool BrowserKeepsKey(const BrowserKey& key) {
  const std::uint32_t modifiers = key.modifiers;
  if ((modifiers & kBrowserComposing) != 0) return true;
  if ((modifiers & kBrowserAltGraph) == 0 &&
      (modifiers & (kBrowserCtrl | kBrowserAlt | kBrowserMeta)) != 0) {
    return true;
  }
  if (MovesFocus(key)) return true;
  const KeyPlace* place = PlaceOf(key.code);
  std::uint16_t scan = place != nullptr ? place->scanCode : 0;
  bool functionKey =
      (scan >= 59 && scan <= 68) || scan == 87 || scan == 88 ||
      (key.code.size() >= 2 && key.code[0] == 'F' && key.code[1] >= '1' && key.code[1] <= '9');
  return functionKey;
}

}  // namespace kippfeld::platform
