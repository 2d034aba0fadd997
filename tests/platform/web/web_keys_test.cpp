// Browser key events all the way to the key strings the game reads: the
// record the page makes, through the console's key reader.
#include "platform/web/web_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/input.h"
#include "console/state.h"
#include "platform/web/web_platform.h"

namespace kippfeld::platform {
namespace {

constexpr std::uint32_t kShift = kBrowserShift;
constexpr std::uint32_t kCtrl = kBrowserCtrl;
constexpr std::uint32_t kAlt = kBrowserAlt;
constexpr std::uint32_t kCaps = kBrowserCapsLock;
constexpr std::uint32_t kNum = kBrowserNumLock;

std::string Extended(int scan) {
  return std::string{'\0', static_cast<char>(scan)};
}
std::string Char(int c) {
  return std::string(1, static_cast<char>(c));
}

// A host that is never asked for anything in these tests.
class NoHost : public WebHost {
 public:
  void ShowRow(int, const Cell*, int) override {}
  void ShowCursor(int, int) override {}
  TimeOfDay LocalTime() override { return {}; }
  bool Wait(std::int64_t, bool) override { return false; }
  [[noreturn]] void End(int) override { throw 0; }
};

class WebKeysTest : public ::testing::Test {
 protected:
  void SetUp() override { console::ResetConsole(platform); }

  // The key string the game reads for the key, "<none>" when the page makes
  // no record of it.
  std::string KeyString(std::string_view code, std::string_view key, std::uint32_t modifiers) {
    std::optional<InputRecord> record = KeyDownRecord({code, key, modifiers});
    if (!record) return "<none>";
    platform.Push(*record);
    return console::PollInput();
  }

  NoHost host;
  WebPlatform platform{host};
};

struct KeyCase {
  std::string_view code;
  std::string_view key;
  std::uint32_t modifiers;
  std::string expected;
};

TEST_F(WebKeysTest, KeysGiveTheKeyStringsOfTheConsole) {
  const std::vector<KeyCase> cases = {
      // The game's keys.
      {"Enter", "Enter", 0, Char(13)},
      {"NumpadEnter", "Enter", 0, Char(13)},
      {"Escape", "Escape", 0, Char(27)},
      {"KeyP", "p", 0, "p"},
      {"KeyP", "P", kShift, "P"},
      {"KeyP", "P", kCaps, "P"},
      {"Home", "Home", 0, Extended(71)},
      {"ArrowUp", "ArrowUp", 0, Extended(72)},
      {"PageUp", "PageUp", 0, Extended(73)},
      {"ArrowLeft", "ArrowLeft", 0, Extended(75)},
      {"ArrowRight", "ArrowRight", 0, Extended(77)},
      {"End", "End", 0, Extended(79)},
      {"ArrowDown", "ArrowDown", 0, Extended(80)},
      {"PageDown", "PageDown", 0, Extended(81)},
      // The keypad: navigation with Num Lock off, digits with it on.
      {"Numpad8", "ArrowUp", 0, Extended(72)},
      {"Numpad7", "Home", 0, Extended(71)},
      {"Numpad3", "PageDown", 0, Extended(81)},
      {"Numpad8", "8", kNum, "8"},
      {"Numpad5", "Clear", 0, Extended(76)},
      // Modifiers change no scan code.
      {"ArrowLeft", "ArrowLeft", kShift, Extended(75)},
      {"ArrowLeft", "ArrowLeft", kCtrl, Extended(75)},
      // Ctrl with a letter types its control character; Ctrl+Enter a line feed.
      {"KeyC", "c", kCtrl, Char(3)},
      {"KeyZ", "z", kCtrl | kShift, Char(26)},
      {"BracketLeft", "[", kCtrl, Char(27)},
      {"Enter", "Enter", kCtrl, Char(10)},
      {"Digit2", "2", kCtrl, Extended(3)},
      // Alt with a letter key is an extended key; with any other key it is not.
      {"KeyP", "p", kAlt, Extended(25)},
      {"KeyA", "a", kAlt, Extended(30)},
      {"KeyM", "m", kAlt, Extended(50)},
      {"Digit1", "1", kAlt, "1"},
      // Function keys and other keys without a character.
      {"F1", "F1", 0, Extended(59)},
      {"F10", "F10", 0, Extended(68)},
      {"F11", "F11", 0, Extended(87)},
      {"F12", "F12", 0, Extended(88)},
      {"Delete", "Delete", 0, Extended(83)},
      {"Insert", "Insert", 0, Extended(82)},
      // Keys that type a control character.
      {"Tab", "Tab", 0, Char(9)},
      {"Tab", "Tab", kShift, Char(9)},
      {"Backspace", "Backspace", 0, Char(8)},
      {"Space", " ", 0, " "},
      // Modifiers alone give nothing.
      {"ShiftLeft", "Shift", kShift, ""},
      {"ShiftRight", "Shift", kShift, ""},
      {"ControlLeft", "Control", kCtrl, ""},
      {"AltLeft", "Alt", kAlt, ""},
      {"CapsLock", "CapsLock", kCaps, ""},
      {"NumLock", "NumLock", kNum, ""},
      {"ScrollLock", "ScrollLock", 0, ""},
      // Characters beyond ASCII arrive as code page 850 bytes, or "?".
      {"Quote", "\xC3\xA4", 0, Char(0x84)},                      // ä on a German keyboard
      {"Minus", "\xC3\x9F", 0, Char(0xE1)},                      // ß
      {"BracketLeft", "\xC3\x9C", kShift, Char(0x9A)},           // Ü
      {"KeyE", "\xE2\x82\xAC", kBrowserAltGraph, Extended(18)},  // € with AltGr: Alt+letter
      {"Digit5", "\xE2\x82\xAC", 0, "?"},                        // a € of its own
      {"Digit1", "\xF0\x9F\x98\x80", 0, "?"},
      // AltGr is Ctrl and Alt to the console: @ on the Q key is Alt+Q.
      {"KeyQ", "@", kBrowserAltGraph | kCtrl | kAlt, Extended(16)},
      {"Digit7", "{", kBrowserAltGraph, "{"},
      // A dead key types nothing yet.
      {"Equal", "Dead", 0, Extended(13)},
      // Keyboards on screens may name no place: the key's name or character
      // stands in for it.
      {"", "a", 0, "a"},
      {"", "ArrowUp", 0, Extended(72)},
      {"", "Enter", 0, Char(13)},
      {"", "Unidentified", 0, "<none>"},
      // An input method at work is not a key of the console's.
      {"KeyA", "Process", 0, "<none>"},
      {"KeyA", "a", kBrowserComposing, "<none>"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " " + std::string(c.key) + " " +
                 std::to_string(c.modifiers));
    EXPECT_EQ(KeyString(c.code, c.key, c.modifiers), c.expected);
  }
}

TEST_F(WebKeysTest, CapsLockFollowsShiftOnTheKeysOfItsTable) {
  // A layout that applies Caps Lock to the digit row types "!" for 1: the
  // console's correction makes it "1" again, and "1" with Shift "!".
  EXPECT_EQ(KeyString("Digit1", "!", kCaps), "1");
  EXPECT_EQ(KeyString("Digit1", "1", kCaps | kShift), "!");
  EXPECT_EQ(KeyString("Slash", "?", kCaps), "/");
  EXPECT_EQ(KeyString("Digit1", "!", kShift), "!");
  // Letters stay as the browser typed them.
  EXPECT_EQ(KeyString("KeyP", "p", kCaps | kShift), "p");
}

TEST(WebKeyRecord, CarriesTheControlKeyStateOfTheConsole) {
  auto state = [](std::string_view code, std::string_view key, std::uint32_t modifiers) {
    return KeyDownRecord({code, key, modifiers})->controlKeyState;
  };
  EXPECT_EQ(state("ArrowUp", "ArrowUp", 0), kEnhancedKey);
  EXPECT_EQ(state("Numpad8", "ArrowUp", 0), 0u);
  EXPECT_EQ(state("KeyP", "P", kShift | kCaps | kNum), kShiftPressed | kCapsLockOn | kNumLockOn);
  EXPECT_EQ(state("KeyP", "p", kAlt), std::uint32_t{kLeftAltPressed});
  EXPECT_EQ(state("ControlRight", "Control", kCtrl), kRightCtrlPressed | kEnhancedKey);
  EXPECT_EQ(state("KeyQ", "@", kBrowserAltGraph | kCtrl | kAlt),
            kRightAltPressed | kLeftCtrlPressed);
  EXPECT_EQ(KeyDownRecord({"KeyP", "p", 0})->virtualScanCode, 25);
}

TEST(WebMovesFocus, TabAndShiftTabOnly) {
  EXPECT_TRUE(MovesFocus({"Tab", "Tab", 0}));
  EXPECT_TRUE(MovesFocus({"Tab", "Tab", kShift | kBrowserCapsLock}));
  EXPECT_FALSE(MovesFocus({"Tab", "Tab", kCtrl}));
  EXPECT_FALSE(MovesFocus({"Tab", "Tab", kAlt}));
  EXPECT_FALSE(MovesFocus({"Enter", "Enter", 0}));
  EXPECT_FALSE(MovesFocus({"KeyT", "t", 0}));
}

TEST(WebBrowserKeepsKey, ShortcutsAndFunctionKeysStayTheBrowsers) {
  struct Case {
    std::string_view code;
    std::string_view key;
    std::uint32_t modifiers;
    bool kept;
  };
  const std::vector<Case> cases = {
      {"F5", "F5", 0, true},
      {"F12", "F12", 0, true},
      {"F1", "F1", kShift, true},
      {"KeyR", "r", kCtrl, true},
      {"KeyL", "l", kCtrl, true},
      {"ArrowLeft", "ArrowLeft", kAlt, true},
      {"Tab", "Tab", kCtrl, true},
      // Tab moves the focus out of the console and Shift+Tab back.
      {"Tab", "Tab", 0, true},
      {"Tab", "Tab", kShift, true},
      {"KeyT", "t", kBrowserMeta, true},
      {"KeyA", "Process", kBrowserComposing, true},
      // What the browser would scroll or go back by is the game's.
      {"ArrowUp", "ArrowUp", 0, false},
      {"ArrowDown", "ArrowDown", 0, false},
      {"PageUp", "PageUp", 0, false},
      {"PageDown", "PageDown", 0, false},
      {"Home", "Home", 0, false},
      {"End", "End", 0, false},
      {"Space", " ", 0, false},
      {"Space", " ", kShift, false},
      {"Enter", "Enter", 0, false},
      {"Escape", "Escape", 0, false},
      {"Backspace", "Backspace", 0, false},
      {"KeyP", "P", kShift, false},
      // AltGr types characters; it is no shortcut even where Ctrl and Alt come with it.
      {"KeyQ", "@", kBrowserAltGraph | kCtrl | kAlt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " " + std::to_string(c.modifiers));
    EXPECT_EQ(BrowserKeepsKey({c.code, c.key, c.modifiers}), c.kept);
  }
}

}  // namespace
}  // namespace kippfeld::platform
