// A complete console held in memory: a W x H cell buffer, the text cursor,
// the modes, an input queue fed at virtual times and a virtual clock that
// sleeping advances. It follows the console's rules, so what passes here
// passes on a real console; tests use its accessors to look at the screen.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console/platform.h"
#include "platform/cell_buffer.h"
#include "platform/input_records.h"  // KeyRecord, MouseRecord: for scripting input

namespace kippfeld::platform {

// Thrown by ExitProcess so that a test gets control back with the code.
struct ProcessExit {
  int exitCode = 0;
};

// Thrown by Sleep when the virtual clock passes the time limit: a test that
// forgot to give the input a program waits for ends instead of spinning.
struct VirtualTimeLimit {
  std::uint64_t now = 0;
};

class MemoryPlatform : public Platform {
 public:
  static constexpr std::uint64_t kMillisecondsPerDay = 86'400'000;

  explicit MemoryPlatform(int width = 80, int height = 25);

  // --- Platform ---
  bool GetBufferInfo(BufferInfo& info) override;
  void WriteCells(int x, int y, const Cell* cells, int count) override;
  void ScrollUp(Cell fill) override;
  void FillCharacter(int x, int y, std::uint8_t character, int count) override;
  void FillAttribute(int x, int y, std::uint8_t attribute, int count) override;
  void SetCursorPosition(int x, int y) override;
  bool GetCursorShape(Handle handle, CursorShape& shape) override;
  void SetCursorShape(Handle handle, const CursorShape& shape) override;
  void SetTextAttribute(std::uint8_t attribute) override;
  bool ReadCells(int x, int y, Cell* cells, int count) override;
  void SetOutputMode(std::uint32_t mode) override;
  bool GetInputMode(std::uint32_t& mode) override;
  void SetInputMode(std::uint32_t mode) override;
  bool PeekInput(InputRecord& record) override;
  void RemoveInput() override;
  TimeOfDay LocalTime() override;
  void Sleep(std::uint32_t milliseconds) override;
  bool SleepUntilInput(std::uint32_t milliseconds) override;
  bool IsConsole(Handle handle) override;
  void SelectConsoleOutput(Handle handle) override;
  bool OpenConsoleInput() override;
  void CloseConsoleInput() override;
  StartInfo GetStartInfo() override;
  void UseStartInfoHandles() override;
  std::string CommandLine() override;
  std::uintptr_t ModuleHandle() override;
  void SetFloatingPointMode() override;
  [[noreturn]] void ExitProcess(int exitCode) override;

  // --- Screen, for assertions ---
  int Width() const { return buffer_.Width(); }
  int Height() const { return buffer_.Height(); }
  // Resizes the buffer at once, keeping the top-left cells; new cells are
  // blank in 7 on 0 and the cursor is pulled inside.
  void Resize(int width, int height);
  Cell CellAt(int x, int y) const;  // 0-based
  // The bytes of row y (0-based), all W of them.
  std::string RowText(int y) const;
  // Bytes of a 1-based row from a 1-based column, count cells.
  std::string TextAt(int row, int column, int count) const;
  // The bytes of row y (0-based) as a console would have shown them so far
  // that puts its buffer on the screen only when the program waits (a sleep,
  // or a look that finds no input), as the terminal does; a wait for input
  // that finds a record already there shows nothing.
  std::string ShownRowText(int y) const;
  // Foreground colour (attribute & 15) of a 1-based row and column.
  int ForegroundAt(int row, int column) const;
  int CursorX() const { return cursorX_; }
  int CursorY() const { return cursorY_; }
  CursorShape Shape() const { return shape_; }
  std::uint8_t TextAttribute() const { return textAttribute_; }
  std::uint32_t InputModeValue() const { return inputMode_; }
  std::uint32_t OutputModeValue() const { return outputMode_; }
  // How many WriteCells calls were made, and the longest one.
  std::uint64_t WriteCalls() const { return writeCalls_; }
  int LongestWrite() const { return longestWrite_; }

  // --- Input queue ---
  // Adds a record that becomes visible once the virtual clock reaches atMs
  // (milliseconds since the clock's start). Records keep their order.
  void Schedule(const InputRecord& record, std::uint64_t atMs);
  // Adds a record visible now.
  void Push(const InputRecord& record);
  // Records already visible and not yet removed.
  std::size_t PendingInput() const;
  // Records scheduled, visible or not.
  std::size_t QueuedInput() const { return queue_.size(); }

  // --- Virtual clock ---
  // Milliseconds since the clock started; the time of day is the start time
  // plus this, wrapping at midnight.
  std::uint64_t Now() const { return now_; }
  void SetStartTime(const TimeOfDay& time);
  void Advance(std::uint64_t milliseconds);
  // Sleep throws VirtualTimeLimit once Now() would pass this.
  void SetTimeLimit(std::uint64_t milliseconds) { timeLimit_ = milliseconds; }
  // Runs action when the clock first reaches atMs (during a Sleep or Advance).
  void At(std::uint64_t atMs, std::function<void(MemoryPlatform&)> action);
  const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }

  // --- Process, for start-up tests ---
  bool standardOutputIsConsole = true;
  bool standardErrorIsConsole = true;
  bool consoleInputExists = true;
  bool cursorShapeReadable = true;
  StartInfo startInfo;
  std::string commandLine = "kippfeld.exe";
  Handle SelectedOutput() const { return selectedOutput_; }
  bool ConsoleInputOpen() const { return consoleInputOpen_; }
  bool UsingStartInfoHandles() const { return usingStartInfoHandles_; }

 private:
  struct Scheduled {
    std::uint64_t atMs;
    InputRecord record;
  };
  void RunActionsUpTo(std::uint64_t ms);
  void Show() { shown_ = buffer_; }

  CellBuffer buffer_;
  CellBuffer shown_;
  int cursorX_ = 0;
  int cursorY_ = 0;
  CursorShape shape_{25, true};
  std::uint8_t textAttribute_ = 7;
  std::uint32_t inputMode_ = 0x01F7;
  std::uint32_t outputMode_ = 3;
  std::deque<Scheduled> queue_;
  std::uint64_t now_ = 0;
  std::uint64_t startOfDayMs_ = 12ull * 3'600'000;
  std::uint64_t timeLimit_ = 24ull * 3'600'000;
  std::multimap<std::uint64_t, std::function<void(MemoryPlatform&)>> actions_;
  std::vector<std::uint32_t> sleeps_;
  std::uint64_t writeCalls_ = 0;
  int longestWrite_ = 0;
  Handle selectedOutput_ = Handle::kStandardOutput;
  bool consoleInputOpen_ = false;
  bool usingStartInfoHandles_ = false;
};

// Scripts whole key presses and clicks: each adds the records a console
// would deliver, at the given virtual time.
class InputScript {
 public:
  explicit InputScript(MemoryPlatform& platform) : platform_(platform) {}
  // A character key pressed and released (scan code looked up for ASCII).
  InputScript& Key(std::uint8_t character, std::uint64_t atMs);
  // An extended key (character 0) by scan code.
  InputScript& Extended(std::uint16_t scanCode, std::uint64_t atMs);
  // Press and release of a button at a 0-based cell.
  InputScript& Click(int x, int y, std::uint32_t button, std::uint64_t atMs);
  // Two clicks, the second press reported as a double click.
  InputScript& DoubleClick(int x, int y, std::uint32_t button, std::uint64_t atMs);

 private:
  MemoryPlatform& platform_;
};

// The US-layout scan code of an ASCII character's key, 0 if none.
std::uint16_t ScanCodeOf(std::uint8_t character);

}  // namespace kippfeld::platform
