// The few console operations the console services need, in the console's own
// terms: a screen buffer of byte+attribute cells, a text cursor, an input queue
// of key and mouse records, a clock and a sleep, and the process's start and
// end. Each backend (memory, terminal, native console) implements this once;
// nothing here names an operating-system type, so the services above it are
// written once and tested on the memory backend.
#pragma once

#include <cstdint>
#include <string>

namespace kippfeld::platform {

// One character cell: a code page 850 byte and a text attribute
// (foreground + 16 * background, colour bits 0 blue, 1 green, 2 red, 3 bright).
struct Cell {
  std::uint8_t character = ' ';
  std::uint8_t attribute = 7;
};

// What the console reports about its screen buffer. All coordinates are
// 0-based; the window is the visible part of the buffer (the same size on
// backends without scroll-back).
struct BufferInfo {
  int width = 0;
  int height = 0;
  int cursorX = 0;
  int cursorY = 0;
  int windowWidth = 0;
  int windowHeight = 0;
};

// The text cursor's shape: size in percent of the cell (1..100) and visibility.
struct CursorShape {
  int size = 0;
  bool visible = false;
};

// Record kinds, numbered as the console numbers them.
enum EventType : std::uint16_t {
  kKeyEvent = 1,
  kMouseEvent = 2,
  kWindowSizeEvent = 4,
  kMenuEvent = 8,
  kFocusEvent = 16,
};

// Control-key state bits of key and mouse records.
enum ControlKeyState : std::uint32_t {
  kRightAltPressed = 0x0001,
  kLeftAltPressed = 0x0002,
  kRightCtrlPressed = 0x0004,
  kLeftCtrlPressed = 0x0008,
  kShiftPressed = 0x0010,
  kNumLockOn = 0x0020,
  kScrollLockOn = 0x0040,
  kCapsLockOn = 0x0080,
  kEnhancedKey = 0x0100,
};

// Mouse record event flags.
enum MouseEventFlags : std::uint32_t {
  kMouseMoved = 0x0001,
  kDoubleClick = 0x0002,
  kMouseWheeled = 0x0004,
  kMouseHWheeled = 0x0008,
};

// Mouse button state bits.
enum MouseButtons : std::uint32_t {
  kLeftButton = 0x0001,
  kRightButton = 0x0002,
  kMiddleButton = 0x0004,
};

// Console input modes.
enum InputMode : std::uint32_t {
  kProcessedInput = 0x0001,
  kLineInput = 0x0002,
  kEchoInput = 0x0004,
  kWindowInput = 0x0008,
  kMouseInput = 0x0010,
};

// One input record, with the fields the key reader uses. Only the fields of
// its eventType are meaningful.
struct InputRecord {
  std::uint16_t eventType = 0;
  // Key records.
  bool keyDown = false;
  std::uint16_t repeatCount = 1;
  std::uint16_t virtualKeyCode = 0;
  std::uint16_t virtualScanCode = 0;
  std::uint8_t character = 0;  // the OEM (code page 850) byte, 0 for none
  std::uint32_t controlKeyState = 0;
  // Mouse records: 0-based cell position.
  std::int16_t mouseX = 0;
  std::int16_t mouseY = 0;
  std::uint32_t buttonState = 0;
  std::uint32_t eventFlags = 0;
};

// Local wall-clock time of day.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

// The process's handles, as start-up names them.
enum class Handle {
  kStandardInput,
  kStandardOutput,
  kStandardError,
  kConsoleOutput,  // whichever of standard output or error start-up chose
};

// What the process was started with.
struct StartInfo {
  static constexpr std::uint32_t kUseShowWindow = 0x0001;
  static constexpr std::uint32_t kUseStdHandles = 0x0100;
  std::uint32_t flags = 0;
  int showWindow = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Screen buffer (console output handle) ---
  // False when the console cannot be asked (no console behind the handle).
  virtual bool GetBufferInfo(BufferInfo& info) = 0;
  // Writes count cells into row y from column x; cells beyond the buffer are
  // clipped. Callers never pass more than one row segment.
  virtual void WriteCells(int x, int y, const Cell* cells, int count) = 0;
  // Moves rows 1..H-1 up to row 0 (row 0 is lost) and fills the bottom row.
  virtual void ScrollUp(Cell fill) = 0;
  // Fill count cells in reading order from (x, y) with one character, or one
  // attribute; the other half of each cell stays. Clipped at the buffer's end.
  virtual void FillCharacter(int x, int y, std::uint8_t character, int count) = 0;
  virtual void FillAttribute(int x, int y, std::uint8_t attribute, int count) = 0;
  virtual void SetCursorPosition(int x, int y) = 0;
  virtual bool GetCursorShape(Handle handle, CursorShape& shape) = 0;
  virtual void SetCursorShape(Handle handle, const CursorShape& shape) = 0;
  // The console's own attribute for output by other means.
  virtual void SetTextAttribute(std::uint8_t attribute) = 0;
  // Reads count cells of row y from column x, as the buffer holds them;
  // false (and nothing read) when the console cannot give its cells back or
  // the cells lie outside the buffer. A backend whose screen stays in front
  // of the player after the program has ended need not: only the cells of a
  // screen that goes away are ever asked for.
  virtual bool ReadCells(int x, int y, Cell* cells, int count) {
    (void)x, (void)y, (void)cells, (void)count;
    return false;
  }

  // --- Modes ---
  virtual void SetOutputMode(std::uint32_t mode) = 0;
  virtual bool GetInputMode(std::uint32_t& mode) = 0;
  virtual void SetInputMode(std::uint32_t mode) = 0;

  // --- Input records (console input handle), oldest first ---
  // False when nothing is pending or the look fails.
  virtual bool PeekInput(InputRecord& record) = 0;
  virtual void RemoveInput() = 0;

  // --- Time ---
  virtual TimeOfDay LocalTime() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Sleeps up to milliseconds, but returns as soon as an input record is
  // pending (at once when one already is): true then, false when the time
  // ran out. An input wait built on this answers at the moment input comes,
  // where a fixed sleep between looks would make every input wait for it.
  virtual bool SleepUntilInput(std::uint32_t milliseconds) = 0;

  // --- Process start and end ---
  // True when the console accepts a mode query on the handle.
  virtual bool IsConsole(Handle handle) = 0;
  // Makes standard output or standard error the console output handle.
  virtual void SelectConsoleOutput(Handle handle) = 0;
  // Opens the console input device; false when there is none.
  virtual bool OpenConsoleInput() = 0;
  virtual void CloseConsoleInput() = 0;
  virtual StartInfo GetStartInfo() = 0;
  // Replaces the standard handles by those of the start information.
  virtual void UseStartInfoHandles() = 0;
  virtual std::string CommandLine() = 0;
  virtual std::uintptr_t ModuleHandle() = 0;
  // 64-bit significand, round to nearest even, all exceptions masked.
  virtual void SetFloatingPointMode() = 0;
  [[noreturn]] virtual void ExitProcess(int exitCode) = 0;
};

}  // namespace kippfeld::platform
