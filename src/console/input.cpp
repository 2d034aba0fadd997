#include "console/input.h"

#include <array>
#include <cstdint>
#include <optional>

#include "console/state.h"

namespace kippfeld::console {

namespace {

using platform::InputRecord;

// Scan codes of the keys that never produce a key string of their own: Ctrl,
// both Shifts, Alt, Caps Lock, Num Lock, Scroll Lock. The console sends a
// record for each press, which would otherwise come out as an extended key.
constexpr std::array<std::uint8_t, 7> kModifierScanCodes = {29, 42, 54, 56, 58, 69, 70};

// Letter keys by scan code: rows Q..P, A..L, Z..M. Alt with one of them is an
// extended key; Alt with any other key keeps the character the console gives.
constexpr bool IsLetterScanCode(std::uint8_t scan) {
  return (scan >= 16 && scan <= 25) || (scan >= 30 && scan <= 38) || (scan >= 44 && scan <= 50);
}

// The keys whose shifted character Caps Lock must not affect. The console
// applies Caps Lock to these as if they were letters on some layouts; the
// correction makes them follow the Shift key alone.
struct ShiftPair {
  std::uint8_t scanCode;
  std::uint8_t unshifted;
  std::uint8_t shifted;
};

constexpr std::array<ShiftPair, 21> kCapsLockPairs = {{
    {2, '1', '!'},   {3, '2', '@'},  {4, '3', '#'},   {5, '4', '$'},  {6, '5', '%'},
    {7, '6', '^'},   {8, '7', '&'},  {9, '8', '*'},   {10, '9', '('}, {11, '0', ')'},
    {12, '-', '_'},  {13, '=', '+'}, {26, '[', '{'},  {27, ']', '}'}, {39, ';', ':'},
    {40, '\'', '"'}, {41, '`', '~'}, {43, '\\', '|'}, {51, ',', '<'}, {52, '.', '>'},
    {53, '/', '?'},
}};

constexpr std::uint32_t kAltPressed = platform::kLeftAltPressed | platform::kRightAltPressed;

// Mouse kinds as they appear in the key string, and the selection bit of each.
constexpr std::uint8_t kKindMoved = 1;
constexpr std::uint8_t kKindDoubleClick = 2;
constexpr std::uint8_t kKindPressed = 4;
constexpr std::uint8_t kKindReleased = 8;

constexpr bool KindSelected(std::uint32_t selection, std::uint8_t kind) {
  // Kinds 1, 2, 4, 8 sit at selection bits 16, 17, 18, 19.
  return (selection & (std::uint32_t{kind} << 16)) != 0;
}

std::uint8_t CorrectCapsLock(std::uint8_t c, std::uint8_t scan, std::uint32_t state) {
  if ((state & platform::kCapsLockOn) == 0) return c;
  bool shift = (state & platform::kShiftPressed) != 0;
  for (const ShiftPair& pair : kCapsLockPairs) {
    if (pair.scanCode != scan) continue;
    if (shift && c == pair.unshifted) return pair.shifted;
    if (!shift && c == pair.shifted) return pair.unshifted;
    return c;
  }
  return c;
}

std::string ExtendedKey(std::uint8_t scan) {
  return std::string{'\0', static_cast<char>(scan)};
}

// The key string of a key record, or nothing when the record is dropped.
std::optional<std::string> ClassifyKey(const InputRecord& record) {
  if (!record.keyDown) return std::nullopt;
  std::uint8_t c = record.character;
  // Only the low byte is the key number; the console may put more above it.
  auto scan = static_cast<std::uint8_t>(record.virtualScanCode & 0xFF);
  std::uint32_t state = record.controlKeyState;
  if (c != 0) {
    if ((state & kAltPressed) != 0 && IsLetterScanCode(scan)) return ExtendedKey(scan);
    return std::string(1, static_cast<char>(CorrectCapsLock(c, scan, state)));
  }
  if (scan == 1) {
    // Esc delivered without its character (some consoles do, wine's among
    // them) is still Esc. Turning it into the byte 0 unless Caps Lock is on
    // would make the game's one way out dead on such a console.
    return std::string(1, '\x1B');
  }
  for (std::uint8_t modifier : kModifierScanCodes)
    if (scan == modifier) return std::nullopt;
  return ExtendedKey(scan);
}

std::string MouseString(std::uint8_t kind, std::uint8_t button) {
  return std::string{'\xFF', '\xFF', static_cast<char>(kind), static_cast<char>(button)};
}

// The key string of a mouse record, or nothing when the record is dropped.
// buttonMemory is the state before this record.
std::optional<std::string> ClassifyMouse(const InputRecord& record, std::uint32_t buttonMemory) {
  const MouseSettings& mouse = Console().screen.mouse;
  if (!mouse.on) return std::nullopt;
  std::uint32_t flags = record.eventFlags;
  std::uint32_t buttons = record.buttonState;
  std::uint32_t mask = mouse.selection & 0xFFFF;
  if (flags == platform::kMouseMoved) {
    if (!KindSelected(mouse.selection, kKindMoved)) return std::nullopt;
    return MouseString(kKindMoved, 0);
  }
  if (flags >= platform::kDoubleClick) {
    // Wheel records land here too: with a selected button held they count as
    // a double click of the buttons held.
    if (!KindSelected(mouse.selection, kKindDoubleClick) || (buttons & mask) == 0)
      return std::nullopt;
    return MouseString(kKindDoubleClick, static_cast<std::uint8_t>(buttons & 0xFF));
  }
  std::uint32_t changed = buttons ^ buttonMemory;
  // With nothing changed the bit tested is 31, which no mask of 16 bits holds,
  // so such a record is dropped.
  std::uint32_t bit = changed != 0 ? changed & (~changed + 1) : 0x80000000u;
  std::uint8_t kind = (buttons & bit) != 0 ? kKindPressed : kKindReleased;
  if (!KindSelected(mouse.selection, kind) || (bit & mask) == 0) return std::nullopt;
  return MouseString(kind, static_cast<std::uint8_t>(bit));
}

}  // namespace

std::string PollInput() {
  platform::Platform& console = CurrentPlatform();
  ConsoleState& state = Console();
  InputRecord record;
  while (console.PeekInput(record)) {
    std::optional<std::string> result;
    if (record.eventType == platform::kKeyEvent) {
      result = ClassifyKey(record);
    } else if (record.eventType == platform::kMouseEvent) {
      result = ClassifyMouse(record, state.input.buttonMemory);
      // Every mouse record taken out counts for the button memory, reported
      // or not; otherwise a release after an unreported press would look
      // like a press.
      state.input.buttonMemory = record.buttonState;
      if (result) {
        state.screen.mouseColumn = record.mouseX + 1;
        state.screen.mouseRow = record.mouseY + 1;
      }
    }
    console.RemoveInput();
    if (result) return *result;
  }
  return {};
}

}  // namespace kippfeld::console
