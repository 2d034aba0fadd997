// The browser page as a console: an 80 x 25 cell buffer that the page shows
// as text, an input queue that the page's key and pointer handlers fill, and
// waits that hand the thread back to the browser. Everything the browser
// does goes through WebHost, so that the console's rules here (the queue,
// which rows changed, when a wait may last until the next input) are tested
// natively with a host of the tests' own.
#pragma once

#include <cstdint>
#include <deque>

#include "console/platform.h"
#include "platform/cell_buffer.h"

namespace kippfeld::platform {

class WebHost {
 public:
  static constexpr std::int64_t kNoLimit = -1;

  virtual ~WebHost() = default;
  // Shows row y (0-based) of the buffer: its characters and attributes.
  virtual void ShowRow(int y, const Cell* cells, int width) = 0;
  // Where the text cursor now is. The page never draws it, but the game
  // puts it on the selected cell, which the page tells screen readers.
  virtual void ShowCursor(int x, int y) = 0;
  virtual TimeOfDay LocalTime() = 0;
  // Hands the thread to the browser for up to milliseconds (kNoLimit: no
  // limit). With untilInput the page ends the wait as soon as it has pushed
  // input; true then, false when the time ran out.
  virtual bool Wait(std::int64_t milliseconds, bool untilInput) = 0;
  // The game has ended with this exit code: the page keeps the last screen.
  [[noreturn]] virtual void End(int exitCode) = 0;
};

class WebPlatform : public Platform {
 public:
  static constexpr int kWidth = 80;
  static constexpr int kHeight = 25;
  // More than anyone types during the longest pause the game takes; beyond
  // it a record is dropped rather than memory grown without end.
  static constexpr std::size_t kMaxQueued = 4096;

  explicit WebPlatform(WebHost& host);

  // --- The page's side ---
  // Appends a record to the input queue; false when the queue is full.
  bool Push(const InputRecord& record);
  std::size_t Queued() const { return input_.size(); }
  // Shows every row that differs from what the page shows now, then the
  // cursor if it moved.
  void Present();
  const CellBuffer& Buffer() const { return buffer_; }

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

 private:
  // Anything the program asks of the console, apart from finding the input
  // queue empty, may change what it does after its next wait.
  void Asked() { ++askedSinceWait_; }

  WebHost& host_;
  CellBuffer buffer_;
  CellBuffer shown_;
  bool shownValid_ = false;
  int shownCursorX_ = -1;
  int shownCursorY_ = -1;
  int cursorX_ = 0;
  int cursorY_ = 0;
  CursorShape shape_{25, true};
  std::uint32_t inputMode_ = 0x01F7;
  std::deque<InputRecord> input_;
  // An input wait that timed out, followed by nothing but a look at the
  // empty queue: the program is polling for input and nothing else.
  bool lastWaitTimedOut_ = false;
  std::uint64_t askedSinceWait_ = 0;
};

}  // namespace kippfeld::platform
