#include "platform/web/web_platform.h"

#include <cstdlib>

namespace kippfeld::platform {

namespace {

bool SameRow(const CellBuffer& a, const CellBuffer& b, int y) {
  for (int x = 0; x < a.Width(); ++x) {
    const Cell& p = a.At(x, y);
    const Cell& q = b.At(x, y);
    if (p.character != q.character || p.attribute != q.attribute) return false;
  }
  return true;
}

}  // namespace

WebPlatform::WebPlatform(WebHost& host)
    : host_(host), buffer_(kWidth, kHeight), shown_(kWidth, kHeight) {}

bool WebPlatform::Push(const InputRecord& record) {
  if (input_.size() >= kMaxQueued) return false;
  input_.push_back(record);
  return true;
}

void WebPlatform::Present() {
  // The game redraws its whole screen for every input; only the rows that
  // came out different reach the page.
  for (int y = 0; y < kHeight; ++y) {
    if (shownValid_ && SameRow(buffer_, shown_, y)) continue;
    host_.ShowRow(y, &buffer_.At(0, y), kWidth);
    shown_.Write(0, y, &buffer_.At(0, y), kWidth);
  }
  shownValid_ = true;
  if (cursorX_ != shownCursorX_ || cursorY_ != shownCursorY_) {
    host_.ShowCursor(cursorX_, cursorY_);
    shownCursorX_ = cursorX_;
    shownCursorY_ = cursorY_;
  }
}

bool WebPlatform::GetBufferInfo(BufferInfo& info) {
  Asked();
  info = {kWidth, kHeight, cursorX_, cursorY_, kWidth, kHeight};
  return true;
}

void WebPlatform::WriteCells(int x, int y, const Cell* cells, int count) {
  Asked();
  buffer_.Write(x, y, cells, count);
}

void WebPlatform::ScrollUp(Cell fill) {
  Asked();
  buffer_.ScrollUp(fill);
}

void WebPlatform::FillCharacter(int x, int y, std::uint8_t character, int count) {
  Asked();
  buffer_.FillCharacter(x, y, character, count);
}

void WebPlatform::FillAttribute(int x, int y, std::uint8_t attribute, int count) {
  Asked();
  buffer_.FillAttribute(x, y, attribute, count);
}

void WebPlatform::SetCursorPosition(int x, int y) {
  Asked();
  // As the console: a cell outside the buffer is refused.
  if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
  cursorX_ = x;
  cursorY_ = y;
}

bool WebPlatform::GetCursorShape(Handle, CursorShape& shape) {
  Asked();
  shape = shape_;
  return true;
}

void WebPlatform::SetCursorShape(Handle, const CursorShape& shape) {
  // Kept for the program to read back; the page never shows a text cursor.
  Asked();
  shape_ = shape;
}

void WebPlatform::SetTextAttribute(std::uint8_t) {
  Asked();
}

void WebPlatform::SetOutputMode(std::uint32_t) {
  Asked();
}

bool WebPlatform::GetInputMode(std::uint32_t& mode) {
  Asked();
  mode = inputMode_;
  return true;
}

void WebPlatform::SetInputMode(std::uint32_t mode) {
  Asked();
  inputMode_ = mode;
}

bool WebPlatform::PeekInput(InputRecord& record) {
  if (input_.empty()) return false;
  Asked();
  record = input_.front();
  return true;
}

void WebPlatform::RemoveInput() {
  Asked();
  if (!input_.empty()) input_.pop_front();
}

TimeOfDay WebPlatform::LocalTime() {
  Asked();
  return host_.LocalTime();
}

void WebPlatform::Sleep(std::uint32_t milliseconds) {
  Asked();
  if (milliseconds == 0) return;
  Present();
  // Input that comes meanwhile waits in the queue, as on the console.
  host_.Wait(milliseconds, false);
}

bool WebPlatform::SleepUntilInput(std::uint32_t milliseconds) {
  if (!input_.empty()) {
    Asked();
    return true;
  }
  // A program that, since its last wait ran out, has only found the queue
  // empty can only be waiting for input: nothing else it could look at has
  // changed. Its next wait then lasts until the input comes, with no timer,
  // so that an idle page costs the browser nothing. Any other request (a
  // look at the clock, a write) makes the next wait a timed one again.
  const bool polling = lastWaitTimedOut_ && askedSinceWait_ == 0;
  Present();
  const bool woken =
      host_.Wait(polling ? WebHost::kNoLimit : static_cast<std::int64_t>(milliseconds), true);
  lastWaitTimedOut_ = !woken && input_.empty();
  askedSinceWait_ = 0;
  return !input_.empty();
}

bool WebPlatform::IsConsole(Handle) {
  Asked();
  return true;
}

void WebPlatform::SelectConsoleOutput(Handle) {
  Asked();
}

bool WebPlatform::OpenConsoleInput() {
  Asked();
  return true;
}

void WebPlatform::CloseConsoleInput() {
  Asked();
}

StartInfo WebPlatform::GetStartInfo() {
  Asked();
  return {};
}

void WebPlatform::UseStartInfoHandles() {
  Asked();
}

std::string WebPlatform::CommandLine() {
  Asked();
  return "kippfeld";
}

std::uintptr_t WebPlatform::ModuleHandle() {
  Asked();
  return 0;
}

void WebPlatform::SetFloatingPointMode() {
  // WebAssembly always rounds to nearest even and never traps, and its long
  // double (IEEE quadruple) carries more than the 64 significant bits the
  // game's arithmetic needs.
  Asked();
}

void WebPlatform::ExitProcess(int exitCode) {
  Present();
  host_.End(exitCode);
  // The compiler does not carry noreturn through a virtual call.
  std::abort();
}

}  // namespace kippfeld::platform
