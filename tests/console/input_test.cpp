#include "console/input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/state.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld::console {
namespace {

using platform::InputRecord;
using platform::KeyRecord;
using platform::MemoryPlatform;
using platform::MouseRecord;
using platform::ScanCodeOf;

constexpr std::uint32_t kCaps = platform::kCapsLockOn;
constexpr std::uint32_t kShift = platform::kShiftPressed;
constexpr std::uint32_t kAllKindsButtons127 = 0xF0007;

std::string Extended(std::uint8_t scan) {
  return std::string{'\0', static_cast<char>(scan)};
}
std::string Mouse(std::uint8_t kind, std::uint8_t button) {
  return std::string{'\xFF', '\xFF', static_cast<char>(kind), static_cast<char>(button)};
}
std::string Char(std::uint8_t c) {
  return std::string(1, static_cast<char>(c));
}

class PollInputTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetConsole(console); }

  std::string PollOne(const InputRecord& record) {
    console.Push(record);
    return PollInput();
  }
  void MouseOn(std::uint32_t selection = kAllKindsButtons127) {
    Console().screen.mouse = {true, selection};
  }

  MemoryPlatform console;
};

TEST_F(PollInputTest, EmptyBufferGivesEmptyStringOnEveryCall) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(PollInput(), "");
}

TEST_F(PollInputTest, KeysWithoutCharacterAreExtendedKeysByScanCode) {
  // F1..F10, F11, F12, the navigation block and a key outside the table (Del).
  std::vector<std::uint8_t> scans = {59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87,
                                     88, 71, 72, 73, 75, 77, 79, 80, 81, 83};
  for (std::uint8_t scan : scans) {
    SCOPED_TRACE(static_cast<int>(scan));
    EXPECT_EQ(PollOne(KeyRecord(true, 0, scan, platform::kEnhancedKey)), Extended(scan));
  }
}

TEST_F(PollInputTest, ModifiersDoNotChangeTheScanCode) {
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 75, platform::kLeftCtrlPressed)), Extended(75));
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 75, kShift)), Extended(75));
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 75, platform::kRightCtrlPressed | kCaps)), Extended(75));
}

TEST_F(PollInputTest, OnlyTheLowByteOfTheScanCodeCounts) {
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 0x0148)), Extended(72));
  // 0x012A has the low byte of left Shift, so it is dropped like Shift.
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 0x012A)), "");
}

TEST_F(PollInputTest, ModifierKeysAloneAreDroppedAndTheNextKeyComesInTheSameCall) {
  for (std::uint8_t scan : {29, 42, 54, 56, 58, 69, 70}) {
    SCOPED_TRACE(static_cast<int>(scan));
    console.Push(KeyRecord(true, 0, scan, kShift));
    console.Push(KeyRecord(false, 0, scan));
    console.Push(KeyRecord(true, 'P', ScanCodeOf('P'), kShift));
    console.Push(KeyRecord(false, 'P', ScanCodeOf('P'), kShift));
    EXPECT_EQ(PollInput(), "P");
    EXPECT_EQ(console.PendingInput(), 1u);  // the release stays for the next call
    EXPECT_EQ(PollInput(), "");
    EXPECT_EQ(console.PendingInput(), 0u);
  }
}

TEST_F(PollInputTest, PressAndReleaseGiveOneKeyString) {
  console.Push(KeyRecord(true, 'p', 25));
  console.Push(KeyRecord(false, 'p', 25));
  EXPECT_EQ(PollInput(), "p");
  EXPECT_EQ(PollInput(), "");
}

TEST_F(PollInputTest, ControlCharactersAndBytes0And255AreCharacterKeys) {
  EXPECT_EQ(PollOne(KeyRecord(true, 3, ScanCodeOf('c'), platform::kLeftCtrlPressed)), Char(3));
  EXPECT_EQ(PollOne(KeyRecord(true, 13, 28)), Char(13));
  EXPECT_EQ(PollOne(KeyRecord(true, 0xFF, 0)), Char(0xFF));
  EXPECT_EQ(PollOne(KeyRecord(true, 0x9A, 26)), Char(0x9A));  // code page 850 byte as delivered
}

TEST_F(PollInputTest, EscWithOrWithoutItsCharacterIsEscUnderAnyCapsLock) {
  // Character 27 as most consoles deliver it, and character 0 as others do:
  // both must end the game, Caps Lock on or off.
  EXPECT_EQ(PollOne(KeyRecord(true, 27, 1)), Char(27));
  EXPECT_EQ(PollOne(KeyRecord(true, 27, 1, kCaps)), Char(27));
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 1, kCaps)), Char(27));
  EXPECT_EQ(PollOne(KeyRecord(true, 0, 1)), Char(27));
}

TEST_F(PollInputTest, AltWithALetterKeyIsAnExtendedKey) {
  for (std::uint32_t alt : {platform::kLeftAltPressed, platform::kRightAltPressed}) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
      std::uint16_t scan = ScanCodeOf(static_cast<std::uint8_t>(letter));
      SCOPED_TRACE(letter);
      EXPECT_EQ(PollOne(KeyRecord(true, static_cast<std::uint8_t>(letter), scan, alt)),
                Extended(static_cast<std::uint8_t>(scan)));
    }
  }
}

TEST_F(PollInputTest, AltWithAnyOtherKeyKeepsTheCharacter) {
  // Neighbours of the letter rows: Tab, [, ], Enter, ;, `, \, comma, and 1.
  struct Case {
    std::uint8_t character;
    std::uint16_t scan;
  };
  for (Case c : {Case{9, 15}, Case{'[', 26}, Case{']', 27}, Case{13, 28}, Case{';', 39},
                 Case{'`', 41}, Case{'\\', 43}, Case{',', 51}, Case{'1', 2}}) {
    SCOPED_TRACE(static_cast<int>(c.scan));
    EXPECT_EQ(PollOne(KeyRecord(true, c.character, c.scan, platform::kLeftAltPressed)),
              Char(c.character));
  }
}

TEST_F(PollInputTest, CapsLockMakesTheDigitAndPunctuationKeysFollowShift) {
  const std::string unshifted = "1234567890-=[];'`\\,./";
  const std::string shifted = "!@#$%^&*()_+{}:\"~|<>?";
  ASSERT_EQ(unshifted.size(), 21u);
  for (std::size_t i = 0; i < unshifted.size(); ++i) {
    auto low = static_cast<std::uint8_t>(unshifted[i]);
    auto high = static_cast<std::uint8_t>(shifted[i]);
    std::uint16_t scan = ScanCodeOf(low);
    SCOPED_TRACE(unshifted[i]);
    ASSERT_EQ(ScanCodeOf(high), scan);
    EXPECT_EQ(PollOne(KeyRecord(true, high, scan, kCaps)), Char(low));
    EXPECT_EQ(PollOne(KeyRecord(true, low, scan, kCaps | kShift)), Char(high));
    // What already follows Shift stays.
    EXPECT_EQ(PollOne(KeyRecord(true, low, scan, kCaps)), Char(low));
    EXPECT_EQ(PollOne(KeyRecord(true, high, scan, kCaps | kShift)), Char(high));
    // Without Caps Lock nothing is corrected.
    EXPECT_EQ(PollOne(KeyRecord(true, high, scan)), Char(high));
    EXPECT_EQ(PollOne(KeyRecord(true, low, scan, kShift)), Char(low));
  }
}

TEST_F(PollInputTest, CapsLockCorrectionLeavesOtherCharactersAlone) {
  EXPECT_EQ(PollOne(KeyRecord(true, 'P', 25, kCaps)), "P");  // letters keep Caps Lock
  EXPECT_EQ(PollOne(KeyRecord(true, '@', 2, kCaps)), "@");   // not key 2's pair
  EXPECT_EQ(PollOne(KeyRecord(true, '8', 72, kCaps)), "8");  // keypad 8, Num Lock on
}

TEST_F(PollInputTest, RepeatCountGivesOneKeyString) {
  InputRecord held = KeyRecord(true, 'x', 45);
  held.repeatCount = 5;
  EXPECT_EQ(PollOne(held), "x");
  EXPECT_EQ(PollInput(), "");
}

TEST_F(PollInputTest, OtherRecordTypesAreDroppedOnTheWay) {
  for (std::uint16_t type :
       {std::uint16_t{platform::kWindowSizeEvent}, std::uint16_t{platform::kMenuEvent},
        std::uint16_t{platform::kFocusEvent}, std::uint16_t{0}, std::uint16_t{3}}) {
    InputRecord other;
    other.eventType = type;
    console.Push(other);
  }
  console.Push(KeyRecord(true, 13, 28));
  EXPECT_EQ(PollInput(), Char(13));
  EXPECT_EQ(console.PendingInput(), 0u);
}

TEST_F(PollInputTest, MouseKindsWithAllKindsAndButtonsSelected) {
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 1)), Mouse(4, 1));
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 0)), Mouse(8, 1));
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 1, platform::kDoubleClick)), Mouse(2, 1));
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 0)), Mouse(8, 1));
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 2)), Mouse(4, 2));
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 0)), Mouse(8, 2));
  EXPECT_EQ(PollOne(MouseRecord(3, 4, 4)), Mouse(4, 4));
  EXPECT_EQ(PollOne(MouseRecord(5, 6, 4, platform::kMouseMoved)), Mouse(1, 0));
}

TEST_F(PollInputTest, DoubleClickCarriesEveryButtonHeld) {
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 3, platform::kDoubleClick)), Mouse(2, 3));
}

TEST_F(PollInputTest, ButtonMemoryTellsPressFromRelease) {
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 1)), Mouse(4, 1));
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 3)), Mouse(4, 2));  // right joins the held left
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 2)), Mouse(8, 1));  // left let go, right still held
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 0)), Mouse(8, 2));
  // Two buttons at once: only the lowest is reported, the memory takes both.
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 6)), Mouse(4, 2));
  EXPECT_EQ(Console().input.buttonMemory, 6u);
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 0)), Mouse(8, 2));
  EXPECT_EQ(Console().input.buttonMemory, 0u);
}

TEST_F(PollInputTest, ButtonRecordWithNothingChangedIsDropped) {
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 1)), Mouse(4, 1));
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 1)), "");
}

TEST_F(PollInputTest, RecordsDroppedWhileReportingIsOffStillUpdateTheButtonMemory) {
  // The press arrives while reporting is off; the release after switching
  // on must still be a release, not a press.
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 1)), "");
  EXPECT_EQ(Console().input.buttonMemory, 1u);
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 0)), Mouse(8, 1));
}

TEST_F(PollInputTest, ReportingOffDropsEveryMouseRecordAndKeepsThePosition) {
  Console().screen.mouse = {false, kAllKindsButtons127};
  console.Push(MouseRecord(9, 9, 1));
  console.Push(MouseRecord(9, 9, 1, platform::kDoubleClick));
  console.Push(MouseRecord(9, 9, 0, platform::kMouseMoved));
  console.Push(MouseRecord(9, 9, 0));
  EXPECT_EQ(PollInput(), "");
  EXPECT_EQ(console.PendingInput(), 0u);
  EXPECT_EQ(Console().screen.mouseColumn, 0);
  EXPECT_EQ(Console().screen.mouseRow, 0);
}

TEST_F(PollInputTest, WheelCountsAsDoubleClickOnlyWithASelectedButtonHeld) {
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 1, platform::kMouseWheeled)), Mouse(2, 1));
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 0, platform::kMouseWheeled)), "");
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 0, platform::kMouseHWheeled)), "");
}

TEST_F(PollInputTest, SelectionBitsChooseKindsAndButtons) {
  struct Case {
    const char* name;
    std::uint32_t selection;
    InputRecord record;
    std::string expected;
  };
  // Each case starts with an empty button memory.
  const std::vector<Case> cases = {
      {"moved not selected", 0xE0007, MouseRecord(0, 0, 0, 1), ""},
      {"moved ignores the mask", 0x10000, MouseRecord(0, 0, 0, 1), Mouse(1, 0)},
      {"double click not selected", 0xD0007, MouseRecord(0, 0, 1, 2), ""},
      {"double click, button outside mask", 0x20001, MouseRecord(0, 0, 2, 2), ""},
      {"double click, one button in mask", 0x20001, MouseRecord(0, 0, 3, 2), Mouse(2, 3)},
      {"press not selected", 0xB0007, MouseRecord(0, 0, 1), ""},
      {"press, button outside mask", 0x40003, MouseRecord(0, 0, 4), ""},
      {"press selected alone", 0x40004, MouseRecord(0, 0, 4), Mouse(4, 4)},
      {"fourth button, mask 7", 0xF0007, MouseRecord(0, 0, 8), ""},
      {"fourth button, mask 15", 0xF000F, MouseRecord(0, 0, 8), Mouse(4, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console().input.buttonMemory = 0;
    MouseOn(c.selection);
    EXPECT_EQ(PollOne(c.record), c.expected);
  }
}

TEST_F(PollInputTest, ReleaseNotSelectedIsDropped) {
  MouseOn(0x70007);
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 1)), Mouse(4, 1));
  EXPECT_EQ(PollOne(MouseRecord(0, 0, 0)), "");
  EXPECT_EQ(Console().input.buttonMemory, 0u);
}

TEST_F(PollInputTest, ReturnedMouseStringSetsThePositionDroppedOneDoesNot) {
  MouseOn();
  EXPECT_EQ(PollOne(MouseRecord(28, 7, 1)), Mouse(4, 1));
  EXPECT_EQ(Console().screen.mouseColumn, 29);
  EXPECT_EQ(Console().screen.mouseRow, 8);
  EXPECT_EQ(PollOne(MouseRecord(40, 20, 1)), "");  // nothing changed: dropped
  EXPECT_EQ(Console().screen.mouseColumn, 29);
  EXPECT_EQ(Console().screen.mouseRow, 8);
}

TEST_F(PollInputTest, DroppedMouseRecordLetsTheNextKeyThroughInTheSameCall) {
  console.Push(MouseRecord(10, 10, 0, platform::kMouseMoved));
  console.Push(MouseRecord(10, 10, 1));
  console.Push(KeyRecord(true, 13, 28));
  EXPECT_EQ(PollInput(), Char(13));
  EXPECT_EQ(console.PendingInput(), 0u);
  EXPECT_EQ(Console().input.buttonMemory, 1u);
  EXPECT_EQ(Console().screen.mouseColumn, 0);
}

TEST_F(PollInputTest, RecordsArriveOnePerCallInOrder) {
  MouseOn();
  console.Push(MouseRecord(1, 1, 0, platform::kMouseMoved));
  console.Push(MouseRecord(2, 1, 0, platform::kMouseMoved));
  console.Push(KeyRecord(true, 'a', 30));
  EXPECT_EQ(PollInput(), Mouse(1, 0));
  EXPECT_EQ(Console().screen.mouseColumn, 2);
  EXPECT_EQ(PollInput(), Mouse(1, 0));
  EXPECT_EQ(Console().screen.mouseColumn, 3);
  EXPECT_EQ(PollInput(), "a");
}

TEST_F(PollInputTest, RecordsNotYetArrivedAreNotSeen) {
  console.Schedule(KeyRecord(true, 'a', 30), 100);
  EXPECT_EQ(PollInput(), "");
  console.Advance(100);
  EXPECT_EQ(PollInput(), "a");
}

}  // namespace
}  // namespace kippfeld::console
