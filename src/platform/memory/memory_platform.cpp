#include "platform/memory/memory_platform.h"

#include <algorithm>

#include "platform/us_layout.h"

namespace kippfeld::platform {

MemoryPlatform::MemoryPlatform(int width, int height)
    : buffer_(width, height), shown_(width, height) {}

bool MemoryPlatform::GetBufferInfo(BufferInfo& info) {
  info = {Width(), Height(), cursorX_, cursorY_, Width(), Height()};
  return true;
}

void MemoryPlatform::WriteCells(int x, int y, const Cell* cells, int count) {
  ++writeCalls_;
  longestWrite_ = std::max(longestWrite_, count);
  buffer_.Write(x, y, cells, count);
}

void MemoryPlatform::ScrollUp(Cell fill) {
  buffer_.ScrollUp(fill);
}

void MemoryPlatform::FillCharacter(int x, int y, std::uint8_t character, int count) {
  buffer_.FillCharacter(x, y, character, count);
}

void MemoryPlatform::FillAttribute(int x, int y, std::uint8_t attribute, int count) {
  buffer_.FillAttribute(x, y, attribute, count);
}

void MemoryPlatform::SetCursorPosition(int x, int y) {
  // The console refuses a position outside the buffer and keeps the old one.
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  cursorX_ = x;
  cursorY_ = y;
}

bool MemoryPlatform::GetCursorShape(Handle handle, CursorShape& shape) {
  if (!cursorShapeReadable || !IsConsole(handle)) return false;
  shape = shape_;
  return true;
}

void MemoryPlatform::SetCursorShape(Handle, const CursorShape& shape) {
  shape_ = shape;
}

void MemoryPlatform::SetTextAttribute(std::uint8_t attribute) {
  textAttribute_ = attribute;
}

bool MemoryPlatform::ReadCells(int x, int y, Cell* cells, int count) {
  if (x < 0 || y < 0 || count < 0 || y >= Height() || x + count > Width()) return false;
  for (int i = 0; i < count; ++i) cells[i] = buffer_.At(x + i, y);
  return true;
}

void MemoryPlatform::SetOutputMode(std::uint32_t mode) {
  outputMode_ = mode;
}

bool MemoryPlatform::GetInputMode(std::uint32_t& mode) {
  mode = inputMode_;
  return true;
}

void MemoryPlatform::SetInputMode(std::uint32_t mode) {
  inputMode_ = mode;
}

bool MemoryPlatform::PeekInput(InputRecord& record) {
  if (queue_.empty() || queue_.front().atMs > now_) {
    Show();
    return false;
  }
  record = queue_.front().record;
  return true;
}

void MemoryPlatform::RemoveInput() {
  if (!queue_.empty() && queue_.front().atMs <= now_) queue_.pop_front();
}

TimeOfDay MemoryPlatform::LocalTime() {
  std::uint64_t ms = (startOfDayMs_ + now_) % kMillisecondsPerDay;
  return {static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
          static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

void MemoryPlatform::Sleep(std::uint32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  Show();
  if (now_ + milliseconds > timeLimit_) throw VirtualTimeLimit{now_};
  Advance(milliseconds);
}

bool MemoryPlatform::SleepUntilInput(std::uint32_t milliseconds) {
  const std::uint64_t deadline = now_ + milliseconds;
  if (queue_.empty() || queue_.front().atMs > now_) Show();
  for (;;) {
    // The queue is in time order: the front is the first record to show.
    if (!queue_.empty() && queue_.front().atMs <= now_) return true;
    if (now_ >= deadline) return false;
    // Step to the next moment anything can change: a record showing up, or
    // an action that may push one.
    std::uint64_t next = deadline;
    if (!queue_.empty()) next = std::min(next, queue_.front().atMs);
    if (!actions_.empty()) next = std::min(next, std::max(actions_.begin()->first, now_ + 1));
    if (next > timeLimit_) throw VirtualTimeLimit{now_};
    Advance(next - now_);
  }
}

bool MemoryPlatform::IsConsole(Handle handle) {
  switch (handle) {
    case Handle::kStandardOutput:
      return standardOutputIsConsole;
    case Handle::kStandardError:
      return standardErrorIsConsole;
    case Handle::kConsoleOutput:
      return IsConsole(selectedOutput_);
    case Handle::kStandardInput:
      return consoleInputExists;
  }
  return false;
}

void MemoryPlatform::SelectConsoleOutput(Handle handle) {
  selectedOutput_ = handle;
}

bool MemoryPlatform::OpenConsoleInput() {
  consoleInputOpen_ = consoleInputExists;
  return consoleInputOpen_;
}

void MemoryPlatform::CloseConsoleInput() {
  consoleInputOpen_ = false;
}

StartInfo MemoryPlatform::GetStartInfo() {
  return startInfo;
}

void MemoryPlatform::UseStartInfoHandles() {
  usingStartInfoHandles_ = true;
}

std::string MemoryPlatform::CommandLine() {
  return commandLine;
}

std::uintptr_t MemoryPlatform::ModuleHandle() {
  return 0x400000;
}

void MemoryPlatform::SetFloatingPointMode() {
  // long double on x86-64 already runs with the 64-bit significand, round to
  // nearest and all exceptions masked.
}

void MemoryPlatform::ExitProcess(int exitCode) {
  throw ProcessExit{exitCode};
}

void MemoryPlatform::Resize(int width, int height) {
  buffer_.Resize(width, height);
  cursorX_ = std::min(cursorX_, Width() - 1);
  cursorY_ = std::min(cursorY_, Height() - 1);
}

Cell MemoryPlatform::CellAt(int x, int y) const {
  return buffer_.At(x, y);
}

std::string MemoryPlatform::RowText(int y) const {
  std::string text;
  for (int x = 0; x < Width(); ++x) text += static_cast<char>(CellAt(x, y).character);
  return text;
}

std::string MemoryPlatform::ShownRowText(int y) const {
  std::string text;
  if (y < 0 || y >= shown_.Height()) return text;
  for (int x = 0; x < shown_.Width(); ++x) text += static_cast<char>(shown_.At(x, y).character);
  return text;
}

std::string MemoryPlatform::TextAt(int row, int column, int count) const {
  return RowText(row - 1).substr(column - 1, count);
}

int MemoryPlatform::ForegroundAt(int row, int column) const {
  return CellAt(column - 1, row - 1).attribute & 15;
}

void MemoryPlatform::Schedule(const InputRecord& record, std::uint64_t atMs) {
  // Keep the queue in time order; records at the same time keep their order.
  auto it = std::upper_bound(queue_.begin(), queue_.end(), atMs,
                             [](std::uint64_t t, const Scheduled& s) { return t < s.atMs; });
  queue_.insert(it, Scheduled{atMs, record});
}

void MemoryPlatform::Push(const InputRecord& record) {
  Schedule(record, now_);
}

std::size_t MemoryPlatform::PendingInput() const {
  return static_cast<std::size_t>(std::count_if(
      queue_.begin(), queue_.end(), [this](const Scheduled& s) { return s.atMs <= now_; }));
}

void MemoryPlatform::SetStartTime(const TimeOfDay& time) {
  startOfDayMs_ = (static_cast<std::uint64_t>(time.hour) * 3'600'000 +
                   static_cast<std::uint64_t>(time.minute) * 60'000 +
                   static_cast<std::uint64_t>(time.second) * 1000 + time.milliseconds) %
                  kMillisecondsPerDay;
}

void MemoryPlatform::Advance(std::uint64_t milliseconds) {
  RunActionsUpTo(now_ + milliseconds);
  now_ += milliseconds;
}

void MemoryPlatform::At(std::uint64_t atMs, std::function<void(MemoryPlatform&)> action) {
  actions_.emplace(atMs, std::move(action));
}

void MemoryPlatform::RunActionsUpTo(std::uint64_t ms) {
  while (!actions_.empty() && actions_.begin()->first <= ms) {
    auto node = actions_.extract(actions_.begin());
    node.mapped()(*this);
  }
}

std::uint16_t ScanCodeOf(std::uint8_t character) {
  return KeyOfCharacter(character).scanCode;
}

InputScript& InputScript::Key(std::uint8_t character, std::uint64_t atMs) {
  KeyPosition key = KeyOfCharacter(character);
  std::uint32_t state = key.shift ? std::uint32_t{kShiftPressed} : 0u;
  platform_.Schedule(KeyRecord(true, character, key.scanCode, state), atMs);
  platform_.Schedule(KeyRecord(false, character, key.scanCode, state), atMs);
  return *this;
}

InputScript& InputScript::Extended(std::uint16_t scanCode, std::uint64_t atMs) {
  platform_.Schedule(KeyRecord(true, 0, scanCode, kEnhancedKey), atMs);
  platform_.Schedule(KeyRecord(false, 0, scanCode, kEnhancedKey), atMs);
  return *this;
}

InputScript& InputScript::Click(int x, int y, std::uint32_t button, std::uint64_t atMs) {
  platform_.Schedule(MouseRecord(x, y, button), atMs);
  platform_.Schedule(MouseRecord(x, y, 0), atMs);
  return *this;
}

InputScript& InputScript::DoubleClick(int x, int y, std::uint32_t button, std::uint64_t atMs) {
  Click(x, y, button, atMs);
  platform_.Schedule(MouseRecord(x, y, button, kDoubleClick), atMs);
  platform_.Schedule(MouseRecord(x, y, 0), atMs);
  return *this;
}

}  // namespace kippfeld::platform
